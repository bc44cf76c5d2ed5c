#include "runtime/input.h"

#include <allegro.h>

#include "runtime/controls.h"

namespace Zorvek {

namespace {
// A pass that took long (a window being dragged, a machine under load) runs at most this many
// late repeats or ticks at once; the rest are dropped rather than fired in a burst.
constexpr int MOST_AT_ONCE = 5;
}  // namespace

Input::Input(Nanos now) : nextTick(now + TICK) {}

void Input::setHeld(int scancode, bool held) {
    key[scancode] = held ? 1 : 0;
    switch (scancode) {
        case KEY_DOWN: freezeHeld = held; break;
        case KEY_UP: hideHeld = held; break;
        case KEY_C: creditHeld = held; break;
        default: break;
    }
}

void Input::press(int scancode, Nanos now) {
    if (scancode <= 0 || scancode >= KEY_MAX) return;  // a key the handlers have no name for
    setHeld(scancode, true);
    keyboardHandler(scancode << 8);
    repeating = scancode;
    nextRepeat = now + REPEAT_DELAY;
}

void Input::release(int scancode) {
    if (scancode <= 0 || scancode >= KEY_MAX) return;
    setHeld(scancode, false);
    if (repeating == scancode) repeating = 0;
}

void Input::pressButtons(int bits) { mouse_b = mouse_b | bits; }

void Input::releaseButtons(int bits) { mouse_b = mouse_b & ~bits; }

void Input::releaseAll() {
    for (int k = 1; k < KEY_MAX; ++k)
        if (key[k]) setHeld(k, false);
    mouse_b = 0;
    repeating = 0;
}

void Input::advance(Nanos now) {
    for (int n = 0; repeating && now >= nextRepeat; ++n) {
        if (n == MOST_AT_ONCE) {
            nextRepeat = now + REPEAT_INTERVAL;
            break;
        }
        keyboardHandler(repeating << 8);
        nextRepeat += REPEAT_INTERVAL;
    }
    for (int n = 0; now >= nextTick; ++n) {
        if (n == MOST_AT_ONCE) {
            nextTick = now + TICK;
            break;
        }
        timerHandler();
        nextTick += TICK;
    }
}

}  // namespace Zorvek
