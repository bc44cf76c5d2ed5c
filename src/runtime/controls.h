#pragma once

namespace Zorvek {

// Requests shared between the input handlers (the graphics library's threads) and the main loop.
// Plain values, written by the handlers and read and cleared by the loop once per pass.
extern volatile int keyJump[256];  // ms to jump to per scancode; -1 = no jump
extern volatile int jumpTo;        // -1 = none
extern volatile int seekDelta;
extern volatile bool quitRequested;
extern volatile bool modeSwitchRequested;
extern volatile bool showEvents;
extern volatile bool showFps;
extern volatile bool showClock;
extern volatile bool seeking;
extern volatile bool rewinding;

int keyboardHandler(int key);
void timerHandler();
void closeHandler();

// Back to the state at program start (keyJump: entry 0 is 0, all others -1).
void resetControls();

}  // namespace Zorvek
