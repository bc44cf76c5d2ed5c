#pragma once

#include <string>

#include "display/screen.h"

namespace Zorvek {

// What the viewer asks of the program on its command line.
struct ViewerOptions {
    ScreenSettings screen;  // --window / --fullscreen, --scale N, --smooth, --refresh HZ
    int startKey = 0;       // --chapter F6: the function key whose chapter to start at; 0: none
    int startMs = -1;       // --from MS; -1: none (the later of --chapter and --from counts)
    bool once = false;      // quit when the end screen has played instead of rewinding
    bool mute = false;      // no audio device; the music's clock still runs in real time
    bool stats = false;     // print the presented rate and the processor share at exit
    long long seed = -1;    // --seed N: the random patterns' seed; -1: the clock
    int threads = 0;        // --threads N: threads that render, the main one included; 0: one per core
    int audioDelayMs = 0;   // --audio-delay MS: how much later than reported the sound is heard
    bool help = false;
    bool version = false;
};

// Reads the command line. On an unknown option or a bad value returns false with one line in
// `error` that names it.
bool parseViewerOptions(int argc, char** argv, ViewerOptions& options, std::string& error);

// The usage text: every option with what it does.
std::string viewerUsage();

// "velmora 1.0.0", for --version
std::string viewerVersion();

}  // namespace Zorvek
