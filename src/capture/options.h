#pragma once

#include <cstdint>
#include <string>

#include "capture/video_encoding.h"
#include "process/pass_rate.h"

namespace Zorvek::capture {

// What the offline renderer is asked to do.
struct Options {
    int from = 0;     // music time of the first frame, ms
    int to = 287000;  // music time the span ends at (exclusive), ms
    int fps = PASSES_PER_SECOND;
    unsigned seed = 1;            // the random patterns (noise, specks) are seeded with this
    std::string out = "capture";  // folder for PNG frames and WAV, or the video's folder
    std::string video;            // video file name inside `out`; empty: "velmora.mp4"
    int scale = 3;                // nearest-neighbour upscale of the video
    bool bench = false;           // time the passes, write nothing
    bool frames = false;          // PNG frames and WAV even when ffmpeg is there
    bool help = false;
    bool version = false;
    std::string times;   // with bench: a file that gets every pass's time, for combining runs
    int threads = 0;     // threads that render, the caller's included; 0: VELMORA_THREADS or the cores
    std::string assets;  // folder holding oldskool.dat and drift.mod; empty: found as the show finds it
    Quality quality = Quality::Standard;  // of the video
    std::string plot;                     // with bench: a PNG file that gets a chart of every pass's time

    // Frames in the span: one every 1000 / fps ms from `from`, up to but not including `to`.
    std::int64_t frameCount() const;
    // Music time of frame n.
    int frameTime(std::int64_t n) const;
};

// Parses the command line; on a bad argument returns false with a one-line message in `error`.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// Fits the span to the show, which ends at `showEnd` ms: an end past it is brought back to it,
// with a line for the user in `note`; a start at or past it is refused with `error`.
bool fitToShow(Options& options, int showEnd, std::string& note, std::string& error);

// Exit statuses of the capture's own failures; the show's failures keep their own codes, and an
// interrupted capture ends by its signal.
constexpr int EXIT_OUTPUT = 1;     // an output that cannot be written, or ffmpeg failing
constexpr int EXIT_ARGUMENTS = 2;  // a bad argument

// The --help text: the options, the environment and where the manual page is.
std::string usage();

// "velmora-capture 1.0.0", for --version
std::string version();

}  // namespace Zorvek::capture
