#include "capture/capture.h"

#include <allegro.h>
#include <loadpng.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "capture/bench_report.h"
#include "capture/frame_sink.h"
#include "capture/interrupt.h"
#include "capture/progress.h"
#include "parallel/worker_pool.h"
#include "platform/sound/sound_layer.h"
#include "process/fail.h"
#include "process/time.h"
#include "runtime/clock.h"
#include "runtime/data_dir.h"
#include "runtime/main_loop.h"
#include "show/velmora.h"
#include "process/show_random.h"

namespace fs = std::filesystem;

namespace Zorvek::capture {

namespace {

// The show finds its datafile and module by their plain names, so the folder that holds them
// becomes the working directory. False, said, when it cannot be entered.
bool enterShowFolder(const Options& o) {
    const fs::path assets = o.assets.empty() ? locateShowData("velmora-capture").folder : fs::absolute(o.assets);
    std::error_code ec;
    fs::current_path(assets, ec);
    if (!ec) return true;
    std::fprintf(stderr, "velmora-capture: cannot enter %s\n", assets.string().c_str());
    return false;
}

// The show without a screen, scripted, its music read: a file it cannot use ends the capture as
// it ends the program, with the same message and code, before anything is written.
std::unique_ptr<Velmora> buildShow(const Options& o) {
    sound::setOffline(true);
    if (o.threads > 0) setWorkerCount(o.threads);
    auto show = std::make_unique<Velmora>(DemoMode::Headless);
    show->display.setHeadless(320, 240, 32);
    show->script();
    show->music.play();
    return show;
}

// Past the show's end there is nothing but the rewind; the sound past the module's end, were it
// shorter, is silence. The span so bounds every size that follows from it.
bool fitSpan(Options& o, const Velmora& show) {
    std::string note, error;
    if (!fitToShow(o, latestEnd(show.timeline) + 1, note, error)) {
        std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
        return false;
    }
    if (!note.empty()) std::fprintf(stderr, "velmora-capture: %s\n", note.c_str());
    return true;
}

// Where the frames go, with the sound of the whole span written first: a video when ffmpeg is
// there, else PNG frames and a WAV file. Null, with the exit status, when that fails.
std::unique_ptr<FrameSink> openSink(const Options& o, const fs::path& out, int& status) {
    const bool video = !o.frames && videoAvailable();
    if (!o.frames && !video)
        std::fprintf(stderr, "ffmpeg is not installed: writing PNG frames and a WAV file instead\n");
    std::string error;
    std::unique_ptr<FrameSink> sink = video ? makeVideoSink(out, o, error) : makeFrameSequenceSink(out, error);
    if (!sink) {
        std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
        status = EXIT_OUTPUT;
        return nullptr;
    }
    std::vector<std::int16_t> pcm;
    int rate = 0;
    if (!sound::decodeSpan("drift.mod", o.from, o.to, pcm, rate)) {
        std::fprintf(stderr, "Failed loading music stream.\n");
        status = EXIT_SOUND;
    } else if (!sink->sound(pcm, rate, error)) {
        std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
        status = EXIT_OUTPUT;
    } else {
        return sink;
    }
    sink->abandon();
    return nullptr;
}

// Renders the frames of the span, one refresh of a display of --fps N each: the passes of the
// 60 Hz grid that came due by then where the picture depends on them, else a pass at the frame's
// own time. With a sink each frame goes to it; without one (--bench) every pass that ran is
// timed. Stops early when interrupted; returns EXIT_OUTPUT, said, when a frame cannot be written.
int renderFrames(const Options& o, Velmora& show, FrameClock& clock, MainLoop& loop, FrameSink* sink,
                 BenchRecord& record, Progress& progress) {
    const std::int64_t total = o.frameCount();
    for (std::int64_t n = 0; n < total && !interruption(); ++n) {
        int t = o.frameTime(n);
        clock.setPosition(t);
        const Nanos begun = monotonicNow();
        const std::int64_t passesBefore = loop.passes;
        BITMAP* frame = loop.pass();
        const double ms = static_cast<double>(monotonicNow() - begun) / MILLISECOND;
        if (!sink) {
            // A frame that shows the last pass again is no pass of its own.
            if (loop.passes != passesBefore) record.add(t, ms, show.timeline, n == 0);
            continue;
        }
        std::string error;
        if (!sink->frame(frame, error)) {
            if (interruption()) break;
            progress.endLine();
            std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
            sink->abandon();
            return EXIT_OUTPUT;
        }
        progress.frameDone(n + 1);
    }
    return 0;
}

// The video or the files take their final names; returns the exit status.
int finish(FrameSink& sink) {
    std::string error;
    if (!sink.finish(error)) {
        std::fprintf(stderr, "velmora-capture: %s\n", interruption() ? "interrupted" : error.c_str());
        sink.abandon();
        return interruption() ? 128 + interruption() : EXIT_OUTPUT;
    }
    std::printf("%s\n", sink.result().c_str());
    return 0;
}

}  // namespace

int run(Options o) {
    catchInterrupts();
    const fs::path out = fs::absolute(o.out);
    const fs::path timesFile = o.times.empty() ? fs::path() : fs::absolute(o.times);
    if (!o.plot.empty()) o.plot = fs::absolute(o.plot).string();
    if (!enterShowFolder(o)) return EXIT_ARGUMENTS;
    std::unique_ptr<Velmora> show = buildShow(o);
    if (!fitSpan(o, *show)) return EXIT_ARGUMENTS;
    std::unique_ptr<FrameSink> sink;
    if (!o.bench) {
        int status = 0;
        sink = openSink(o, out, status);
        if (!sink) return status;
    }

    register_png_file_type();
    seedShowRand(o.seed);
    FrameClock clock(show->music);
    MainLoop loop(*show, clock);
    // Nothing is late offline, so every pass due is run.
    loop.mostPasses = std::numeric_limits<int>::max();
    loop.begin();
    Progress progress(o.frameCount(), !o.bench && isatty(STDERR_FILENO));
    BenchRecord record(o.bench ? o.frameCount() : 0);
    if (const int failed = renderFrames(o, *show, clock, loop, sink.get(), record, progress)) return failed;
    loop.end();
    show->music.stopMusic();
    if (interruption()) {
        // Nothing half-done keeps a name: the caller ends the process by the same signal.
        progress.endLine();
        std::fprintf(stderr, "velmora-capture: interrupted\n");
        if (sink) sink->abandon();
        return 128 + interruption();
    }
    if (!o.bench) return finish(*sink);
    printBench(o, record, show->workers.threads());
    const bool plotted = writePlot(o, record, show->workers.threads());
    return writeTimes(timesFile, record) && plotted ? 0 : 1;
}

}  // namespace Zorvek::capture
