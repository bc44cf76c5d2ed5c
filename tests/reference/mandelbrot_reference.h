#pragma once
// A plain evaluation of the Mandelbrot renderers, one pixel at a time, written straight from the
// rules of the three fixed-point formats. The effect must match it pixel for pixel; the
// benchmarks time it as the unoptimised baseline.

#include <allegro.h>

#include <cstdint>

#include "effects/pixels.h"

namespace Zorvek::reference {

// 32 bits, 14 fraction bits, 32-bit products.
inline int stepsCoarse(std::int32_t cr, std::int32_t ci) {
    std::int32_t zr = 0, zi = 0;
    int count = 256;
    for (;;) {
        const std::int32_t zr2 =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(zr) * static_cast<std::uint32_t>(zr)) >> 14;
        const std::int32_t zi2 =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(zi) * static_cast<std::uint32_t>(zi)) >> 14;
        if (std::int64_t{zr2} + zi2 >= 0x10000) break;
        const std::int32_t twice =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(zr) * static_cast<std::uint32_t>(zi)) >> 13;
        zi = static_cast<std::int32_t>(static_cast<std::uint32_t>(twice) + static_cast<std::uint32_t>(ci));
        zr = static_cast<std::int32_t>(static_cast<std::uint32_t>(zr2) - static_cast<std::uint32_t>(zi2) +
                                       static_cast<std::uint32_t>(cr));
        if (--count == 0) break;
    }
    return count;
}

// 32 bits, 27 fraction bits, 64-bit products of which the low 32 bits are kept after the shift.
inline int stepsMedium(std::int32_t cr, std::int32_t ci) {
    std::int32_t zr = 0, zi = 0;
    int count = 256;
    for (;;) {
        const std::int32_t zr2 = static_cast<std::int32_t>((std::int64_t{zr} * zr) >> 27);
        const std::int32_t zi2 = static_cast<std::int32_t>((std::int64_t{zi} * zi) >> 27);
        if (std::int64_t{zr2} + zi2 >= 0x20000000) break;
        const std::int32_t twice = static_cast<std::int32_t>((std::int64_t{zr} * zi) >> 26);
        zi = static_cast<std::int32_t>(static_cast<std::uint32_t>(twice) + static_cast<std::uint32_t>(ci));
        zr = static_cast<std::int32_t>(static_cast<std::uint32_t>(zr2) - static_cast<std::uint32_t>(zi2) +
                                       static_cast<std::uint32_t>(cr));
        if (--count == 0) break;
    }
    return count;
}

// 64 bits, 30 fraction bits, 64-bit products.
inline int stepsFine(std::int64_t cr, std::int64_t ci) {
    std::int64_t zr = 0, zi = 0;
    int count = 256;
    for (;;) {
        const std::int64_t zr2 =
            static_cast<std::int64_t>(static_cast<std::uint64_t>(zr) * static_cast<std::uint64_t>(zr)) >> 30;
        const std::int64_t zi2 =
            static_cast<std::int64_t>(static_cast<std::uint64_t>(zi) * static_cast<std::uint64_t>(zi)) >> 30;
        if (zr2 + zi2 >= 0x100000000) break;
        const std::int64_t twice =
            static_cast<std::int64_t>(static_cast<std::uint64_t>(zr) * static_cast<std::uint64_t>(zi)) >> 29;
        zi = static_cast<std::int64_t>(static_cast<std::uint64_t>(twice) + static_cast<std::uint64_t>(ci));
        zr = static_cast<std::int64_t>(static_cast<std::uint64_t>(zr2) - static_cast<std::uint64_t>(zi2) +
                                       static_cast<std::uint64_t>(cr));
        if (--count == 0) break;
    }
    return count;
}

struct PlainMandelbrot {
    BITMAP* frame;
    std::int64_t centreX, centreY, viewHeight;
    const std::uint32_t* palette;

    std::uint32_t& at(int x, int y) const { return reinterpret_cast<std::uint32_t*>(frame->line[y])[x]; }

    // (pos − size/2) × v / size-of-height + centre in 32 bits with wrap-around.
    static std::int32_t point32(int pos, int size, int h, std::int32_t v, std::int32_t c) {
        const std::int32_t product =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(pos - size / 2) * static_cast<std::uint32_t>(v));
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(product / h) + static_cast<std::uint32_t>(c));
    }
    static std::int64_t point64(int pos, int size, int h, std::int64_t v, std::int64_t c) {
        const std::int64_t product =
            static_cast<std::int64_t>(static_cast<std::uint64_t>(pos - size / 2) * static_cast<std::uint64_t>(v));
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(product / h) + static_cast<std::uint64_t>(c));
    }

    std::uint32_t coarse(int x, int y) const {
        const int w = frame->w, h = frame->h;
        const auto v = static_cast<std::int32_t>(viewHeight >> 18);
        return palette[stepsCoarse(point32(x, w, h, v, static_cast<std::int32_t>(centreX >> 18)),
                                   point32(y, h, h, v, static_cast<std::int32_t>(centreY >> 18)))];
    }
    std::uint32_t medium(int x, int y) const {
        const int w = frame->w, h = frame->h;
        const auto v = static_cast<std::int32_t>(viewHeight >> 5);
        return palette[stepsMedium(point32(x, w, h, v, static_cast<std::int32_t>(centreX >> 5)),
                                   point32(y, h, h, v, static_cast<std::int32_t>(centreY >> 5)))];
    }
    std::uint32_t fine(int x, int y) const {
        const int w = frame->w, h = frame->h;
        const std::int64_t v = viewHeight >> 2;
        return palette[stepsFine(point64(x, w, h, v, centreX >> 2), point64(y, h, h, v, centreY >> 2))];
    }

    void render() const {
        const int w = frame->w, h = frame->h;
        if (viewHeight > 0x10000000) {
            for (int y = h - 1; y >= 0; --y)
                for (int x = w - 1; x >= 0; --x) at(x, y) = coarse(x, y);
        } else if (viewHeight > 0x2000) {
            for (int y = 0; y < h; y += 2)
                for (int x = 0; x < w; ++x) at(x, y) = medium(x, y);
            for (int x = 0; x < w; ++x) at(x, h - 1) = medium(x, h - 1);
            for (int y = 1; y < h - 2; y += 2)
                for (int x = 0; x < w; ++x)
                    at(x, y) = pixels::sameHalf(at(x, y - 1), at(x, y + 1)) ? at(x, y - 1) : medium(x, y);
        } else {
            std::uint32_t prev = 0;
            for (int y = h - 2; y >= 0; y -= 2)
                for (int x = w - 2; x >= 0; x -= 2) {
                    const std::uint32_t col = fine(x, y);
                    at(x, y) = col;
                    at(x + 1, y) = pixels::sameQuarter(col, prev) ? col : fine(x + 1, y);
                    prev = col;
                }
            for (int y = h - 3; y > 0; y -= 2)
                for (int x = w - 1; x >= 0; --x)
                    at(x, y) = pixels::sameHalf(at(x, y - 1), at(x, y + 1)) ? at(x, y - 1) : fine(x, y);
            blit(frame, frame, 0, h - 2, 0, h - 1, w, 1);
        }
    }
};

}  // namespace Zorvek::reference
