#pragma once
// A plain evaluation of the metaball renderers, one pixel and one integer division at a time,
// written straight from the rules. The effect must match it pixel for pixel; the benchmarks time
// it as the unoptimised baseline.

#include <allegro.h>

#include <algorithm>
#include <cstdint>

#include "effects/metaballs.h"
#include "effects/pixels.h"

namespace Zorvek::reference {

struct PlainMetaballs {
    BITMAP* frame;
    const Ball* balls;  // weights already computed
    int count;

    std::uint32_t& at(int x, int y) const { return reinterpret_cast<std::uint32_t*>(frame->line[y])[x]; }

    std::uint32_t field(int i, int n) const {
        std::int32_t sum[3] = {0, 0, 0};
        for (int k = 0; k < count; ++k) {
            const Ball& b = balls[k];
            const std::int32_t weight[3] = {b.redWeight, b.greenWeight, b.blueWeight};
            const std::int32_t dx = i - (frame->w >> 1) - b.x, dy = n - (frame->h >> 1) - b.y;
            const std::int32_t d2 = dx * dx + dy * dy;
            for (int c = 0; c < 3; ++c) sum[c] += dx == 0 && dy == 0 ? weight[c] : weight[c] / d2;
        }
        for (auto& s : sum) s = std::max(s, 0);
        const std::int32_t m = std::max({sum[0], sum[1], sum[2]});
        if (m > 255)
            for (auto& s : sum) s = static_cast<std::int32_t>(std::int64_t{s} * 255 / m);
        return pixels::pack(sum[0], sum[1], sum[2]);
    }

    void halfRow(int n) const {
        std::uint32_t previous = 0;
        for (int i = frame->w - 2; i >= 0; i -= 2) {
            const std::uint32_t col = field(i, n);
            at(i, n) = col;
            at(i + 1, n) = pixels::average(col, previous);
            previous = col;
        }
    }

    void render(int mode) const {
        const int w = frame->w, h = frame->h;
        if (mode == 0) {
            for (int n = h - 1; n >= 0; --n)
                for (int i = w - 1; i >= 0; --i) at(i, n) = field(i, n);
        } else if (mode == 1) {
            for (int n = h - 1; n >= 0; --n) halfRow(n);
            blit(frame, frame, w - 2, 0, w - 1, 0, 1, h);
        } else {
            for (int n = h - 2; n >= 0; n -= 2) halfRow(n);
            for (int n = h - 3; n > 0; n -= 2)
                for (int i = w - 1; i >= 0; --i) at(i, n) = pixels::average(at(i, n - 1), at(i, n + 1));
            blit(frame, frame, 0, h - 2, 0, h - 1, w, 1);
        }
    }
};

}  // namespace Zorvek::reference
