#include "effects/alpha_sprite.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>

#include <algorithm>
#include <cstdint>

#include "effects/pixels.h"

namespace Zorvek {

namespace {

using pixels::Pixel;

// Allegro's alpha blender on one pixel: the sprite's colour `s` over `d` by the sprite's alpha
// (n + 1 where not 0, of 256). Its sums run in 64 bits and may wrap below zero, but only the
// low 32 bits of each product reach the bits kept, so 32-bit sums give the same pixel. Red and
// blue get the whole of `d` added back, green included, whose carry may reach the red.
inline Pixel blend(Pixel s, Pixel d) {
    std::uint32_t n = s >> 24;
    n += n != 0;
    const Pixel redBlue = (((s & 0xFF00FF) - (d & 0xFF00FF)) * n >> 8) + d;
    const Pixel green = (((s & 0xFF00) - (d & 0xFF00)) * n >> 8) + (d & 0xFF00);
    return (redBlue & 0xFF00FF) | (green & 0xFF00);
}

bool blendsHere(BITMAP* target, BITMAP* sprite) {
    return _blender_func32 == _blender_alpha32 && bitmap_color_depth(target) == 32 &&
           bitmap_color_depth(sprite) == 32 && is_memory_bitmap(target) && is_memory_bitmap(sprite) &&
           !is_same_bitmap(target, sprite);  // the rows read are never the rows written
}

}  // namespace

void drawAlphaSprite(BITMAP* target, BITMAP* sprite, int x, int y) {
    if (!blendsHere(target, sprite)) {
        draw_trans_sprite(target, sprite, x, y);
        return;
    }
    const auto [left, top, right, bottom] = pixels::clipOf(target);
    const int fromX = std::max(left - x, 0), toX = std::min(right - x, sprite->w);
    const int fromY = std::max(top - y, 0), toY = std::min(bottom - y, sprite->h);
    if (fromX >= toX || fromY >= toY) return;
    const Pixel mask = static_cast<Pixel>(bitmap_mask_color(sprite));
    pixels::vectorised([=] {
        const int width = toX - fromX;
        for (int sy = fromY; sy < toY; ++sy) {
            const Pixel* __restrict in = pixels::row(sprite, sy) + fromX;
            Pixel* __restrict out = pixels::row(target, y + sy) + x + fromX;
            // The sprite's mask colour leaves the pixel under it as it is.
            for (int i = 0; i < width; ++i) {
                const Pixel under = out[i];
                out[i] = in[i] == mask ? under : blend(in[i], under);
            }
        }
    });
}

}  // namespace Zorvek
