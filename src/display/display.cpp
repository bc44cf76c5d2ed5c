#include "display/display.h"

#include <allegro.h>

#include "runtime/fail.h"

namespace Zorvek {

namespace {

// The fullscreen driver whose mode list is walked when neither the exact nor the doubled mode
// can be set.
#ifdef GFX_XWINDOWS_FULLSCREEN
constexpr int MODE_LIST_DRIVER = GFX_XWINDOWS_FULLSCREEN;
#else
constexpr int MODE_LIST_DRIVER = GFX_AUTODETECT_FULLSCREEN;
#endif

// The first 32-bit mode of the list, in list order, that holds the render size.
bool setModeFromList(int width, int height) {
    GFX_MODE_LIST* list = get_gfx_mode_list(MODE_LIST_DRIVER);
    if (!list) return false;  // a list that cannot be had counts as empty
    bool set = false;
    for (int i = 0; i < list->num_modes && !set; ++i) {
        const GFX_MODE& m = list->mode[i];
        if (m.bpp == 32 && m.width >= width && m.height >= height)
            set = set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, m.width, m.height, 0, 0) == 0;
    }
    destroy_gfx_mode_list(list);
    return set;
}

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
    for (BITMAP*& page : pages) destroyBitmap(page);
    depth = bitsPerPixel;
    width = w;
    height = h;
    windowed = windowedMode;
    set_color_depth(depth);
    request_refresh_rate(60);
    scaling = 1;

    if (windowed) {
        if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, width, height, 0, 0) != 0)
            fail(EXIT_GRAPHICS, "Fatal error initializing windowed graphics mode.");
    } else if (set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, width, height, 0, 0) != 0) {
        bool doubled = (width == 320 || width == 400 || width == 512) &&
                       set_gfx_mode(GFX_AUTODETECT_FULLSCREEN, 2 * width, 2 * height, 0, 0) == 0;
        if (doubled) {
            scaling = 2;
        } else if (!setModeFromList(width, height)) {
            windowed = 1;
            if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, width, height, 0, 0) != 0)
                fail(EXIT_GRAPHICS, "Fatal error initializing graphics mode.");
        }
    }

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

void Display::setHeadless(int w, int h, int bitsPerPixel) {
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
            return scratch[i];
        }
    }
    fail(EXIT_MISUSE,
         "Out of scratch frames; use less stacked efents or increase Display::NUM_SCRATCH.");
}

void Display::returnScratch(BITMAP* frame) {
    for (int i = 0; i < NUM_SCRATCH; ++i) {
        if (scratch[i] == frame) {
            inUse[i] = false;
            return;
        }
    }
    fail(EXIT_MISUSE, "Failed to free scratch frame.");
}

}  // namespace Zorvek
