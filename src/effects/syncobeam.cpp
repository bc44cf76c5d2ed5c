#include "effects/syncobeam.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "effects/line_walk.h"
#include "effects/pixels.h"
#include "effects/sine_levels.h"
#include "demo/demo.h"
#include "process/show_random.h"

namespace Zorvek {

namespace {

float fraction(int time, int period) { return period ? static_cast<float>(static_cast<double>(time) / period) : 0.0f; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Grating

void ParallelLineInterferenceEffect::init(Demo* owner) {
    Effect::init(owner);
    period = 5000;
}

const char* ParallelLineInterferenceEffect::name() { return "Parallel Line Interference"; }

void ParallelLineInterferenceEffect::update(int time) {
    phase = period ? static_cast<float>(static_cast<long double>(time) / period) : 0.0f;
}

void ParallelLineInterferenceEffect::render() {
    const int w = std::min(frame->w, sines::MAX_ROW);
    const int h = frame->h;
    const double ph = phase;
    const float spacing = static_cast<float>(10 - 9 * ph);
    const double stride = std::numbers::pi * spacing / frame->w;  // both steps divide by the width
    const float stepX = static_cast<float>(0.5 * std::cos(15 * ph) + stride);
    const float stepY = static_cast<float>(0.5 * std::sin(13 * ph) + stride);
    float rowPhase = static_cast<float>(2 * std::numbers::pi * ph - (h / 2) * static_cast<double>(stepY));
    const float colStart = static_cast<float>(std::numbers::pi * ph - (frame->w / 2) * static_cast<double>(stepX));
    // Every row walks the same column phases (float additions from the same start): once here.
    float columns[sines::MAX_ROW];
    float colPhase = colStart;
    for (int x = 0; x < w; ++x) {
        columns[x] = colPhase;
        colPhase += stepX;
    }
    // Likewise the rows' phases, in the order of their additions; then the rows share out.
    for (int y0 = 0; y0 < h; y0 += sines::MAX_ROW) {
        const int rows = std::min(sines::MAX_ROW, h - y0);
        float rowStarts[sines::MAX_ROW];
        for (int j = 0; j < rows; ++j) {
            rowStarts[j] = rowPhase;
            rowPhase += stepY;
        }
        demo->workers.forEachRowBand(0, rows, [&](int begin, int end) {
            double args[sines::MAX_ROW];
            int levels[sines::MAX_ROW];
            for (int j = begin; j < end; ++j) {
                const double rowStart = rowStarts[j];
                for (int x = 0; x < w; ++x) args[x] = rowStart + columns[x];
                sines::levels(args, levels, w);
                pixels::Pixel* out = pixels::row(frame, y0 + j);
                // A sine of exactly 1 would give 256, a near-black pixel with a bit above the
                // colour channels in the middle of a white line: the brightest grey is 255.
                for (int x = 0; x < w; ++x) out[x] = pixels::grey(static_cast<pixels::Pixel>(std::min(levels[x], 255)));
            }
        });
    }
    push(frame);
}

// ---------------------------------------------------------------------------------------------
// Ray caster

namespace {

constexpr pixels::Pixel MAGENTA = 0xFF00FF;  // the key colour the picture is revealed through
constexpr pixels::Pixel YELLOW = 0xFFFF00;   // a sparkle: a ray that meets one flares
constexpr pixels::Pixel WHITE = 0xFFFFFF;
constexpr pixels::Pixel BRIGHT = 0x808080;          // any channel at half or more shows as white
constexpr int RAY_START_X = 160, RAY_START_Y = 60;  // where the show's rays start afresh

// Each channel times `factor`, capped at 0xFF.
pixels::Pixel brighten(pixels::Pixel c, int factor) {
    const int r = std::min(pixels::redOf(c) * factor, 0xFF);
    const int g = std::min(pixels::greenOf(c) * factor, 0xFF);
    const int b = std::min(pixels::blueOf(c) * factor, 0xFF);
    return pixels::pack(r, g, b);
}

// The first picture pixel a ray meets: shown as it is, or white where it is bright.
pixels::Pixel revealed(pixels::Pixel s) { return (s & BRIGHT) ? WHITE : s; }

// What a ray carries from point to point.
struct Ray {
    pixels::Pixel colour;
    int mode;
};

// One point of a ray: picks the colour from the picture below and the ray's state, and blends
// it into a 2 x 2 block of the target.
[[gnu::always_inline]] inline void shade(BITMAP* target, BITMAP* source, int x, int y, pixels::Pixel col, Ray& ray) {
    if (x <= 0 || y <= 0 || x >= target->w || y >= target->h) return;
    // A picture smaller than the frame has nothing to show beyond its edges.
    if (!source || x >= source->w || y >= source->h) return;
    if (x == RAY_START_X && y == RAY_START_Y) ray = {col, 0};
    const pixels::Pixel s = pixels::row(source, y)[x];
    pixels::Pixel out;
    if (s == YELLOW || s == MAGENTA) {
        if (ray.mode != 0) {
            out = ray.colour;
        } else if (s == YELLOW) {
            ray = {brighten(col, 4), 1};
            out = brighten(ray.colour, 2);
        } else {
            out = col;
        }
    } else if (ray.mode == 2) {
        out = s;
    } else {
        ray = {ray.mode == 0 ? pixels::quarter(col) : pixels::half(col), 2};
        out = revealed(s);
    }
    // Averaged half-and-half with what is there, so that crossing rays blend.
    pixels::Pixel* here = pixels::row(target, y);
    pixels::Pixel* above = pixels::row(target, y - 1);
    here[x] = pixels::average(out, here[x]);
    here[x - 1] = pixels::average(out, here[x - 1]);
    above[x] = pixels::average(out, above[x]);
    above[x - 1] = pixels::average(out, above[x - 1]);
}

}  // namespace

BITMAP* SyncobeamEffect::source = nullptr;
std::uint32_t SyncobeamEffect::rayColour = 0;
int SyncobeamEffect::rayMode = 0;

void SyncobeamEffect::rayPoint(BITMAP* target, int x, int y, int col) {
    Ray ray{rayColour, rayMode};
    shade(target, source, x, y, static_cast<pixels::Pixel>(col), ray);
    rayColour = ray.colour;
    rayMode = ray.mode;
}

void SyncobeamEffect::castRay(BITMAP* target, int x1, int y1, int x2, int y2, int col) {
    // The points of do_line, with the ray's state kept in registers along the walk.
    Ray ray{rayColour, rayMode};
    BITMAP* picture = source;
    const auto c = static_cast<pixels::Pixel>(col);
    walkLine(x1, y1, x2, y2, [&](int x, int y) { shade(target, picture, x, y, c, ray); });
    rayColour = ray.colour;
    rayMode = ray.mode;
}

const char* SyncobeamEffect::name() { return "Psychodelic Ray Caster"; }

int SyncobeamEffect::level(float band) {
    const float scaled = band * 4096;
    // Magnitudes are never negative; a negative or undefined band counts as silence.
    if (!(scaled > 0)) return 0;
    return scaled >= 257 ? 256 : static_cast<int>(scaled);
}

void SyncobeamEffect::update(int time) {
    phase = fraction(time, period);
    left = demo->music.getSpectrum(demo->music.spectrum);
    right = left + 256;
    levelSpectrum();
}

void SyncobeamEffect::levelSpectrum() {
    float maxL = 0, maxR = 0;
    for (int j = 0; j < BANDS; ++j) {
        maxL = std::max(maxL, left[j]);
        maxR = std::max(maxR, right[j]);
    }
    if (maxL != 0 && maxR > maxL) {
        for (int j = 0; j < BANDS; ++j) left[j] = left[j] * maxR / maxL;
    } else if (maxR != 0 && maxL > maxR) {
        for (int j = 0; j < BANDS; ++j) right[j] = right[j] * maxL / maxR;
    }
}

void SyncobeamEffect::render() {
    source = pop();
    for (int n = 0; n < 16; ++n) {
        const int x = showRand() % 320;
        const int y = showRand() % 240;
        if (!source || x >= source->w || y >= source->h) continue;
        pixels::Pixel& p = pixels::row(source, y)[x];
        if (p == MAGENTA) p = YELLOW;
    }
    clear_to_color(frame, 0);
    const float base = static_cast<float>(-2 * static_cast<double>(phase) * std::numbers::pi);
    for (int i = 0; i < BANDS; ++i) {
        const int levelL = level(left[i]);
        const int levelR = level(right[i]);
        const int half = (levelR - levelL) / 2;
        const int g = std::abs(half);
        const float angle = static_cast<float>(i / 160.0 * 3.455751918948773 + base);
        const int ox = static_cast<int>(std::sin(static_cast<double>(angle)) * 256);
        const int oy = static_cast<int>(std::cos(static_cast<double>(angle)) * 256);
        castRay(frame, originX, originY, centreX + ox, centreY + oy, makecol(levelL, g, half >= 0 ? levelL : 0));
        castRay(frame, originX, originY, centreX - ox, centreY - oy, makecol(half <= 0 ? levelR : 0, g, levelR));
    }
    source = nullptr;
    push(frame);
}

}  // namespace Zorvek
