#include "display/display.h"

#include <allegro.h>

#include "display/graphics_modes.h"
#include "runtime/fail.h"

namespace Zorvek {

namespace {

void destroyBitmap(BITMAP*& bitmap) {
    if (bitmap) destroy_bitmap(bitmap);
    bitmap = nullptr;
}

}  // namespace

Display::~Display() { destroyBitmaps(); }

void Display::destroyBitmaps() {
    for (BITMAP*& page : pages) destroyBitmap(page);
    for (BITMAP*& frame : scratch) destroyBitmap(frame);
}

void Display::setMode(int windowedMode, int directMode, int w, int h, int bitsPerPixel) {
    if (headless) {
        setHeadless(w, h, bitsPerPixel);
        return;
    }
    for (BITMAP*& page : pages) destroyBitmap(page);
    depth = bitsPerPixel;
    width = w;
    height = h;
    windowed = windowedMode;
    set_color_depth(depth);
    request_refresh_rate(60);
    LibraryModes modes;
    chooseMode(modes);

    // Two video pages for page flipping. Drivers that give only one (X11) present directly, as
    // the direct mode does; the driver double-buffers the screen itself.
    pages[0] = create_video_bitmap(SCREEN_W, SCREEN_H);
    pages[1] = pages[0] ? create_video_bitmap(SCREEN_W, SCREEN_H) : nullptr;
    bool flipping = pages[0] && pages[1];
    if (!flipping) {
        for (BITMAP*& page : pages) destroyBitmap(page);
        if (!screen) fail(EXIT_GRAPHICS, "Error allocating video memory.");
        clear_to_color(screen, 0);
    } else {
        for (BITMAP* page : pages) clear_to_color(page, 0);
    }

    createScratchFrames();

    if (flipping) show_video_bitmap(pages[0]);
    shownPage = 0;
    drawPage = 1;
    direct = flipping ? directMode : 1;
    set_alpha_blender();
}

void Display::chooseMode(GraphicsModes& modes) {
    scaling = 1;
    if (windowed) {
        if (!modes.set(true, width, height))
            fail(EXIT_GRAPHICS, "Fatal error initializing windowed graphics mode.");
        return;
    }
    if (modes.set(false, width, height)) return;
    // Small render sizes are shown doubled on a screen twice their size.
    if ((width == 320 || width == 400 || width == 512) && modes.set(false, 2 * width, 2 * height)) {
        scaling = 2;
        return;
    }
    // The first 32-bit mode in the driver's own order that holds the frame; it is centred there.
    for (const GFX_MODE& m : modes.fullscreenModes()) {
        bool holdsFrame = m.bpp == 32 && m.width >= width && m.height >= height;
        if (holdsFrame && modes.set(false, m.width, m.height)) return;
    }
    windowed = 1;
    if (!modes.set(true, width, height))
        fail(EXIT_GRAPHICS, "Fatal error initializing graphics mode.");
}

void Display::setHeadless(int w, int h, int bitsPerPixel) {
    headless = true;
    width = w;
    height = h;
    depth = bitsPerPixel;
    windowed = 1;
    direct = 1;
    scaling = 1;
    set_color_depth(depth);
    // Without a graphics mode the library keeps its default channel order, blue on top; frames
    // are 0x00RRGGBB, so makecol and the picture loader must pack red on top as on screen.
    _rgb_r_shift_32 = 16;
    _rgb_g_shift_32 = 8;
    _rgb_b_shift_32 = 0;
    _rgb_a_shift_32 = 24;
    createScratchFrames();
    set_alpha_blender();
}

void Display::createScratchFrames() {
    // Frames already lent keep their contents and flags across a mode switch.
    for (BITMAP*& frame : scratch) {
        if (frame) continue;
        frame = create_bitmap(width, height);
        if (!frame) fail(EXIT_GRAPHICS, "Error allocating video memory.");
        clear_to_color(frame, 0);  // touched now, so that no effect's first pass pays for it
    }
}

void Display::present(BITMAP* frame) {
    BITMAP* target = direct == 1 ? screen : pages[drawPage];
    if (!target) return;  // headless: nothing to show on
    if (!is_video_bitmap(frame)) {
        if (scaling == 2) {
            stretch_blit(frame, target, 0, 0, frame->w, frame->h, 0, 0, SCREEN_W, SCREEN_H);
        } else {
            blit(frame, target, 0, 0, (SCREEN_W - frame->w) >> 1, (SCREEN_H - frame->h) >> 1,
                 SCREEN_W, SCREEN_H);
        }
    }
    if (direct != 1) {
        show_video_bitmap(pages[drawPage]);
        shownPage = (shownPage + 1) % 2;
        drawPage = (drawPage + 1) % 2;
    }
}

BITMAP* Display::borrowScratch() {
    for (int i = 0; i < NUM_SCRATCH; ++i) {
        if (!inUse[i]) {
            inUse[i] = true;
            if (++lent > mostLent) mostLent = lent;
            return scratch[i];
        }
    }
    fail(EXIT_MISUSE,
         "Out of scratch frames; use less stacked efents or increase Display::NUM_SCRATCH.");
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
