#include "runtime/controls.h"

#include <allegro.h>

namespace Zorvek {

namespace {
// A held arrow key repeats every 100 ms while the music moves 100 ms: -1100 and +900 per repeat
// move the show about 1000 ms per 100 ms either way.
constexpr int SEEK_BACK = 1100;
constexpr int SEEK_FORWARD = 900;
constexpr int REWIND_STEP = 1400;
}  // namespace

int keyboardHandler(int keycode) {
    if (quitRequested || modeSwitchRequested) return 0;
    rewinding = false;
    int scancode = (keycode >> 8) & 0xFF;
    switch (scancode) {
        case KEY_F11: modeSwitchRequested = true; break;
        case KEY_ESC: quitRequested = true; break;
        case KEY_E: showEvents = !showEvents; break;
        case KEY_F: showFps = !showFps; break;
        case KEY_T: showClock = !showClock; break;
        case KEY_LEFT:
            seekDelta -= SEEK_BACK;
            seeking = true;
            break;
        case KEY_RIGHT:
            seekDelta += SEEK_FORWARD;
            seeking = true;
            break;
        default: {
            int target = keyJump[scancode];
            if (target >= 0) jumpTo = target;
            break;
        }
    }
    return 0;  // every key is swallowed
}

void timerHandler() {
    if (mouse_b & 1) {
        seekDelta -= SEEK_BACK;
        rewinding = false;
        seeking = true;
    } else if (mouse_b & 2) {
        seekDelta += SEEK_FORWARD;
        rewinding = false;
        seeking = true;
    } else if (rewinding) {
        seekDelta -= REWIND_STEP;
        seeking = true;
    } else {
        seeking = key[KEY_LEFT] || key[KEY_RIGHT];
    }
}

void closeHandler() { quitRequested = true; }

}  // namespace Zorvek
