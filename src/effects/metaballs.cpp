#include "effects/metaballs.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>

#include "effects/metaball_field.h"
#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

using pixels::Pixel;
using pixels::row;

namespace {

// Every pixel of the frame.
void renderFull(BITMAP* frame, const metaballField::RowEvaluator& field, WorkerPool& workers) {
    const int w = frame->w, h = frame->h;
    workers.forEachRowBand(0, h, [&](int begin, int end) {
        for (int n = begin; n < end; ++n) field.run(n - (h >> 1), -(w >> 1), 1, w, row(frame, n));
    });
}

// Row n at half horizontal resolution: columns w-2, w-4, ... are computed, each column to their
// right is the average of its two computed neighbours (black beyond the right edge).
void renderHalfRow(BITMAP* frame, int n, const metaballField::RowEvaluator& field) {
    const int w = frame->w, h = frame->h;
    if (w < 2) return;
    const int count = w / 2;
    const int first = w - 2 * count;  // the leftmost computed column
    Pixel* line = row(frame, n);
    // The computed colours land in the row's left part first and are spread out from the right,
    // so no value is overwritten before it is read.
    field.run(n - (h >> 1), first - (w >> 1), 2, count, line);
    Pixel previous = 0;
    for (int j = count - 1; j >= 0; --j) {
        const Pixel col = line[j];
        line[first + 2 * j] = col;
        line[first + 2 * j + 1] = pixels::average(col, previous);
        previous = col;
    }
}

void renderHalfColumns(BITMAP* frame, const metaballField::RowEvaluator& field, WorkerPool& workers) {
    const int w = frame->w;
    workers.forEachRowBand(0, frame->h, [&](int begin, int end) {
        for (int n = begin; n < end; ++n) {
            renderHalfRow(frame, n, field);
            // The rightmost column was averaged with black; it takes its left neighbour's colour.
            if (w >= 2) row(frame, n)[w - 1] = row(frame, n)[w - 2];
        }
    });
}

void renderHalfBoth(BITMAP* frame, const metaballField::RowEvaluator& field, WorkerPool& workers) {
    const int w = frame->w, h = frame->h;
    // Rows h − 2, h − 4, ... are computed; each row between two of them is their average.
    const int computed = h >= 2 ? h / 2 : 0;
    workers.forEachRowBand(0, computed, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) renderHalfRow(frame, h - 2 - 2 * i, field);
    });
    workers.forEachRowBand(0, std::max((h - 2) / 2, 0), [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const int n = h - 3 - 2 * i;
            const Pixel* above = row(frame, n - 1);
            const Pixel* below = row(frame, n + 1);
            Pixel* line = row(frame, n);
            for (int x = w - 1; x >= 0; --x) line[x] = pixels::average(above[x], below[x]);
        }
    });
    if (h >= 2) std::copy_n(row(frame, h - 2), w, row(frame, h - 1));
}

// 0 → 1 → 0 over one period.
double triangle(int time, int period) {
    double u = 2.0 * time / period;
    return u > 1 ? 2 - u : u;
}

void setBall(Ball& b, int x, int y, int radius, int red, int green, int blue) {
    b.x = x;
    b.y = y;
    b.radius = radius;
    b.red = red;
    b.green = green;
    b.blue = blue;
}

// The eight colours shared by MetaBalls102 and MetaBalls103, from yellow-white to blue.
void paletteColour(int k, Ball& b) {
    b.red = 248 - 31 * k;
    b.green = k <= 3 ? 252 - 63 * k : 0;
    b.blue = 16 * k;
}

}  // namespace

void MetaBallsEffect::render() {
    const int count = std::min<int>(ballCount, MAX_BALLS);
    metaballField::computeWeights(balls, count);
    const metaballField::RowEvaluator field(balls, count, frame->w, frame->h);
    switch (renderMode) {
        case 0: renderFull(frame, field, demo->workers); break;
        case 1: renderHalfColumns(frame, field, demo->workers); break;
        case 2: renderHalfBoth(frame, field, demo->workers); break;
        default: break;
    }
    push(frame);
}

const char* MetaBallsEffect::name() { return "Metaballs"; }

void MetaBallsEffect::init(Demo* owner) {
    Effect::init(owner);
    renderMode = 0;
}

void MetaBalls101::init(Demo* owner) {
    Effect::init(owner);
    period = 2000;
    ballCount = 5;
    setBall(balls[0], 0, -70, 0, 255, 192, 64);
    setBall(balls[1], 0, 90, 0, 128, 32, 255);
    setBall(balls[2], 0, 10, 80, 255, 255, 255);
    setBall(balls[3], -70, 0, 0, -16, -64, -8);
    setBall(balls[4], 80, 0, 0, -8, -64, -16);
}

void MetaBalls101::update(int time) {
    const double theta = static_cast<double>(time) / period * 6.283;
    const double sinT = std::sin(theta), cosT = std::cos(theta);
    balls[0].x = static_cast<int>(-(0.5 * cosT * 230));
    balls[0].radius = static_cast<int>(40 + 20 * sinT);
    balls[1].x = static_cast<int>(0.5 * cosT * 230);
    balls[1].radius = static_cast<int>(40 - 20 * sinT);
    balls[3].y = static_cast<int>(0.5 * cosT * 270);
    balls[3].radius = static_cast<int>(100 + 40 * cosT);
    balls[4].y = static_cast<int>(-(0.5 * cosT * 270));
    balls[4].radius = static_cast<int>(100 - 40 * cosT);
    // Quarter resolution when the pass has more to draw than this effect and one other.
    const int active = demo->timeline.activeCount;
    renderMode = active == 1 || active == 2 ? 1 : 2;
}

void MetaBalls102::init(Demo* owner) {
    Effect::init(owner);
    period = 16000;
    ballCount = 8;
    renderMode = 2;
    for (int k = 0; k < 8; ++k) paletteColour(k, balls[k]);
}

void MetaBalls102::update(int time) {
    const double u = triangle(time, period);
    for (int k = 0; k < 8; ++k) {
        const double a = 47.6 * u + k * 3.1415 * 0.125;
        balls[k].x = static_cast<int>(128 * u * std::sin(a));
        balls[k].y = static_cast<int>(64 * u * std::cos(a));
        balls[k].radius = static_cast<int>(8 * std::cos(a) + 40 * (1 - u) + 10);
    }
}

void MetaBalls103::init(Demo* owner) {
    Effect::init(owner);
    period = 10000;
    ballCount = 8;
    renderMode = 2;
    for (int k = 0; k < 8; ++k) paletteColour(7 - k, balls[k]);
}

void MetaBalls103::update(int time) {
    const double u = triangle(time, period);
    for (int k = 0; k < ballCount; ++k) {
        const double a = 25.132 * u + k * 3.1415 / 12;
        balls[k].x = static_cast<int>(160 * std::sin(a));
        balls[k].y = static_cast<int>(120 * (0.5 - k / 7.0));
        balls[k].radius = static_cast<int>(20 * std::cos(a) + 30);
    }
}

void MetaBalls104::init(Demo* owner) {
    Effect::init(owner);
    period = 5850;
    ballCount = 15;
    renderMode = 2;
    const int spacing = owner->display.width / 14;
    for (int k = 0; k < 15; ++k) setBall(balls[k], (k - 7) * spacing, 0, 0, 255, 255, 255);
}

void MetaBalls104::update(int time) {
    const double u = triangle(time, period);
    for (int k = 0; k < 15; ++k) {
        const double a = 25.132 * u + k * 3.1415 / 15;
        balls[k].radius = static_cast<int>(50 * (1 - u));
        balls[k].y = static_cast<int>(k % 2 == 0 ? 100 * std::sin(a) + 100 : 100 * std::cos(a) - 100);
    }
}

}  // namespace Zorvek
