#pragma once

#include <memory>
#include <string>

#include "display/screen.h"
#include "process/time.h"

struct BITMAP;

namespace Zorvek {

// The screen side of the demo: the window or fullscreen picture with its fall-backs, the
// presentation of finished frames and the pool of scratch frames that effects borrow.
class Display {
public:
    static constexpr int NUM_SCRATCH = 14;

    int windowed = 0;  // 1 when the picture is in a window
    int direct = 0;    // as the show asked; every picture is presented whole, at a refresh
    int width = 0;     // render size: size of every scratch frame
    int height = 0;
    int depth = 0;  // colour depth in bits
    BITMAP* scratch[NUM_SCRATCH] = {};
    bool inUse[NUM_SCRATCH] = {};
    int lent = 0;           // scratch frames lent out now
    int mostLent = 0;       // the most ever lent out at once: how close the show comes to the pool's size
    bool headless = false;  // no screen: setMode only keeps the render size and the scratch frames
    // The rate of the passes that carry the show's pictures from one to the next; effects that
    // move a little every pass scale their step by PASSES_PER_SECOND / this. Those passes keep to
    // the show's own rate on every display (the main loop), so 0, which counts as that rate, is
    // what the show uses.
    int refreshRate = 0;
    const char* title = "";    // the window's title
    ScreenSettings settings;   // the viewer's wishes, read when the screen first opens
    Screen* screen = nullptr;  // where finished frames go; null: nowhere

    Display() = default;
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Brings up the video system that frames are shown through; false when there is no display.
    static bool connect();
    // Why connect() failed, in one line: what the environment names, and the video system's
    // own reason.
    static std::string connectFailure();
    void setMode(int windowed, int direct, int width, int height, int depth);
    // The choice of setMode for the stored render size: the window or fullscreen asked for, and
    // a window when fullscreen is refused. Sets `windowed` when it had to fall back.
    void chooseMode(Screen& on);
    // Without any screen (tests, offline rendering): only the render size and the scratch frames,
    // from now on also when the show asks for a mode.
    void setHeadless(int width, int height, int depth);
    // Shows the finished frame at the next displayed refresh.
    void present(BITMAP* frame);
    // Presents again the frame presented last, unchanged since.
    void presentAgain(BITMAP* frame);
    // A pass that shows nothing new: the picture on show stays, and the pass still takes its
    // refresh, so the passes keep their pace.
    void holdPicture();
    // Presents per second as measured; 0 when nothing is presented.
    double presentedRate() const;
    // How long until a picture made from now on is on the screen; 0 without a screen.
    Nanos untilPresent() const;
    // The time between two refreshes of the screen; 0 without one.
    Nanos refreshInterval() const;
    BITMAP* borrowScratch();
    // Destroys the screen and the scratch frames that exist (pointers back to null).
    void destroyBitmaps();
    void returnScratch(BITMAP* frame);

private:
    void createScratchFrames();
    std::unique_ptr<Screen> ownScreen;
    bool modeSet = false;
};

}  // namespace Zorvek
