#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/pacer.h"
#include "display/picture_fit.h"
#include "display/screen.h"
#include "surface_picture.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace Zorvek {

// The screen as SDL's video shows it: a window (or the whole desktop, without changing the
// display's mode) with a renderer and a streaming texture of the frame's size, updated from each
// finished frame and scaled to fill the window. One pass per displayed refresh (Pacer).
class SdlScreen final : public Screen {
public:
    // Brings SDL's video up; false when there is no display to show anything on.
    static bool connect();
    // Why connect() failed: which display was looked for, and SDL's reason.
    static std::string connectFailure();

    SdlScreen(const ScreenSettings& settings, const char* title);
    ~SdlScreen() override;
    SdlScreen(const SdlScreen&) = delete;
    SdlScreen& operator=(const SdlScreen&) = delete;

    bool open(bool windowed, int width, int height) override;
    void show(BITMAP* frame) override;
    void showAgain(BITMAP* frame) override;
    const Pacer& pacing() const override { return pacer; }

    // The frame drawn for the next present (null: the last one again), filling the window as
    // show() does, without the wait for a refresh or the present itself.
    void draw(BITMAP* frame);
    // Presents what draw() drew at the next refresh.
    void present();
    // Puts what draw() drew on the screen now.
    void flip();

    // Where SDL's own renderer draws on the processor, the picture is enlarged into the window
    // by the program itself at whole multiples (the same pixels, a few times faster); false
    // leaves every picture to SDL's renderer, as on a graphics card. For comparisons; set before
    // open().
    void enlargeOnOwn(bool own) { ownEnlarging = own; }

    // Where the last picture was drawn, in the window's pixels.
    Area picture() const { return area; }
    // The renderer in use ("opengl", "software", ...).
    const std::string& rendererName() const { return driver; }
    SDL_Renderer* sdlRenderer() const { return renderer; }

private:
    static constexpr int MIN_SCREEN_BITS = 15;  // thousands of colours

    void close();
    // Switches the open window between window and fullscreen; false where the desktop cannot.
    bool switchInPlace(bool windowed);
    void refuseUnusableDepth();
    // The pacer told the display's refresh rate.
    void settleRefresh();
    bool createWindow(bool windowed);
    // Where a window (not fullscreen) goes: where it last was, else as the viewer asked.
    void windowPlace(int& x, int& y, int& w, int& h) const;
    void createRenderer();
    // The picture is enlarged here, where SDL's renderer would do it on the processor.
    bool enlargesOnOwn() const;
    // The frame kept as the picture on show: in the texture where SDL's renderer draws every
    // picture, else in `held`, from which the texture is made only when SDL's renderer draws it.
    void keep(BITMAP* frame);
    template <class Rows>
    void toTexture(const Rows& row, int w, int h);
    void upload();
    static int watchWindow(void* screen, SDL_Event* event);

    ScreenSettings settings;
    const char* title;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int frameW = 0, frameH = 0;
    bool windowed = false;
    int display = 0;  // the display the window is on: a switch stays there
    // The window's place, kept while fullscreen so that leaving it brings the same window back.
    bool haveWindowPlace = false;
    int windowX = 0, windowY = 0, windowW = 0, windowH = 0;
    std::string driver;  // chosen at the first open, kept for every later one
    bool driverSettled = false;
    bool vsync = false;   // the renderer was given vsync
    bool hidden = false;  // opened, not shown yet: it shows with the first picture
    Pacer pacer;
    Area area;

    // The picture on show where this screen enlarges it, as its frame was when it came: what is
    // drawn again when the window changes while it stays on show.
    std::vector<std::uint32_t> held;
    bool holding = false;         // the last frame shown is kept (not merely black)
    bool textureCurrent = false;  // the texture holds the picture on show
    bool ownEnlarging = true;
    bool onSurface = false;  // the last draw went into the window's surface directly
    SurfacePicture onWindowSurface;
};

}  // namespace Zorvek
