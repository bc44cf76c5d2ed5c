#include "effects/rgbug.h"

#include <allegro.h>

#include "effects/pixels.h"

namespace Zorvek {

using pixels::Pixel;
using pixels::row;

namespace {

// Per column of a triad: the channel kept whole, and the two whose upper nibble moves down.
constexpr Pixel RGBUG_KEEP[3] = {pixels::RED, pixels::GREEN, pixels::BLUE};
constexpr Pixel RGBUG_DIM[3] = {0x00F0F0, 0xF000F0, 0xF0F000};

constexpr Pixel rgbug(Pixel p, int column) { return (p & RGBUG_KEEP[column]) | ((p & RGBUG_DIM[column]) >> 4); }

// Twelve columns are four whole triads and three whole four-pixel vectors.
constexpr int RGBUG_BLOCK = 12;

}  // namespace

void RgbugEffect::render() {
    BITMAP* t = top();
    const int w = t->w;
    const int blocks = w - w % RGBUG_BLOCK;
    for (int y = 0; y < t->h; ++y) {
        Pixel* p = row(t, y);
        for (int x = 0; x < blocks; x += RGBUG_BLOCK)
            for (int k = 0; k < RGBUG_BLOCK; ++k) p[x + k] = rgbug(p[x + k], k % 3);
        for (int x = blocks; x < w; ++x) p[x] = rgbug(p[x], x % 3);
    }
}
const char* RgbugEffect::name() { return "Rgbug"; }

}  // namespace Zorvek
