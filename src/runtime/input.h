#pragma once

#include "process/time.h"

namespace Zorvek {

// The viewer's keys and mouse buttons as the platform reports them, fed to the input handlers on
// the main thread. Keys are the library's scancodes; a held key repeats after 500 ms every 100 ms,
// whatever the platform's own rate, so that a held arrow moves the show about ten times normal
// speed. The 100 ms timer ticks are counted here too. What a held key means to the pass (Down,
// Up, C) is set among the requests, so that the pass reads only its time and its requests.
class Input {
public:
    static constexpr Nanos REPEAT_DELAY = 500 * MILLISECOND;
    static constexpr Nanos REPEAT_INTERVAL = 100 * MILLISECOND;
    static constexpr Nanos TICK = 100 * MILLISECOND;

    explicit Input(Nanos now);
    // A key went down (not a platform's own repeat) or up at `now`; 0 is a key without a name.
    void press(int scancode, Nanos now);
    void release(int scancode);
    // Mouse buttons: bit 1 the left, 2 the right, 4 the middle.
    void pressButtons(int bits);
    void releaseButtons(int bits);
    // The key repeats and timer ticks due by `now`.
    void advance(Nanos now);
    // Every key and button counts as let go: the window that would have told is gone (a switch
    // between window and fullscreen opens a new one) or lost the focus.
    void releaseAll();

private:
    void setHeld(int scancode, bool held);

    int repeating = 0;  // the last key pressed, while it is held
    Nanos nextRepeat = 0;
    Nanos nextTick = 0;
};

}  // namespace Zorvek
