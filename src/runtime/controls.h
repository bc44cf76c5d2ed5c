#pragma once

#include "process/requests.h"

namespace Zorvek {

// The input handlers: they only write the requests (process/requests.h) and read the key state,
// the mouse buttons and the key jump table.

// A key press or repeat: the key code has the scancode in bits 8-15. Returns 0 (swallowed).
int keyboardHandler(int key);
// Every 100 ms: mouse-button seeks, the end-of-show rewind, the clock while scrubbing.
void timerHandler();
// The window's close button.
void closeHandler();

}  // namespace Zorvek
