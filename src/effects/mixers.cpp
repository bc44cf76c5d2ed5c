#include "effects/mixers.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "effects/pixels.h"
#include "demo/demo.h"
#include "timeline/timeline.h"

namespace Zorvek {

using pixels::Pixel;
using pixels::row;

namespace {

// The two frames a mixer works on: A on top (written), B below it (read).
struct MixPair {
    BITMAP* a;
    BITMAP* b;
    int width;  // the part both frames cover; the show's frames are all of the render size
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
void mixWords(MixPair m, Rule rule) {
    pixels::vectorised([=] {
        const int width = m.width;
        for (int y = 0; y < m.height; ++y) {
            Pixel* a = row(m.a, y);
            const Pixel* b = row(m.b, y);
            for (int x = 0; x < width; ++x) a[x] = rule(a[x], b[x]);
        }
    });
}

// Each channel byte of A = rule(A's byte, B's byte); the top bytes are cleared afterwards. Byte
// by byte, the compiler packs 16 or 32 channels into one vector operation.
template <class Rule>
void mixChannels(MixPair m, Rule rule) {
    pixels::vectorised([=] {
        const int width = m.width;
        for (int y = 0; y < m.height; ++y) {
            auto* a = reinterpret_cast<std::uint8_t*>(row(m.a, y));
            const auto* b = reinterpret_cast<const std::uint8_t*>(row(m.b, y));
            for (int i = 0; i < 4 * width; ++i) a[i] = static_cast<std::uint8_t>(rule(a[i], b[i]));
            Pixel* words = row(m.a, y);
            for (int x = 0; x < width; ++x) words[x] &= pixels::COLOUR_BITS;
        }
    });
}

}  // namespace

// Dropping the lowest bit keeps the order of two channel values, so the larger value masked is
// the larger of the masked values.
void MixMaxEffect::render() {
    mixChannels(takePair(demo), [](int a, int b) { return std::max(a, b) & 0xFE; });
}
const char* MixMaxEffect::name() { return "Mix Maximum"; }

void MixMinEffect::render() {
    mixChannels(takePair(demo), [](int a, int b) { return std::min(a, b) & 0xFE; });
}
const char* MixMinEffect::name() { return "Mix Minimum"; }

// 255 x 255 gives 254: white multiplied by white is not quite white.
void MixMulEffect::render() {
    mixChannels(takePair(demo), [](int a, int b) { return (a * b) >> 8; });
}
const char* MixMulEffect::name() { return "Mix Multiply"; }

void MixXorEffect::render() {
    mixWords(takePair(demo), [](Pixel a, Pixel b) { return a ^ b; });
}
const char* MixXorEffect::name() { return "Mix XOR"; }

void Mix5050Effect::render() {
    mixWords(takePair(demo), [](Pixel a, Pixel b) { return pixels::average(a, b); });
}
const char* Mix5050Effect::name() { return "Mix 50-50"; }

// Each quarter and half is truncated on its own, so white and white give 0xFDFDFD.
void Mix2575Effect::render() {
    mixWords(takePair(demo),
             [](Pixel a, Pixel b) { return pixels::quarter(a) + pixels::half(b) + pixels::quarter(b); });
}
const char* Mix2575Effect::name() { return "Mix 25-75"; }

void Mix7525Effect::render() {
    mixWords(takePair(demo),
             [](Pixel a, Pixel b) { return pixels::half(a) + pixels::quarter(a) + pixels::quarter(b); });
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
    weight = event->duration > 0 ? static_cast<float>(time) / static_cast<float>(event->duration) : 0.0f;
}

namespace {

// A weight in [0, 1) as the exact fraction numerator / 2^shift, with a numerator of at most 24
// bits (a float's mantissa) and a shift of at most 31; false for any other weight.
struct Fraction {
    std::uint32_t numerator = 0;
    int shift = 0;
};

bool asFraction(float weight, Fraction& f) {
    if (!(weight >= 0.0f && weight < 1.0f)) return false;
    f = {};
    if (weight == 0.0f) return true;
    int exponent = 0;
    const float mantissa = std::frexp(weight, &exponent);  // weight = mantissa x 2^exponent
    f.numerator = static_cast<std::uint32_t>(std::ldexp(mantissa, 24));
    f.shift = 24 - exponent;
    while ((f.numerator & 1) == 0) {
        f.numerator >>= 1;
        --f.shift;
    }
    return f.shift <= 31;
}

// One channel of the fade, a + floor(weight x (b - a)), in 32-bit integers: |b - a| x numerator
// stays below 2^32, and a negative difference rounds down by one more when anything is cut off.
inline Pixel fadeChannel(int a, int b, Fraction f, std::uint32_t cutMask) {
    const int d = b - a;
    const std::uint32_t product = static_cast<std::uint32_t>(d < 0 ? -d : d) * f.numerator;
    const int whole = static_cast<int>(product >> f.shift);
    const int cut = (product & cutMask) != 0;
    return static_cast<Pixel>(a + (d < 0 ? -whole - cut : whole));
}

}  // namespace

// Each channel: trunc(weight x B + (1 - weight) x A), evaluated in double precision. For the
// weights a fade meets (t / duration from about 1/128 up) both products and their sum are exact,
// so the value is exactly A + floor(weight x (B - A)), which the integer path computes without
// converting a channel to floating point. Pixel by pixel, the compiler vectorises across pixels.
void CrossfadeEffect::render() {
    Fraction f;
    if (asFraction(weight, f)) {
        const std::uint32_t cutMask = (std::uint32_t{1} << f.shift) - 1;
        mixWords(takePair(demo), [f, cutMask](Pixel a, Pixel b) {
            Pixel mixed = 0;
            for (int shift = 0; shift < 24; shift += 8)
                mixed |= fadeChannel((a >> shift) & 0xFF, (b >> shift) & 0xFF, f, cutMask) << shift;
            return mixed;
        });
        return;
    }
    const double w = weight;
    const double keep = 1.0 - w;
    mixWords(takePair(demo), [w, keep](Pixel a, Pixel b) {
        Pixel mixed = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            int fromA = (a >> shift) & 0xFF;
            int fromB = (b >> shift) & 0xFF;
            mixed |= static_cast<Pixel>(static_cast<int>(w * fromB + keep * fromA)) << shift;
        }
        return mixed;
    });
}

}  // namespace Zorvek
