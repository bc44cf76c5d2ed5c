#include "effects/mixers.h"

#include <allegro.h>

#include <algorithm>

#include "effects/pixels.h"
#include "runtime/demo.h"
#include "timeline/timeline.h"

namespace Zorvek {

using pixels::Pixel;
using pixels::row;

namespace {

// The two frames a mixer works on: A on top (written), B below it (read).
struct MixPair {
    BITMAP* a;
    BITMAP* b;
    int width;   // the part both frames cover; the show's frames are all of the render size
    int height;
};

// Pops A and B and pushes A back: the stack shrinks by one, A is the result.
MixPair takePair(Demo* demo) {
    BITMAP* a = demo->frames[demo->frameCount - 1];
    BITMAP* b = demo->frames[demo->frameCount - 2];
    demo->frameCount -= 2;
    demo->frames[demo->frameCount++] = a;
    return {a, b, std::min(a->w, b->w), std::min(a->h, b->h)};
}

// A[y][x] = rule(A[y][x], B[y][x]) over every pixel, row by row.
template <class Rule>
void mixWords(Demo* demo, Rule rule) {
    MixPair m = takePair(demo);
    for (int y = 0; y < m.height; ++y) {
        Pixel* a = row(m.a, y);
        const Pixel* b = row(m.b, y);
        for (int x = 0; x < m.width; ++x) a[x] = rule(a[x], b[x]);
    }
}

constexpr Pixel CHANNEL_HIGH_BITS[3] = {0xFE0000, 0x00FE00, 0x0000FE};

}  // namespace

void MixMaxEffect::render() {
    mixWords(demo, [](Pixel a, Pixel b) {
        Pixel r = 0;
        for (Pixel m : CHANNEL_HIGH_BITS) r |= std::max(a & m, b & m);
        return r;
    });
}
const char* MixMaxEffect::name() { return "Mix Maximum"; }

void MixMinEffect::render() {
    mixWords(demo, [](Pixel a, Pixel b) {
        Pixel r = 0;
        for (Pixel m : CHANNEL_HIGH_BITS) r |= std::min(a & m, b & m);
        return r;
    });
}
const char* MixMinEffect::name() { return "Mix Minimum"; }

void MixMulEffect::render() {
    mixWords(demo, [](Pixel a, Pixel b) {
        Pixel r = 0;
        for (int shift = 0; shift < 24; shift += 8)
            r |= ((((a >> shift) & 0xFF) * ((b >> shift) & 0xFF)) >> 8) << shift;
        return r;
    });
}
const char* MixMulEffect::name() { return "Mix Multiply"; }

void MixXorEffect::render() {
    mixWords(demo, [](Pixel a, Pixel b) { return a ^ b; });
}
const char* MixXorEffect::name() { return "Mix XOR"; }

void Mix5050Effect::render() {
    mixWords(demo, [](Pixel a, Pixel b) { return pixels::average(a, b); });
}
const char* Mix5050Effect::name() { return "Mix 50-50"; }

// Each quarter and half is truncated on its own, so white and white give 0xFDFDFD.
void Mix2575Effect::render() {
    mixWords(demo, [](Pixel a, Pixel b) {
        return pixels::quarter(a) + pixels::half(b) + pixels::quarter(b);
    });
}
const char* Mix2575Effect::name() { return "Mix 25-75"; }

void Mix7525Effect::render() {
    mixWords(demo, [](Pixel a, Pixel b) {
        return pixels::half(a) + pixels::quarter(a) + pixels::quarter(b);
    });
}
const char* Mix7525Effect::name() { return "Mix 75-25"; }

void Dither5050Effect::render() {
    MixPair m = takePair(demo);
    // Whole 2 x 2 cells only: an odd last row or column keeps A's pixels.
    int cellsHigh = m.height & ~1;
    int cellsWide = m.width & ~1;
    for (int y = 0; y < cellsHigh; y += 2) {
        Pixel* a0 = row(m.a, y);
        Pixel* a1 = row(m.a, y + 1);
        const Pixel* b0 = row(m.b, y);
        const Pixel* b1 = row(m.b, y + 1);
        for (int x = 0; x < cellsWide; x += 2) a0[x + 1] = b0[x];
        for (int x = 0; x < cellsWide; x += 2) a1[x] = b1[x + 1];
    }
}
const char* Dither5050Effect::name() { return "Dither 50-50"; }

void CrossfadeEffect::init(Demo* owner) {
    Effect::init(owner);
    period = 0;  // local time runs from the event's start, unwrapped
}

void CrossfadeEffect::update(int time) {
    // An event of no length is never active; a weight of 0 keeps A if one is served anyway.
    weight = event->duration > 0 ? static_cast<float>(time) / static_cast<float>(event->duration)
                                 : 0.0f;
}

void CrossfadeEffect::render() {
    const double w = weight;
    const double keep = 1.0 - w;  // exact in double for every weight a float can hold above 2^-29
    mixWords(demo, [w, keep](Pixel a, Pixel b) {
        Pixel r = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            double v = w * ((b >> shift) & 0xFF) + keep * ((a >> shift) & 0xFF);
            r |= static_cast<Pixel>(static_cast<int>(v)) << shift;
        }
        return r;
    });
}

}  // namespace Zorvek
