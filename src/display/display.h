#pragma once

struct BITMAP;

namespace Zorvek {

class GraphicsModes;

// The screen side of the demo: the graphics mode with its fall-backs, the video pages, the
// presentation of finished frames and the pool of scratch frames that effects borrow.
class Display {
public:
    static constexpr int NUM_SCRATCH = 14;

    int scaling = 1;     // 1: frame copied 1:1 and centred; 2: stretched to the doubled screen
    int windowed = 0;    // 1 when the current mode is windowed
    int direct = 0;      // 1: frames go straight to the visible screen, nothing is flipped
    int width = 0;       // render size: size of every scratch frame
    int height = 0;
    int depth = 0;       // colour depth in bits
    int shownPage = 0;   // page on show
    int drawPage = 1;    // page the next frame is copied to
    BITMAP* pages[2] = {nullptr, nullptr};
    BITMAP* scratch[NUM_SCRATCH] = {};
    bool inUse[NUM_SCRATCH] = {};
    int lent = 0;      // scratch frames lent out now
    int mostLent = 0;  // the most ever lent out at once: how close the show comes to the pool's size
    bool headless = false;  // no screen: setMode only keeps the render size and the scratch frames

    Display() = default;
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    void setMode(int windowed, int direct, int width, int height, int depth);
    // The mode choice of setMode for the stored render size: the exact mode, else (fullscreen)
    // the doubled one, the first listed 32-bit mode that holds the frame, and at last a window.
    // Sets `scaling`, and `windowed` when it had to fall back to a window.
    void chooseMode(GraphicsModes& modes);
    // Without any screen (tests, offline rendering): only the render size and the scratch frames,
    // from now on also when the show asks for a mode.
    void setHeadless(int width, int height, int depth);
    void present(BITMAP* frame);
    BITMAP* borrowScratch();
    // Destroys the pages and the scratch frames that exist (pointers back to null).
    void destroyBitmaps();
    void returnScratch(BITMAP* frame);

private:
    void createScratchFrames();
};

}  // namespace Zorvek
