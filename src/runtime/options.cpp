#include "runtime/options.h"

#include <allegro.h>

#include <climits>

#include "parallel/worker_pool.h"
#include "runtime/command_line.h"
#include "runtime/environment.h"

namespace Zorvek {

namespace {

using ViewerOption = Option<ViewerOptions>;

// A refused word or value is named in quotes: '--frobnicate', --scale: '0'.
constexpr CommandLineStyle STYLE{"'"};

// Farther out than any television or headset delays its sound.
constexpr int MAX_AUDIO_DELAY_MS = 2000;

// "F1" to "F12" (either case); F11 switches between window and fullscreen and starts nothing.
int chapterKey(const char* name) {
    int n = 0;
    if ((name[0] != 'F' && name[0] != 'f') || !wholeNumber(name + 1, 1, 12, n) || n == 11) return 0;
    return KEY_F1 + n - 1;
}

constexpr ViewerOption OPTIONS[] = {
    {{"--window", nullptr, "start in a window"},
     [](ViewerOptions& o, const char*, std::string&) {
         o.screen.windowed = 1;
         return true;
     }},
    {{"--fullscreen", nullptr, "start fullscreen (the default)"},
     [](ViewerOptions& o, const char*, std::string&) {
         o.screen.windowed = 0;
         return true;
     }},
    {{"--scale", "N", "a window N times the picture's 320 x 240 (1 to 16)"},
     [](ViewerOptions& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--scale", v, 1, 16, o.screen.windowScale, error);
     }},
    {{"--smooth", nullptr, "scale the picture by any factor, filtered, to fill the screen"},
     [](ViewerOptions& o, const char*, std::string&) {
         o.screen.smooth = true;
         return true;
     }},
    {{"--refresh", "HZ", "the display's refresh rate, 50 to 240, where it reports none or a wrong one"},
     [](ViewerOptions& o, const char* v, std::string& error) {
         if (wholeNumber(v, 50, 240, o.screen.refreshHz)) return true;
         error = "--refresh: '" + std::string(v) + "' is not a refresh rate from 50 to 240 Hz";
         return false;
     }},
    {{"--chapter", "KEY", "start at the chapter of a function key: F1 to F10 or F12"},
     [](ViewerOptions& o, const char* v, std::string& error) {
         o.startKey = chapterKey(v);
         o.startMs = -1;
         if (o.startKey != 0) return true;
         error = "--chapter: '" + std::string(v) + "' is not a chapter key (F1 to F10, F12)";
         return false;
     }},
    {{"--from", "MS", "start at this music time, in milliseconds"},
     [](ViewerOptions& o, const char* v, std::string& error) {
         o.startKey = 0;
         if (wholeNumber(v, 0, 100'000'000, o.startMs)) return true;
         error = "--from: '" + std::string(v) + "' is not a time in milliseconds";
         return false;
     }},
    {{"--once", nullptr, "quit when the end screen has played, instead of rewinding"},
     [](ViewerOptions& o, const char*, std::string&) {
         o.once = true;
         return true;
     }},
    {{"--mute", nullptr, "play without sound (the show keeps its time)"},
     [](ViewerOptions& o, const char*, std::string&) {
         o.mute = true;
         return true;
     }},
    {{"--audio-delay", "MS", "sound heard MS ms later than reported (a TV, a headset; negative: earlier)"},
     [](ViewerOptions& o, const char* v, std::string& error) {
         if (wholeNumber(v, -MAX_AUDIO_DELAY_MS, MAX_AUDIO_DELAY_MS, o.audioDelayMs)) return true;
         error = "--audio-delay: '" + std::string(v) + "' is not a time in milliseconds from -" +
                 std::to_string(MAX_AUDIO_DELAY_MS) + " to " + std::to_string(MAX_AUDIO_DELAY_MS);
         return false;
     }},
    {{"--stats", nullptr, "at exit, print the pictures presented per second and the processor used"},
     [](ViewerOptions& o, const char*, std::string&) {
         o.stats = true;
         return true;
     }},
    {{"--seed", "N", "seed the random patterns with N, as the capture does, instead of the clock"},
     [](ViewerOptions& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--seed", v, 0, UINT_MAX, o.seed, error);
     }},
    {{"--threads", "N", "render with N threads (1: the main thread alone; default: one per core)"},
     [](ViewerOptions& o, const char* v, std::string& error) {
         return takeWholeNumber(STYLE, "--threads", v, 1, WorkerPool::MAX_THREADS, o.threads, error);
     }},
    {{"--help", nullptr, "print this help and exit", nullptr, 'h'},
     [](ViewerOptions& o, const char*, std::string&) {
         o.help = true;
         return true;
     }},
    {{"--version", nullptr, "print the version and exit"},
     [](ViewerOptions& o, const char*, std::string&) {
         o.version = true;
         return true;
     }},
};

}  // namespace

bool parseViewerOptions(int argc, char** argv, ViewerOptions& o, std::string& error) {
    return readOptions(argc, argv, OPTIONS, STYLE, o, error);
}

std::string viewerUsage() {
    return "usage: velmora [OPTION]...\n"
           "Plays the show. Esc quits, F11 switches between fullscreen and a window,\n"
           "F1 to F10 and F12 jump to the chapters.\n" +
           listOptions(OPTIONS) + environmentHelp(Program::Viewer) +
           "The manual page velmora(6) lists every key and file: man 6 velmora\n";
}

std::string viewerVersion() { return versionLine("velmora"); }

}  // namespace Zorvek
