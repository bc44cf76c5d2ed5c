#pragma once

#include "process/shared_value.h"

namespace Zorvek {

// Requests shared between the input handlers and the main loop. Single values, written by the
// handlers and read and cleared by the loop once per pass; a request made during a pass takes
// effect in the next one.
extern SharedValue<int> keyJump[256];  // ms to jump to per scancode; -1 = no jump
extern SharedValue<int> jumpTo;        // -1 = none
extern SharedValue<int> seekDelta;     // pending relative seek, summed since the last pass
extern SharedValue<bool> quitRequested;
extern SharedValue<bool> modeSwitchRequested;
extern SharedValue<bool> showEvents;
extern SharedValue<bool> showFps;
extern SharedValue<bool> showClock;
extern SharedValue<bool> seeking;    // the clock is shown while the viewer scrubs or the show rewinds
extern SharedValue<bool> rewinding;  // the timer pulls the music back to the start
// Keys that act while they are held, as the input sets them: the pass reads these, not the keys.
extern SharedValue<bool> freezeHeld;  // Down: the picture stays as it is
extern SharedValue<bool> hideHeld;    // Up: nothing is presented, the show runs on unseen
extern SharedValue<bool> creditHeld;  // C: the credit line

// Back to the state at program start (keyJump: entry 0 is 0, all others -1).
void resetControls();

}  // namespace Zorvek
