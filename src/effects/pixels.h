#pragma once
// Packed-pixel arithmetic on 0x00RRGGBB words. Masks clear the bits that would spill into the
// neighbouring channel before a shift, so three channels are averaged or scaled in one operation.

#include <allegro.h>

#include <cstdint>

#include "effects/instruction_sets.h"

namespace Zorvek::pixels {

using Pixel = std::uint32_t;

constexpr Pixel HALF_MASK = 0xFEFEFE;     // before a shift right by one
constexpr Pixel QUARTER_MASK = 0xFCFCFC;  // before a shift right by two
constexpr Pixel RED = 0xFF0000;
constexpr Pixel GREEN = 0x00FF00;
constexpr Pixel BLUE = 0x0000FF;
constexpr Pixel COLOUR_BITS = RED | GREEN | BLUE;  // everything but a loaded picture's alpha

constexpr Pixel half(Pixel p) { return (p & HALF_MASK) >> 1; }
constexpr Pixel quarter(Pixel p) { return (p & QUARTER_MASK) >> 2; }
// The average of two pixels, each channel truncated.
constexpr Pixel average(Pixel a, Pixel b) { return ((a & HALF_MASK) + (b & HALF_MASK)) >> 1; }
// Nearly equal: the same in the top seven (or six) bits of every channel.
constexpr bool sameHalf(Pixel a, Pixel b) { return (a & HALF_MASK) == (b & HALF_MASK); }
constexpr bool sameQuarter(Pixel a, Pixel b) { return (a & QUARTER_MASK) == (b & QUARTER_MASK); }
constexpr Pixel grey(Pixel v) { return v * 0x010101; }
constexpr Pixel pack(int red, int green, int blue) {
    return static_cast<Pixel>(red) << 16 | static_cast<Pixel>(green) << 8 | static_cast<Pixel>(blue);
}
constexpr int redOf(Pixel p) { return (p >> 16) & 0xFF; }
constexpr int greenOf(Pixel p) { return (p >> 8) & 0xFF; }
constexpr int blueOf(Pixel p) { return p & 0xFF; }

// Runs a whole-frame loop that the compiler vectorises (a lambda, whose body is inlined into
// each build): built for any x86-64 and again for AVX2, the AVX2 build taken where the
// instruction sets allow it.
#if defined(__x86_64__) && defined(__GNUC__)
template <class Loop>
[[gnu::target("avx2"), gnu::flatten]] inline void runAvx2Build(const Loop& loop) {
    loop();
}
template <class Loop>
[[gnu::flatten]] inline void runPortableBuild(const Loop& loop) {
    loop();
}
template <class Loop>
inline void vectorised(const Loop& loop) {
    if (instructionSets::usable(instructionSets::Level::Avx2)) runAvx2Build(loop);
    else runPortableBuild(loop);
}
#else
template <class Loop>
inline void vectorised(const Loop& loop) {
    loop();
}
#endif

// Row y of a 32-bit memory bitmap.
inline Pixel* row(BITMAP* b, int y) { return reinterpret_cast<Pixel*>(b->line[y]); }

// The rectangle that drawing on a bitmap is clipped to; right and bottom exclusive.
struct Clip {
    int left, top, right, bottom;
};
inline Clip clipOf(const BITMAP* b) { return b->clip ? Clip{b->cl, b->ct, b->cr, b->cb} : Clip{0, 0, b->w, b->h}; }

}  // namespace Zorvek::pixels
