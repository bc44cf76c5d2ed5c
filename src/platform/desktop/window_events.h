#pragma once

#include "process/time.h"

union SDL_Event;

namespace Zorvek {

class Input;

// The window's keyboard, mouse and close button as SDL reports them, handed to the input once per
// pass. The window system's own key repeats are left out: the input repeats at the show's rate.
class WindowEvents {
public:
    explicit WindowEvents(Input& input) : input(input) {}
    // Takes every pending window event.
    void poll(Nanos now);
    // One window event at `now`.
    void handle(const SDL_Event& event, Nanos now);

private:
    Input& input;
};

// The library's scancode for SDL's; 0 for a key the library has no name for.
int libraryScancode(int sdlScancode);

}  // namespace Zorvek
