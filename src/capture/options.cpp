#include "capture/options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "parallel/worker_pool.h"
#include "runtime/environment.h"

namespace Zorvek::capture {

long Options::frameCount() const {
    long long span = static_cast<long long>(to) - from;
    return static_cast<long>((span * fps + 999) / 1000);
}

int Options::frameTime(long n) const {
    return from + static_cast<int>(static_cast<long long>(n) * 1000 / fps);
}

namespace {

bool parseInt(const char* text, long long low, long long high, long long& value) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

}  // namespace

std::string usage() {
    return "usage: velmora-capture [--from MS] [--to MS] [--fps N] [--out DIR] [--video NAME]\n"
           "                       [--scale N] [--seed N] [--frames] [--assets DIR] [--bench]\n"
           "                       [--threads N] [--times FILE] [--plot FILE.png]\n"
           "                       [--quality standard|small|lossless]\n"
           "       velmora-capture --help\n"
           "  Renders the show offline: a video through ffmpeg when it is installed (H.264 and\n"
           "  AAC, upscaled by --scale), otherwise numbered PNG frames and a WAV file in --out.\n"
           "  --frames writes PNG frames and WAV even when ffmpeg is there. --bench renders\n"
           "  without writing and prints the pass times per chapter and the slowest moments.\n"
           "  --threads N renders with N threads (1: the main thread alone; default: one per core).\n"
           "  --times FILE (with --bench) also writes each pass: music time, ms, events begun.\n"
           "  --plot FILE.png (with --bench) draws every pass's time across the show, with the\n"
           "  chapters, the budgets of 60, 144 and 240 Hz displays and the slowest moments.\n"
           "  --quality: standard (default) encodes faster than the show plays, for watching and\n"
           "  uploading; small takes longer for a smaller file; lossless keeps every pixel (RGB).\n"
           "  Defaults: --from 0 --to 287000 --fps 60 --out capture --scale 3 --seed 1\n"
           "  An end past the show's is brought back to it. Files take their final names only\n"
           "  when the capture is complete; a folder of frames that holds anything is refused.\n"
           "  Exit status: 0 done; 1 an output cannot be written or ffmpeg failed; 2 a bad\n"
           "  argument; 255..252 the show's own failures (-1..-4); interrupted (Ctrl-C, SIGTERM,\n"
           "  SIGHUP): it removes what it began and ends by that signal (130, 143, 129).\n" +
           environmentHelp(Program::Capture) +
           "The manual page velmora-capture(6) says more: man 6 velmora-capture\n";
}

bool parseOptions(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs " + what;
                return nullptr;
            }
            return argv[++i];
        };
        auto number = [&](long long low, long long high, long long& n) {
            const char* text = value("a number");
            if (!text) return false;
            if (!parseInt(text, low, high, n)) {
                error = std::string(arg) + ": " + text + " is not a whole number from " +
                        std::to_string(low) + " to " + std::to_string(high);
                return false;
            }
            return true;
        };
        long long n = 0;
        if (!std::strcmp(arg, "--from")) {
            if (!number(0, INT_MAX / 2, n)) return false;
            o.from = static_cast<int>(n);
        } else if (!std::strcmp(arg, "--to")) {
            if (!number(0, INT_MAX / 2, n)) return false;
            o.to = static_cast<int>(n);
        } else if (!std::strcmp(arg, "--fps")) {
            if (!number(1, 1000, n)) return false;
            o.fps = static_cast<int>(n);
        } else if (!std::strcmp(arg, "--scale")) {
            if (!number(1, 8, n)) return false;
            o.scale = static_cast<int>(n);
        } else if (!std::strcmp(arg, "--threads")) {
            if (!number(1, WorkerPool::MAX_THREADS, n)) return false;
            o.threads = static_cast<int>(n);
        } else if (!std::strcmp(arg, "--seed")) {
            if (!number(0, UINT_MAX, n)) return false;
            o.seed = static_cast<unsigned>(n);
        } else if (!std::strcmp(arg, "--out")) {
            const char* text = value("a folder");
            if (!text) return false;
            o.out = text;
        } else if (!std::strcmp(arg, "--video")) {
            const char* text = value("a file name");
            if (!text) return false;
            o.video = text;
        } else if (!std::strcmp(arg, "--times")) {
            const char* text = value("a file name");
            if (!text) return false;
            o.times = text;
        } else if (!std::strcmp(arg, "--plot")) {
            const char* text = value("a file name");
            if (!text) return false;
            o.plot = text;
        } else if (!std::strcmp(arg, "--quality")) {
            const char* text = value("standard, small or lossless");
            if (!text) return false;
            if (!parseQuality(text, o.quality)) {
                error = std::string("--quality: ") + text + " is not standard, small or lossless";
                return false;
            }
        } else if (!std::strcmp(arg, "--assets")) {
            const char* text = value("a folder");
            if (!text) return false;
            o.assets = text;
        } else if (!std::strcmp(arg, "--bench")) {
            o.bench = true;
        } else if (!std::strcmp(arg, "--frames")) {
            o.frames = true;
        } else if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            o.help = true;
        } else {
            error = std::string("unknown option ") + arg;
            return false;
        }
    }
    if (o.to <= o.from) {
        error = "the end (--to " + std::to_string(o.to) + ") must come after the start (--from " +
                std::to_string(o.from) + ")";
        return false;
    }
    if (o.out.empty()) {
        error = "--out needs a folder";
        return false;
    }
    if (!o.video.empty()) {
        std::filesystem::path name = std::filesystem::path(o.video).filename();
        if (name.empty() || name == "." || name == "..") {
            error = "--video " + o.video + " names a folder, not a file";
            return false;
        }
    }
    return true;
}

bool fitToShow(Options& o, int showEnd, std::string& note, std::string& error) {
    note.clear();
    if (o.from >= showEnd) {
        error = "the show ends at " + std::to_string(showEnd) + " ms: --from " +
                std::to_string(o.from) + " leaves nothing to capture";
        return false;
    }
    if (o.to > showEnd) {
        note = "the show ends at " + std::to_string(showEnd) + " ms: capturing up to there";
        o.to = showEnd;
    }
    return true;
}

}  // namespace Zorvek::capture
