#include "sdl_screen.h"

#include <SDL2/SDL.h>
#include <allegro.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "window_manager.h"
#include "window_system_chatter.h"
#include "process/chatter.h"
#include "process/fail.h"
#include "sdl_message_box.h"

namespace Zorvek {

namespace {

constexpr unsigned GL_RENDERER_NAME = 0x1F01;  // GL_RENDERER

// OpenGL drawn by the processor: every present costs more than SDL's own software renderer,
// which hands the window a shared-memory image without going through GL, and gives no real vsync.
bool drawsOnTheProcessor(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return false;
    if (!SDL_GL_GetCurrentContext()) return false;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const char* name = getString ? reinterpret_cast<const char*>(getString(GL_RENDERER_NAME)) : nullptr;
    if (!name) return false;
    for (const char* software : {"llvmpipe", "softpipe", "Software", "SWR", "swrast", "GDI Generic"})
        if (std::strstr(name, software)) return true;
    return false;
}

// SDL could not make `what`: for want of memory, that is said; otherwise it is the video memory.
[[noreturn]] void failToMake(const char* what) {
    const char* reason = SDL_GetError();
    if (reason && std::strstr(reason, "Out of memory")) fail(EXIT_GRAPHICS, "Out of memory making %s.", what);
    fail(EXIT_GRAPHICS, "Error allocating video memory.");
}

int driverIndex(const std::string& name) {
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && name == info.name) return i;
    }
    return -1;
}

}  // namespace

bool SdlScreen::connect() {
    // The program's signals keep their default meaning; SDL must not turn them into events.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL's software renderer shows its picture through the window system's shared memory, not
    // through an OpenGL surface of its own.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    silenceWaylandChatter();
    {
        QuietStandardError quiet(quietForDecorations(true));
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    }
    // Without a display SDL falls back to drivers that show nothing; only asked for by name
    // (SDL_VIDEODRIVER) do they count.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool showsNothing = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (showsNothing && !(asked && *asked)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        // SDL's reason is then the last driver's; the one asked of the display named counts.
        const char* x = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        // The X library said its reason on standard error already; the second try stays quiet.
        bool shown = false;
        {
            QuietStandardError quiet;
            shown = SDL_VideoInit(!(x && *x) && wayland && *wayland ? "wayland" : "x11") == 0;
        }
        if (shown) {
            SDL_VideoQuit();
            SDL_SetError("only a video driver that shows nothing (%s) could be started", driver);
        }
        return false;
    }
    return true;
}

std::string SdlScreen::connectFailure() {
    auto named = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value && *value ? std::string(value) : std::string();
    };
    const std::string x = named("DISPLAY"), wayland = named("WAYLAND_DISPLAY");
    std::string where;
    if (x.empty() && wayland.empty()) {
        where = "DISPLAY and WAYLAND_DISPLAY are not set";
    } else {
        if (!x.empty()) where = "the X display " + x + " could not be opened (is it running, and may we use it?)";
        if (!wayland.empty())
            where += std::string(where.empty() ? "" : "; ") + "the Wayland display " + wayland +
                     " could not be reached" +
                     (named("XDG_RUNTIME_DIR").empty() ? " (XDG_RUNTIME_DIR is not set)" : "");
    }
    const char* reason = SDL_GetError();
    return "no display to show the picture on: " + where +
           " (SDL: " + (reason && *reason ? reason : "no reason given") + ")";
}

SdlScreen::SdlScreen(const ScreenSettings& settings, const char* title) : settings(settings), title(title) {}

SdlScreen::~SdlScreen() { close(); }

void SdlScreen::close() {
    if (window) SDL_DelEventWatch(watchWindow, this);
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) {
        setMessageWindow(nullptr);
        SDL_DestroyWindow(window);
    }
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
    onWindowSurface.forget();
    textureCurrent = false;
}

bool SdlScreen::open(bool inWindow, int width, int height) {
    if (window && windowed && !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) {
        SDL_GetWindowPosition(window, &windowX, &windowY);
        SDL_GetWindowSize(window, &windowW, &windowH);
        haveWindowPlace = true;
    }
    if (window) display = std::max(0, SDL_GetWindowDisplayIndex(window));
    if (window && width == frameW && height == frameH && switchInPlace(inWindow)) {
        windowed = inWindow;
        SDL_ShowCursor(windowed ? SDL_ENABLE : SDL_DISABLE);
        settleRefresh();
        return true;
    }
    close();
    frameW = width;
    frameH = height;
    holding = false;
    const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    const bool chooseDriver = !driverSettled && !(asked && *asked);
    if (chooseDriver && !mayHaveGraphicsCard()) driver = "software";
    if (!createWindow(inWindow)) return false;
    refuseUnusableDepth();
    createRenderer();
    if (!driverSettled) {
        driverSettled = true;
        // SDL's first choice, unless that is OpenGL drawn by the processor and the viewer did
        // not ask for it (SDL_RENDER_DRIVER). The window is still hidden: no one sees the change.
        if (chooseDriver && driver != "software" && drawsOnTheProcessor(renderer)) {
            close();
            driver = "software";
            if (!createWindow(inWindow)) return false;
            createRenderer();
        }
    }
    held.assign(enlargesOnOwn() ? static_cast<std::size_t>(frameW) * static_cast<std::size_t>(frameH) : 0, 0);
    windowed = inWindow;
    setMessageWindow(window);
    SDL_AddEventWatch(watchWindow, this);
    hidden = true;
    SDL_ShowCursor(windowed ? SDL_ENABLE : SDL_DISABLE);
    settleRefresh();
    return true;
}

bool SdlScreen::switchInPlace(bool inWindow) {
    // A desktop without a window manager would not resize a window that asks to be fullscreen,
    // but sizes a new one as asked: there the window is made anew.
    if (!switchesFullscreenInPlace(window)) return false;
    if (inWindow) {
        if (SDL_SetWindowFullscreen(window, 0) != 0) return false;
        SDL_SetWindowResizable(window, SDL_TRUE);
        int x, y, w, h;
        windowPlace(x, y, w, h);
        SDL_SetWindowSize(window, w, h);
        SDL_SetWindowPosition(window, x, y);
    } else if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        return false;
    }
    return true;
}

void SdlScreen::refuseUnusableDepth() {
    // The picture has 8 bits a channel; on a screen of a few hundred colours SDL has no format to
    // draw in at all.
    int bits = SDL_BITSPERPIXEL(SDL_GetWindowPixelFormat(window));
    if (bits == 0) bits = x11ScreenDepth(window);
    if (bits > 0 && bits < MIN_SCREEN_BITS)
        fail(EXIT_GRAPHICS, "The screen's colour depth of %d bits is one the show cannot use; it needs %d or more.",
             bits, MIN_SCREEN_BITS);
}

void SdlScreen::settleRefresh() {
    SDL_DisplayMode mode;
    int refresh = SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) == 0 ? mode.refresh_rate : 0;
    pacer.setDisplay(settings.refreshHz > 0 ? settings.refreshHz : refresh, vsync);
}

bool SdlScreen::createWindow(bool inWindow) {
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    int x = SDL_WINDOWPOS_CENTERED_DISPLAY(display), y = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
    int w = frameW, h = frameH;
    if (!inWindow) {
        // Placed and sized as the desktop too: without a window manager nothing else would.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_Rect desktop;
        if (SDL_GetDisplayBounds(display, &desktop) == 0) {
            x = desktop.x;
            y = desktop.y;
            w = desktop.w;
            h = desktop.h;
        }
    } else {
        flags |= SDL_WINDOW_RESIZABLE;
        windowPlace(x, y, w, h);
    }
    QuietStandardError quiet(quietForDecorations(false));
    window = SDL_CreateWindow(title, x, y, w, h, flags);
    return window != nullptr;
}

void SdlScreen::windowPlace(int& x, int& y, int& w, int& h) const {
    x = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
    y = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
    w = frameW;
    h = frameH;
    if (haveWindowPlace) {
        x = windowX;
        y = windowY;
        w = windowW;
        h = windowH;
    } else if (settings.windowScale > 0) {
        w = settings.windowScale * frameW;
        h = settings.windowScale * frameH;
    } else {
        SDL_Rect desktop;
        if (SDL_GetDisplayUsableBounds(display, &desktop) == 0) {
            Area size = defaultWindow(frameW, frameH, desktop.w, desktop.h);
            w = size.w;
            h = size.h;
        }
    }
}

void SdlScreen::createRenderer() {
    // SDL's software renderer has no vsync of its own, only a sleep to whole milliseconds that
    // would pace at 62.5 Hz: the pacer's sleep does better.
    const bool software = driver == "software";
    const int index = driver.empty() ? -1 : driverIndex(driver);
    renderer = SDL_CreateRenderer(window, index, software ? 0 : SDL_RENDERER_PRESENTVSYNC);
    if (!renderer && index >= 0) renderer = SDL_CreateRenderer(window, -1, 0);
    if (!renderer) failToMake("the window's renderer");
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    driver = info.name;
    vsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    if (vsync && driver == "software") {
        SDL_RenderSetVSync(renderer, 0);
        vsync = false;
    }
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, frameW, frameH);
    if (!texture) failToMake("the picture's texture");
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) == 0) {
        std::memset(pixels, 0, static_cast<std::size_t>(pitch) * static_cast<std::size_t>(frameH));
        SDL_UnlockTexture(texture);
    }
    SDL_SetTextureScaleMode(texture, settings.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

namespace {

// Writes a `width` × `height` picture at `out` (rows `pitch` bytes apart): the `w` × `h` pixels of
// rows `row(y)` in its top left corner, black beyond them.
template <class Rows>
void writePicture(const Rows& row, int w, int h, int width, int height, unsigned char* out, int pitch) {
    for (int y = 0; y < height; ++y, out += pitch) {
        auto* line = reinterpret_cast<std::uint32_t*>(out);
        const int copied = y < h ? w : 0;
        if (copied > 0) std::memcpy(line, row(y), static_cast<std::size_t>(copied) * 4);
        std::fill(line + copied, line + width, 0u);
    }
}

}  // namespace

bool SdlScreen::enlargesOnOwn() const { return ownEnlarging && driver == "software"; }

void SdlScreen::keep(BITMAP* frame) {
    // Frames are 0x00RRGGBB words, the texture's own format; a frame of another size is shown
    // from its top left corner, on black.
    const auto rows = [&](int y) { return frame->line[y]; };
    const int w = std::min(frame->w, frameW), h = std::min(frame->h, frameH);
    holding = true;
    if (!enlargesOnOwn()) {
        // SDL's renderer draws every picture: the texture keeps it.
        toTexture(rows, w, h);
        return;
    }
    writePicture(rows, w, h, frameW, frameH, reinterpret_cast<unsigned char*>(held.data()), frameW * 4);
    textureCurrent = false;
    onWindowSurface.changed();
}

template <class Rows>
void SdlScreen::toTexture(const Rows& row, int w, int h) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return;
    writePicture(row, w, h, frameW, frameH, static_cast<unsigned char*>(pixels), pitch);
    SDL_UnlockTexture(texture);
    textureCurrent = true;
}

void SdlScreen::upload() {
    toTexture([&](int y) { return held.data() + static_cast<std::size_t>(frameW) * y; }, frameW, frameH);
}

int SdlScreen::watchWindow(void* screen, SDL_Event* event) {
    auto* self = static_cast<SdlScreen*>(screen);
    if (event->type == SDL_WINDOWEVENT && self->window && event->window.windowID == SDL_GetWindowID(self->window) &&
        event->window.event == SDL_WINDOWEVENT_EXPOSED)
        self->onWindowSurface.exposed();
    return 0;
}

void SdlScreen::show(BITMAP* frame) {
    if (!renderer) return;
    draw(frame);
    present();
}

void SdlScreen::showAgain(BITMAP* frame) {
    if (!renderer) return;
    draw(holding ? nullptr : frame);
    present();
}

void SdlScreen::present() {
    // The window comes up with the first picture, not black while the show gets ready.
    if (hidden) SDL_ShowWindow(window);
    hidden = false;
    sleepUntil(pacer.presentAt(monotonicNow()));
    flip();
    if (pacer.presented(monotonicNow())) SDL_RenderSetVSync(renderer, 0);
}

void SdlScreen::flip() {
    if (onSurface) onWindowSurface.flip(window);
    else SDL_RenderPresent(renderer);
}

void SdlScreen::draw(BITMAP* frame) {
    if (frame) keep(frame);
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(renderer, &outW, &outH);
    area = fitPicture(frameW, frameH, outW, outH, settings.smooth);
    onSurface = enlargesOnOwn() &&
                onWindowSurface.draw(window, renderer, held.data(), frameW, frameH, area, settings.smooth, outW, outH);
    if (onSurface) return;
    // SDL's renderer draws over whatever the surface held.
    onWindowSurface.forget();
    if (!textureCurrent) upload();
    // Black around the picture: the four bands only, not the whole window under it, which on a
    // renderer without a graphics card is a screenful of memory written for nothing.
    const SDL_Rect bands[4] = {{0, 0, outW, area.y},
                               {0, area.y + area.h, outW, outH - area.y - area.h},
                               {0, area.y, area.x, area.h},
                               {area.x + area.w, area.y, outW - area.x - area.w, area.h}};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderFillRects(renderer, bands, 4);
    const SDL_Rect to{area.x, area.y, area.w, area.h};
    SDL_RenderCopy(renderer, texture, nullptr, &to);
}

}  // namespace Zorvek

namespace Zorvek {

bool connectScreen() { return SdlScreen::connect(); }

std::string screenConnectFailure() { return SdlScreen::connectFailure(); }

std::unique_ptr<Screen> makeScreen(const ScreenSettings& settings, const char* title) {
    return std::make_unique<SdlScreen>(settings, title);
}

}  // namespace Zorvek
