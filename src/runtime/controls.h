#pragma once

#include <atomic>

namespace Zorvek {

// Requests shared between the input handlers (the graphics library's threads) and the main loop.
// Single values, written by the handlers and read and cleared by the loop once per pass. They are
// atomics so that the threads may touch them without locks and without a data race; a request
// made during a pass takes effect in the next one.
extern std::atomic<int> keyJump[256];  // ms to jump to per scancode; -1 = no jump
extern std::atomic<int> jumpTo;        // -1 = none
extern std::atomic<int> seekDelta;     // pending relative seek, summed since the last pass
extern std::atomic<bool> quitRequested;
extern std::atomic<bool> modeSwitchRequested;
extern std::atomic<bool> showEvents;
extern std::atomic<bool> showFps;
extern std::atomic<bool> showClock;
extern std::atomic<bool> seeking;    // the clock is shown while the viewer scrubs or the show rewinds
extern std::atomic<bool> rewinding;  // the timer pulls the music back to the start

int keyboardHandler(int key);
void timerHandler();
void closeHandler();

// Back to the state at program start (keyJump: entry 0 is 0, all others -1).
void resetControls();

}  // namespace Zorvek
