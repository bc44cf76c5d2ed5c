#include "effects/noise.h"

#include <allegro.h>

#include <cstdlib>

#include "effects/pixels.h"
#include "process/show_random.h"

namespace Zorvek {

using pixels::Pixel;
using pixels::row;

namespace {
constexpr int RENDER_WIDTH = 320;  // specks and seeds land inside the show's render size
constexpr int RENDER_HEIGHT = 240;

// `count` pixels at random places of the render size, each x drawn before its y.
void scatter(BITMAP* target, int count, int colour) {
    for (int i = 0; i < count; ++i) {
        int x = showRand() % RENDER_WIDTH;
        int y = showRand() % RENDER_HEIGHT;
        putpixel(target, x, y, colour);
    }
}

}  // namespace

// Odd columns of the even rows are random greys, even columns the average of their left and
// right neighbours (the first one's left neighbour is the last odd pixel of the previous noisy
// row), odd rows the average of the rows above and below. The draws come from rand() in a fixed
// order: the band, the first carry, then one per pixel pair.
void NoiseEffect::render() {
    const int w = frame->w;
    const int h = frame->h;
    int bar = showRand() & 0x1FF;
    Pixel carry = pixels::grey(static_cast<Pixel>(showRand() & 0x7F));
    for (int y = 0; y < h; y += 2) {
        Pixel* p = row(frame, y);
        if (y == bar || y == bar + 1 || y == bar + 2) {
            for (int x = 0; x < w; ++x) p[x] = 0;
            continue;
        }
        for (int x = 0; x < w; x += 2) {
            Pixel random = pixels::grey(static_cast<Pixel>(showRand() & 0xFF));
            Pixel half = pixels::half(random);
            p[x] = carry + half;
            if (x + 1 < w) p[x + 1] = random;
            carry = half;
        }
    }
    if (h < 2) {
        push(frame);
        return;
    }
    for (int y = 1; y < h - 1; y += 2) {
        const Pixel* above = row(frame, y - 1);
        const Pixel* below = row(frame, y + 1);
        Pixel* p = row(frame, y);
        for (int x = 0; x < w; ++x) p[x] = pixels::average(above[x], below[x]);
    }
    // The last row wraps around to the first.
    const Pixel* above = row(frame, h - 2);
    const Pixel* first = row(frame, 0);
    Pixel* p = row(frame, h - 1);
    for (int x = 0; x < w; ++x) p[x] = pixels::average(above[x], first[x]);
    push(frame);
}
const char* NoiseEffect::name() { return "Noise"; }

void SpeckleEffect::render() {
    scatter(top(), saltCount, 0xFFFFFF);
    scatter(top(), pepperCount, 0x000000);
}
const char* SpeckleEffect::name() { return "Salt and pepper"; }

void RainbowSeed::init(Demo* owner) {
    Effect::init(owner);
    period = 1950;
}

void RainbowSeed::update(int time) { hue = period > 0 ? static_cast<float>(time) / static_cast<float>(period) : 0.0f; }

void RainbowSeed::render() {
    BITMAP* t = top();
    int red, green, blue;
    hsv_to_rgb(hue * 360.0f, 1.0f, 1.0f, &red, &green, &blue);
    const int colour = makecol(red, green, blue);
    putpixel(t, RENDER_WIDTH / 2, RENDER_HEIGHT / 2, colour);
    scatter(t, 64, colour);
}
const char* RainbowSeed::name() { return "Rainbow Seed"; }

}  // namespace Zorvek
