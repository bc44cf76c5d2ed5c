#pragma once

#include <memory>
#include <string>

#include "display/pacer.h"

struct BITMAP;

namespace Zorvek {

// How the viewer wants the show presented.
struct ScreenSettings {
    int windowed = -1;    // 1: start in a window, 0: fullscreen, -1: as the show asks
    int windowScale = 0;  // the window's size in multiples of the frame; 0: fit the desktop
    bool smooth = false;  // any scale factor, filtered, instead of whole multiples
    int refreshHz = 0;    // the display's refresh rate as the viewer gives it; 0: as it reports
};

// Where finished frames are shown: a window or the whole desktop.
class Screen {
public:
    virtual ~Screen() = default;
    // Shows frames of `width` × `height` in a window or fullscreen, replacing what was open.
    // False when that cannot be had.
    virtual bool open(bool windowed, int width, int height) = 0;
    // Shows a finished frame, one per displayed refresh. A null frame leaves the picture on show
    // as it is; the pass still takes its refresh.
    virtual void show(BITMAP* frame) = 0;
    // Shows again the frame shown last, unchanged since: a screen that still holds its picture
    // need not draw it anew. The pass takes its refresh as with show().
    virtual void showAgain(BITMAP* frame) { show(frame); }
    // The pace of the presents and what has been presented.
    virtual const Pacer& pacing() const = 0;
};

// The platform's screen, which the build chooses. Brings its video system up: false when there is
// no display to show anything on.
bool connectScreen();
// Why connectScreen() failed, in one line: what the environment names, and the system's reason.
std::string screenConnectFailure();
// A screen that shows nothing yet; Display opens it in the mode the show asks for.
std::unique_ptr<Screen> makeScreen(const ScreenSettings& settings, const char* title);

}  // namespace Zorvek
