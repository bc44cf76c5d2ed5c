#pragma once
// The picture enlarged by the program itself into a window's own surface, by a whole multiple,
// where SDL's software renderer would stretch it there (the same pixels for three times less
// processor). It remembers what the surface holds, so that a picture on show is not drawn again
// and the black around it is drawn once for each place of it.

#include <atomic>
#include <cstdint>

#include "display/picture_fit.h"

struct SDL_Renderer;
struct SDL_Surface;
struct SDL_Window;

namespace Zorvek {

class SurfacePicture {
public:
    // Draws the w × h `picture` (rows w words apart) into `area` of the window's surface, which
    // the renderer gives as outW × outH; false where it cannot: filtered, not a whole multiple,
    // another pixel format or size.
    bool draw(SDL_Window* window, SDL_Renderer* renderer, const std::uint32_t* picture, int w, int h, Area area,
              bool smooth, int outW, int outH);
    // Puts what draw() drew on the screen: the picture's place, or the whole window where the
    // black around it was drawn anew or the window system lost what it showed.
    void flip(SDL_Window* window) const;
    // A new picture is on show: the surface holds an older one.
    void changed() { current = false; }
    // SDL's renderer drew over the surface, or the window went: it holds nothing of ours.
    void forget() {
        surface = nullptr;
        current = false;
    }
    // The window system lost what the window showed (told on SDL's event thread).
    void exposed() { lost = true; }

private:
    SDL_Surface* surface = nullptr;  // the surface drawn into last
    int surfaceW = 0, surfaceH = 0;
    Area place;            // where in it the picture was drawn
    bool current = false;  // it holds the picture on show
    bool whole = false;    // the whole window must reach the screen, border and all
    std::atomic<bool> lost{false};
};

}  // namespace Zorvek
