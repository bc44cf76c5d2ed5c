#pragma once

#include "process/time.h"

union SDL_Event;

namespace Zorvek {

// The window's keyboard, mouse and close button, fed to the input handlers on the main thread
// once per pass. Keys keep the handlers' scancodes and the library's key state array; a held key
// repeats after 500 ms every 100 ms, whatever the window system's own rate, so that a held arrow
// moves the show about ten times normal speed. The 100 ms timer ticks are counted here too.
class Input {
public:
    static constexpr Nanos REPEAT_DELAY = 500 * MILLISECOND;
    static constexpr Nanos REPEAT_INTERVAL = 100 * MILLISECOND;
    static constexpr Nanos TICK = 100 * MILLISECOND;

    explicit Input(Nanos now);
    // Takes every pending window event, then runs the repeats and ticks due by `now`.
    void poll(Nanos now);
    // One window event at `now`.
    void handle(const SDL_Event& event, Nanos now);
    // The key repeats and timer ticks due by `now`.
    void advance(Nanos now);
    // Every key and button counts as let go: the window that would have told is gone (a switch
    // between window and fullscreen opens a new one) or lost the focus.
    void releaseAll();

private:
    void press(int scancode, Nanos now);
    void release(int scancode);

    int repeating = 0;  // the last key pressed, while it is held
    Nanos nextRepeat = 0;
    Nanos nextTick = 0;
};

// The library's scancode for SDL's; 0 for a key the library has no name for.
int libraryScancode(int sdlScancode);

}  // namespace Zorvek
