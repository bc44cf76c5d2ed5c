#include "surface_picture.h"

#include <SDL2/SDL.h>

#include <algorithm>

#include "display/enlarge.h"

namespace Zorvek {

bool SurfacePicture::draw(SDL_Window* window, SDL_Renderer* renderer, const std::uint32_t* picture, int w, int h,
                          Area area, bool smooth, int outW, int outH) {
    const int scale = w > 0 ? area.w / w : 0;
    if (smooth || scale < 1 || area.w != scale * w || area.h != scale * h) return false;
    SDL_Surface* now = SDL_GetWindowSurface(window);
    if (!now || now->format->format != SDL_PIXELFORMAT_RGB888 || now->w != outW || now->h != outH) return false;
    // Whatever was asked of the renderer lands now, not later over the picture.
    SDL_RenderFlush(renderer);
    const bool moved = now != surface || now->w != surfaceW || now->h != surfaceH || area != place;
    whole = moved || lost.exchange(false);
    if (!moved && current) return true;
    if (SDL_MUSTLOCK(now) && SDL_LockSurface(now) != 0) return false;
    auto* pixels = static_cast<unsigned char*>(now->pixels);
    const auto line = [&](int y) {
        return reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(now->pitch) * y);
    };
    if (moved) {
        // Black around the picture, drawn once for each place of it.
        for (int y = 0; y < outH; ++y) {
            std::uint32_t* row = line(y);
            if (y < area.y || y >= area.y + area.h) {
                std::fill(row, row + outW, 0u);
            } else {
                std::fill(row, row + area.x, 0u);
                std::fill(row + area.x + area.w, row + outW, 0u);
            }
        }
    }
    enlargeWhole(picture, w * 4, w, h, scale, line(area.y) + area.x, now->pitch);
    if (SDL_MUSTLOCK(now)) SDL_UnlockSurface(now);
    surface = now;
    surfaceW = now->w;
    surfaceH = now->h;
    place = area;
    current = true;
    return true;
}

void SurfacePicture::flip(SDL_Window* window) const {
    const SDL_Rect picture{place.x, place.y, place.w, place.h};
    if (whole) SDL_UpdateWindowSurface(window);
    else SDL_UpdateWindowSurfaceRects(window, &picture, 1);
}

}  // namespace Zorvek
