#include "capture/capture.h"

#include <allegro.h>
#include <loadpng.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "capture/bench_plot.h"
#include "capture/frame_sink.h"
#include "capture/interrupt.h"
#include "capture/pass_stats.h"
#include "capture/wav.h"
#include "effects/instruction_sets.h"
#include "parallel/worker_pool.h"
#include "platform/sound/sound_layer.h"
#include "runtime/clock.h"
#include "runtime/controls.h"
#include "runtime/data_dir.h"
#include "process/fail.h"
#include "runtime/main_loop.h"
#include "show/velmora.h"

namespace fs = std::filesystem;

namespace Zorvek::capture {

namespace {

using Clock = std::chrono::steady_clock;

// The capture's own clock: it stands where the capture puts it, and takes the music (and so the
// spectrum the ray caster reads) along.
class FrameClock final : public Zorvek::Clock {
public:
    explicit FrameClock(Music& music) : music(music) {}
    int ms = 0;
    int position() override { return ms; }
    void setPosition(int to) override {
        ms = to;
        music.setPosition(to);
        musicAt = to;
    }
    void update() override { music.update(); }
    void renderingAt(int at) override {
        if (at == musicAt) return;
        music.setPosition(at);
        musicAt = at;
    }

private:
    Music& music;
    int musicAt = -1;
};

// Chapter keys in the order of their start times, named as on the keyboard.
struct ChapterStart {
    const char* name;
    int start;
};
std::vector<ChapterStart> chapterStarts() {
    static const struct {
        const char* name;
        int key;
    } keys[] = {{"F1", KEY_F1}, {"F2", KEY_F2}, {"F3", KEY_F3},   {"F4", KEY_F4},
                {"F5", KEY_F5}, {"F6", KEY_F6}, {"F7", KEY_F7},   {"F8", KEY_F8},
                {"F9", KEY_F9}, {"F10", KEY_F10}, {"F12", KEY_F12}};
    std::vector<ChapterStart> starts;
    for (const auto& k : keys)
        if (keyJump[k.key] >= 0) starts.push_back({k.name, keyJump[k.key]});
    return starts;
}

class Progress {
public:
    Progress(long total, bool enabled) : total(total), enabled(enabled), begun(Clock::now()) {}
    void frameDone(long done) {
        if (!enabled) return;
        auto now = Clock::now();
        if (done != total && now - shown < std::chrono::milliseconds(250)) return;
        shown = now;
        double seconds = std::chrono::duration<double>(now - begun).count();
        double rate = seconds > 0 ? done / seconds : 0;
        long left = rate > 0 ? static_cast<long>((total - done) / rate) : 0;
        std::fprintf(stderr, "\rframe %ld/%ld (%.1f%%)  %.1f frames/s  %ld:%02ld left   ", done,
                     total, 100.0 * done / total, rate, left / 60, left % 60);
        shownLine = done != total;
        if (!shownLine) std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    // Ends a progress line left open, before a message.
    void endLine() {
        if (shownLine) std::fputc('\n', stderr);
        shownLine = false;
    }

private:
    long total;
    bool enabled;
    Clock::time_point begun;
    Clock::time_point shown{};
    bool shownLine = false;
};

std::string activeNames(Timeline& timeline) {
    std::string names;
    for (TimelineEvent** r = timeline.active; *r; ++r) {
        if (!names.empty()) names += ", ";
        names += (*r)->effect->name();
    }
    return names;
}

// The names of the events whose first pass this is: those that began after the previous frame.
std::string beginningNames(Timeline& timeline, int previousTime, bool firstFrame) {
    std::string names;
    for (TimelineEvent** r = timeline.active; *r; ++r) {
        if (!firstFrame && (*r)->start <= previousTime) continue;
        if (!names.empty()) names += ", ";
        names += (*r)->effect->name();
    }
    return names;
}

void printBench(const Options& o, const std::vector<int>& times, const std::vector<double>& ms,
                const SlowestMoments& slowest, const std::vector<std::string>& begins, int threads) {
    std::vector<ChapterStart> chapters = chapterStarts();
    std::printf("pass times over %d..%d ms at %d frames/s, %zu passes, %d thread%s; processor: %s, %d cores\n",
                o.from, o.to, o.fps, ms.size(), threads, threads == 1 ? "" : "s", instructionSets::describe(),
                coreCount());
    std::printf("%-8s %7s %8s %9s %9s %9s %10s\n", "chapter", "threads", "passes", "median", "p99", "max",
                "fps(med)");
    auto line = [threads](const char* name, const PassTimes& t) {
        std::printf("%-8s %7d %8ld %7.3fms %7.3fms %7.3fms %10.0f\n", name, threads, t.count, t.median, t.p99,
                    t.max, t.median > 0 ? 1000.0 / t.median : 0.0);
    };
    for (std::size_t c = 0; c < chapters.size(); ++c) {
        int from = chapters[c].start;
        int to = c + 1 < chapters.size() ? chapters[c + 1].start : 1 << 30;
        std::vector<double> part;
        for (std::size_t i = 0; i < times.size(); ++i)
            if (times[i] >= from && times[i] < to) part.push_back(ms[i]);
        if (!part.empty()) line(chapters[c].name, summarize(part));
    }
    line("show", summarize(ms));
    std::printf("slowest moments:\n");
    for (const Moment& m : slowest.list())
        std::printf("  %7.3fms at %02d:%02d.%03d  %s\n", m.ms, m.time / 60000, (m.time / 1000) % 60,
                    m.time % 1000, m.events.c_str());
    int over = 0;
    const std::vector<FirstPass> firsts = costliestFirstPasses(times, ms, begins, 5, 1.0, over);
    std::printf("first passes more than 1 ms over the next: %d; costliest:\n", over);
    for (const FirstPass& f : firsts)
        std::printf("  %+7.3fms at %02d:%02d.%03d  %s\n", f.extra, f.time / 60000, (f.time / 1000) % 60,
                    f.time % 1000, f.events.c_str());
}

// The chart of the passes, with the chapters at their keys.
bool writePlot(const Options& o, const std::vector<int>& times, const std::vector<double>& ms,
               const SlowestMoments& slowest, int threads) {
    if (o.plot.empty()) return true;
    BenchPlot plot;
    const PassTimes t = summarize(ms);
    char title[200];
    std::snprintf(title, sizeof title,
                  "velmora-capture --bench: %ld passes at %d frames/s, %d thread%s, %s; median %.3f ms, p99 %.3f ms, "
                  "max %.3f ms",
                  t.count, o.fps, threads, threads == 1 ? "" : "s", instructionSets::describe(), t.median, t.p99, t.max);
    plot.title = title;
    plot.times = times;
    plot.ms = ms;
    for (const ChapterStart& c : chapterStarts()) plot.chapters.push_back({c.name, c.start});
    plot.slowest = slowest.list();
    std::string error;
    if (writeBenchPlot(o.plot, plot, error)) return true;
    std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
    return false;
}

// One line per pass: music time, pass time in ms, the events that began there (tab-separated).
bool writeTimes(const fs::path& file, const std::vector<int>& times, const std::vector<double>& ms,
                const std::vector<std::string>& begins) {
    if (file.empty()) return true;
    std::FILE* f = std::fopen(file.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "velmora-capture: cannot write %s\n", file.c_str());
        return false;
    }
    for (std::size_t i = 0; i < times.size(); ++i)
        std::fprintf(f, "%d\t%.4f\t%s\n", times[i], ms[i], begins[i].c_str());
    return std::fclose(f) == 0;
}

}  // namespace

int run(Options o) {
    catchInterrupts();
    fs::path out = fs::absolute(o.out);
    const fs::path timesFile = o.times.empty() ? fs::path() : fs::absolute(o.times);
    if (!o.plot.empty()) o.plot = fs::absolute(o.plot).string();
    fs::path assets =
        o.assets.empty() ? locateShowData("velmora-capture").folder : fs::absolute(o.assets);

    // The show finds its datafile and module by their plain names, and reads both before anything
    // is written: a file it cannot use ends the capture as it ends the program, with the same
    // message and code.
    std::error_code ec;
    fs::current_path(assets, ec);
    if (ec) {
        std::fprintf(stderr, "velmora-capture: cannot enter %s\n", assets.c_str());
        return EXIT_ARGUMENTS;
    }
    sound::setOffline(true);
    if (o.threads > 0) setWorkerCount(o.threads);
    auto show = std::make_unique<Velmora>(DemoMode::Headless);
    show->display.setHeadless(320, 240, 32);
    show->script();
    show->music.play();

    // Past the show's end there is nothing but the rewind; the sound past the module's end, were
    // it shorter, is silence. The span so bounds every size that follows from it.
    {
        std::string note, error;
        if (!fitToShow(o, latestEnd(show->timeline) + 1, note, error)) {
            std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
            return EXIT_ARGUMENTS;
        }
        if (!note.empty()) std::fprintf(stderr, "velmora-capture: %s\n", note.c_str());
    }

    const bool video = !o.bench && !o.frames && videoAvailable();
    if (!o.bench && !o.frames && !video)
        std::fprintf(stderr, "ffmpeg is not installed: writing PNG frames and a WAV file instead\n");

    std::unique_ptr<FrameSink> sink;
    if (!o.bench) {
        std::string error;
        sink = video ? makeVideoSink(out, o, error) : makeFrameSequenceSink(out, error);
        if (!sink) {
            std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
            return EXIT_OUTPUT;
        }
    }

    if (sink) {
        std::vector<std::int16_t> pcm;
        int rate = 0;
        if (!sound::decodeSpan("drift.mod", o.from, o.to, pcm, rate)) {
            std::fprintf(stderr, "Failed loading music stream.\n");
            sink->abandon();
            return EXIT_SOUND;
        }
        std::string error;
        if (!sink->sound(pcm, rate, error)) {
            std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
            sink->abandon();
            return EXIT_OUTPUT;
        }
    }

    register_png_file_type();
    std::srand(o.seed);
    FrameClock clock(show->music);
    MainLoop loop(*show, clock);
    // Frame n is what a display of --fps N shows at its refresh n: the passes of the 60 Hz grid
    // that came due by then where the picture depends on them, else a pass at the frame's own
    // time. Nothing is late offline, so every pass due is run.
    loop.mostPasses = std::numeric_limits<int>::max();
    loop.begin();

    const long total = o.frameCount();
    Progress progress(total, !o.bench && isatty(STDERR_FILENO));
    std::vector<int> times;
    std::vector<double> passMs;
    std::vector<std::string> begins;
    SlowestMoments slowest(10);
    if (o.bench) {
        times.reserve(static_cast<std::size_t>(total));
        passMs.reserve(static_cast<std::size_t>(total));
        begins.reserve(static_cast<std::size_t>(total));
    }
    for (long n = 0; n < total && !interruption(); ++n) {
        int t = o.frameTime(n);
        clock.setPosition(t);
        auto begun = Clock::now();
        const long passesBefore = loop.passes;
        BITMAP* frame = loop.pass();
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - begun).count();
        if (o.bench) {
            if (loop.passes == passesBefore) continue;  // a frame that shows the last pass again
            begins.push_back(beginningNames(show->timeline, n > 0 ? times.back() : 0, n == 0));
            times.push_back(t);
            passMs.push_back(ms);
            if (slowest.qualifies(ms)) slowest.add({t, ms, activeNames(show->timeline)});
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
    loop.end();
    show->music.stopMusic();
    if (interruption()) {
        // Nothing half-done keeps a name: the caller ends the process by the same signal.
        progress.endLine();
        std::fprintf(stderr, "velmora-capture: interrupted\n");
        if (sink) sink->abandon();
        return 128 + interruption();
    }

    if (o.bench) {
        printBench(o, times, passMs, slowest, begins, show->workers.threads());
        const bool plotted = writePlot(o, times, passMs, slowest, show->workers.threads());
        return writeTimes(timesFile, times, passMs, begins) && plotted ? 0 : 1;
    }
    std::string error;
    if (!sink->finish(error)) {
        std::fprintf(stderr, "velmora-capture: %s\n",
                     interruption() ? "interrupted" : error.c_str());
        sink->abandon();
        return interruption() ? 128 + interruption() : EXIT_OUTPUT;
    }
    std::printf("%s\n", sink->result().c_str());
    return 0;
}

}  // namespace Zorvek::capture
