#include "capture/options.h"

#include <climits>
#include <filesystem>

#include "parallel/worker_pool.h"
#include "runtime/command_line.h"
#include "runtime/environment.h"

namespace Zorvek::capture {

std::int64_t Options::frameCount() const {
    const std::int64_t span = static_cast<std::int64_t>(to) - from;
    return (span * fps + 999) / 1000;
}

int Options::frameTime(std::int64_t n) const { return from + static_cast<int>(n * 1000 / fps); }

namespace {

using CaptureOption = Option<Options>;

// A refused word or value is named as it stands: --fps: 0 is not ....
constexpr CommandLineStyle STYLE{""};

bool takeText(std::string& into, const char* value) {
    into = value;
    return true;
}

constexpr CaptureOption OPTIONS[] = {
    {{"--from", "MS", "music time of the first frame, in milliseconds (default 0)", "a number"},
     [](Options& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--from", v, 0, INT_MAX / 2, o.from, error);
     }},
    {{"--to", "MS",
      "music time the capture ends at, not included (default 287000: the whole show;\n"
      "an end past the show's is brought back to it)",
      "a number"},
     [](Options& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--to", v, 0, INT_MAX / 2, o.to, error);
     }},
    {{"--fps", "N", "frames per second, 1 to 1000 (default 60)", "a number"},
     [](Options& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--fps", v, 1, 1000, o.fps, error);
     }},
    {{"--out", "DIR", "the folder for the video, or for the frames and the WAV file (default capture)", "a folder"},
     [](Options& o, const char* v, std::string&) { return takeText(o.out, v); }},
    {{"--video", "NAME", "the video's file name inside the folder (default velmora.mp4)", "a file name"},
     [](Options& o, const char* v, std::string&) { return takeText(o.video, v); }},
    {{"--scale", "N", "the video N times the picture's 320 x 240, pixels kept sharp, 1 to 8 (default 3)", "a number"},
     [](Options& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--scale", v, 1, 8, o.scale, error);
     }},
    {{"--seed", "N", "seed the random patterns (noise, specks) with N (default 1)", "a number"},
     [](Options& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--seed", v, 0, UINT_MAX, o.seed, error);
     }},
    {{"--frames", nullptr, "write PNG frames and a WAV file even when ffmpeg is there"},
     [](Options& o, const char*, std::string&) {
         o.frames = true;
         return true;
     }},
    {{"--quality", "LEVEL",
      "standard (the default) encodes faster than the show plays, for watching and\n"
      "uploading; small takes longer for a smaller file; lossless keeps every pixel (RGB)",
      "standard, small or lossless"},
     [](Options& o, const char* v, std::string& error) {
         if (parseQuality(v, o.quality)) return true;
         error = std::string("--quality: ") + v + " is not standard, small or lossless";
         return false;
     }},
    {{"--assets", "DIR", "the folder of oldskool.dat and drift.mod (default: where the show finds them)", "a folder"},
     [](Options& o, const char* v, std::string&) { return takeText(o.assets, v); }},
    {{"--bench", nullptr, "render without writing; print the pass times per chapter and the slowest moments"},
     [](Options& o, const char*, std::string&) {
         o.bench = true;
         return true;
     }},
    {{"--times", "FILE", "with --bench, also write each pass: music time, ms, events begun", "a file name"},
     [](Options& o, const char* v, std::string&) { return takeText(o.times, v); }},
    {{"--plot", "FILE.png",
      "with --bench, draw every pass's time across the show, with the chapters, the\n"
      "budgets of 60, 144 and 240 Hz displays and the slowest moments",
      "a file name"},
     [](Options& o, const char* v, std::string&) { return takeText(o.plot, v); }},
    {{"--threads", "N", "render with N threads (1: the main thread alone; default: one per core)", "a number"},
     [](Options& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--threads", v, 1, WorkerPool::MAX_THREADS, o.threads, error);
     }},
    {{"--help", nullptr, "print this help and exit", nullptr, 'h'},
     [](Options& o, const char*, std::string&) {
         o.help = true;
         return true;
     }},
    {{"--version", nullptr, "print the version and exit"},
     [](Options& o, const char*, std::string&) {
         o.version = true;
         return true;
     }},
};

// What the options leave that no one option can refuse alone.
bool agree(const Options& o, std::string& error) {
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

}  // namespace

std::string usage() {
    return "usage: velmora-capture [OPTION]...\n"
           "Renders the show offline: a video through ffmpeg when it is installed (H.264 and AAC),\n"
           "otherwise numbered PNG frames and a WAV file. Files take their final names only when\n"
           "the capture is complete; a folder of frames that holds anything is refused.\n" +
           listOptions(OPTIONS) +
           "Exit status: 0 done; 1 an output cannot be written or ffmpeg failed; 2 a bad argument;\n"
           "255..252 the show's own failures (-1..-4); interrupted (Ctrl-C, SIGTERM, SIGHUP): it\n"
           "removes what it began and ends by that signal (130, 143, 129).\n" +
           environmentHelp(Program::Capture) + "The manual page velmora-capture(6) says more: man 6 velmora-capture\n";
}

bool parseOptions(int argc, char** argv, Options& o, std::string& error) {
    return readOptions(argc, argv, OPTIONS, STYLE, o, error) && agree(o, error);
}

std::string version() { return versionLine("velmora-capture"); }

bool fitToShow(Options& o, int showEnd, std::string& note, std::string& error) {
    note.clear();
    if (o.from >= showEnd) {
        error = "the show ends at " + std::to_string(showEnd) + " ms: --from " + std::to_string(o.from) +
                " leaves nothing to capture";
        return false;
    }
    if (o.to > showEnd) {
        note = "the show ends at " + std::to_string(showEnd) + " ms: capturing up to there";
        o.to = showEnd;
    }
    return true;
}

}  // namespace Zorvek::capture
