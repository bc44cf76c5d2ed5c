#include "display/display.h"

#include <allegro.h>

#include "process/fail.h"

namespace Zorvek {

namespace {

// Frames are 0x00RRGGBB. Without a graphics driver the library keeps its default channel order,
// blue on top, so makecol and the picture loader are told to pack red on top.
void useFramePixels(int depth) {
    set_color_depth(depth);
    _rgb_r_shift_32 = 16;
    _rgb_g_shift_32 = 8;
    _rgb_b_shift_32 = 0;
    _rgb_a_shift_32 = 24;
}

}  // namespace

Display::~Display() { destroyBitmaps(); }

bool Display::connect() { return connectScreen(); }

std::string Display::connectFailure() { return screenConnectFailure(); }

void Display::destroyBitmaps() {
    screen = nullptr;
    ownScreen.reset();
    for (BITMAP*& frame : scratch) {
        if (frame) destroy_bitmap(frame);
        frame = nullptr;
    }
}

void Display::setMode(int windowedMode, int directMode, int w, int h, int bitsPerPixel) {
    if (headless) {
        setHeadless(w, h, bitsPerPixel);
        return;
    }
    depth = bitsPerPixel;
    width = w;
    height = h;
    windowed = windowedMode;
    direct = directMode;
    useFramePixels(depth);
    // The first mode: the viewer's choice of window or fullscreen goes before the show's.
    if (!modeSet && settings.windowed >= 0) windowed = settings.windowed;
    modeSet = true;
    if (!screen) {
        ownScreen = makeScreen(settings, title);
        screen = ownScreen.get();
    }
    chooseMode(*screen);
    createScratchFrames();
    set_alpha_blender();
}

void Display::chooseMode(Screen& on) {
    if (windowed) {
        if (!on.open(true, width, height)) fail(EXIT_GRAPHICS, "Fatal error initializing windowed graphics mode.");
        return;
    }
    if (on.open(false, width, height)) return;
    windowed = 1;
    if (!on.open(true, width, height)) fail(EXIT_GRAPHICS, "Fatal error initializing graphics mode.");
}

void Display::setHeadless(int w, int h, int bitsPerPixel) {
    headless = true;
    width = w;
    height = h;
    depth = bitsPerPixel;
    windowed = 1;
    direct = 1;
    useFramePixels(depth);
    createScratchFrames();
    set_alpha_blender();
}

void Display::createScratchFrames() {
    // Frames already lent keep their contents and flags across a mode switch.
    for (BITMAP*& frame : scratch) {
        if (frame) continue;
        frame = create_bitmap(width, height);
        if (!frame)
            fail(EXIT_GRAPHICS, "Out of memory making the scratch frames (%d of %d x %d).", NUM_SCRATCH, width, height);
        clear_to_color(frame, 0);  // touched now, so that no effect's first pass pays for it
    }
}

void Display::present(BITMAP* frame) {
    if (screen) screen->show(frame);
}

void Display::presentAgain(BITMAP* frame) {
    if (screen) screen->showAgain(frame);
}

void Display::holdPicture() {
    if (screen) screen->show(nullptr);
}

double Display::presentedRate() const { return screen ? screen->pacing().recentRate() : 0.0; }

Nanos Display::untilPresent() const {
    if (!screen) return 0;
    const Nanos now = monotonicNow();
    return screen->pacing().nextPresent(now) - now;
}

Nanos Display::refreshInterval() const { return screen ? screen->pacing().interval() : 0; }

BITMAP* Display::borrowScratch() {
    for (int i = 0; i < NUM_SCRATCH; ++i) {
        if (!inUse[i]) {
            inUse[i] = true;
            if (++lent > mostLent) mostLent = lent;
            return scratch[i];
        }
    }
    fail(EXIT_MISUSE, "Out of scratch frames; use less stacked efents or increase Display::NUM_SCRATCH.");
}

void Display::returnScratch(BITMAP* frame) {
    for (int i = 0; i < NUM_SCRATCH; ++i) {
        if (scratch[i] == frame) {
            if (inUse[i]) --lent;
            inUse[i] = false;
            return;
        }
    }
    fail(EXIT_MISUSE, "Failed to free scratch frame.");
}

}  // namespace Zorvek
