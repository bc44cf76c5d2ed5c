#include "effects/spirals.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "effects/circle_spans.h"
#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

namespace {

constexpr int POINTS = SpiralArm::POINTS;

// Local time as an angle: one turn per period, rounded to a float.
float turn(int time, int period) { return static_cast<float>(time * 2.0 * std::numbers::pi / period); }

// The angle of point i along the centre line, one turn over the 700 points.
double pointAngle(int i) { return i * 2.0 * std::numbers::pi / POINTS; }

// Centre lines are stored truncated toward zero.
std::int32_t pixelOf(double v) { return static_cast<std::int32_t>(v); }

// Sine and cosine of an angle rounded to a float, each rounded to a float too: the centre lines
// of three variants are built from these.
struct Rounded {
    float sin, cos;
};
Rounded roundedSinCos(double angle) {
    const double a = static_cast<float>(angle);
    return {static_cast<float>(std::sin(a)), static_cast<float>(std::cos(a))};
}

using ColourRule = std::uint32_t (*)(std::uint32_t k);

void fillColours(SpiralArm& arm, ColourRule rule) {
    for (std::uint32_t k = 0; k < 256; ++k) arm.colours[k] = rule(k);
}

// Tables that fade towards the outside: the rule is applied to a = 256 - k. Entry 0 (a = 256)
// spills one bit into the channel above its own, as the tables have always had it.
void fillFading(SpiralArm& arm, ColourRule rule) {
    for (std::uint32_t k = 0; k < 256; ++k) arm.colours[k] = rule(256 - k);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared renderer

void SpirobobEffect::init(Demo* owner) { Effect::init(owner); }

const char* SpirobobEffect::name() { return "Spirobobs"; }

void SpirobobEffect::setUp(Demo* owner, int count, float turns, float scale) {
    Effect::init(owner);
    period = 1950;
    armCount = count;
    spin = turns;
    bobScale = scale;
    circles::prepare();
}

void SpirobobEffect::setFlags(int arm, int flipSinTerm, int flipCosTerm, int swap) {
    arms[arm].flipSin = static_cast<std::uint8_t>(flipSinTerm);
    arms[arm].flipCos = static_cast<std::uint8_t>(flipCosTerm);
    arms[arm].swapAxes = static_cast<std::uint8_t>(swap);
}

void SpirobobEffect::render() {
    BITMAP* target = top();
    const int count = std::clamp(armCount, 0, MAX_ARMS);
    if (!target || count == 0) return;
    const double winding = 2.0 * spin * std::numbers::pi;
    bool spans = true;
    for (int i = POINTS - 1; i >= 1; --i) {
        const float dist = static_cast<float>(i * i / 2100);
        const float angle = static_cast<float>(i * winding / POINTS + rotation);
        Ring& ring = rings[i];
        ring.sinTerm = static_cast<int>(std::sin(static_cast<double>(angle)) * dist);
        ring.cosTerm = static_cast<int>(std::cos(static_cast<double>(angle)) * dist);
        ring.colour = 255 * (POINTS - i) / POINTS;
        ring.radius = static_cast<int>(static_cast<double>(dist) * bobScale);
        spans = spans && circles::drawnFromSpans(target, ring.radius);
    }
    // Outermost (largest) rings first, every arm at one ring before the next ring; point 0 is
    // never drawn. Later bobs cover earlier ones, so every row sees them all in this order; drawn
    // from the spans, the rows share out over the threads.
    const auto draw = [&](int firstRow, int endRow) {
        for (int i = POINTS - 1; i >= 1; --i) {
            const Ring& ring = rings[i];
            for (int j = 0; j < count; ++j) {
                const SpiralArm& arm = arms[j];
                const int a = arm.flipSin ? -ring.sinTerm : ring.sinTerm;
                const int b = arm.flipCos ? -ring.cosTerm : ring.cosTerm;
                const int dx = arm.swapAxes ? b : a;
                const int dy = arm.swapAxes ? a : b;
                const int centreY = arm.pathY[i] + dy;
                // Most bobs miss a band's rows altogether.
                if (centreY + ring.radius < firstRow || centreY - ring.radius >= endRow) continue;
                const int colour = static_cast<int>(arm.colours[ring.colour]);
                if (spans) circles::fillRows(target, arm.pathX[i] + dx, centreY, ring.radius, colour, firstRow, endRow);
                else circles::fill(target, arm.pathX[i] + dx, centreY, ring.radius, colour);
            }
        }
    };
    if (spans) demo->workers.forEachRowBand(0, target->h, draw);
    else draw(0, target->h);
}

// ---------------------------------------------------------------------------------------------
// Spiral101: two arms side by side, blue-violet and orange

void Spiral101::init(Demo* owner) {
    setUp(owner, 2, 10.0f, 0.1f);
    setFlags(0, 0, 0, 0);
    setFlags(1, 0, 1, 0);
    fillColours(arms[0], [](std::uint32_t k) { return k | (k & 0xFE) << 15; });
    fillColours(arms[1], [](std::uint32_t k) { return k << 16 | (k & 0xFE) << 7; });
}

void Spiral101::update(int time) {
    const float t = turn(time, period);
    const float t2 = 2 * t;
    rotation = -3 * t;
    for (int i = 0; i < POINTS; ++i) {
        const double r = i / static_cast<double>(POINTS);
        const Rounded p = roundedSinCos(pointAngle(i) + t2);
        const std::int32_t y = pixelOf(120 + 30 * r * p.cos);
        arms[0].pathX[i] = pixelOf(160 + 30 * r + 40 * r * p.sin);
        arms[1].pathX[i] = pixelOf(160 - 30 * r + 40 * r * p.sin);
        arms[0].pathY[i] = y;
        arms[1].pathY[i] = y;
    }
}

// ---------------------------------------------------------------------------------------------
// Spiral102: two mirrored arms on one swinging centre line, colours fading outwards in

void Spiral102::init(Demo* owner) {
    setUp(owner, 2, 8.0f, 1.0f / 3.0f);
    setFlags(0, 0, 0, 1);
    setFlags(1, 1, 1, 1);
    fillFading(arms[0], [](std::uint32_t a) { return (a & 0xFE) << 15 | a; });
    fillFading(arms[1], [](std::uint32_t a) { return a << 16 | (a & 0xFE) << 7; });
}

void Spiral102::update(int time) {
    const float t = turn(time, period);
    const float t2 = 2 * t;
    rotation = 4 * t;
    const float cx = static_cast<float>(160 + 30 * std::sin(static_cast<double>(t2)));
    for (int i = 0; i < POINTS; ++i) {
        const double r = i / static_cast<double>(POINTS);
        const Rounded p = roundedSinCos(pointAngle(i) + t2);
        arms[0].pathX[i] = arms[1].pathX[i] = pixelOf(cx + 20 * r * p.sin);
        arms[0].pathY[i] = arms[1].pathY[i] = pixelOf(120 + 20 * r * p.cos);
    }
}

// ---------------------------------------------------------------------------------------------
// Spiral103: four thin arms; arms 0 and 3 swing along a diagonal, arms 1 and 2 circle

void Spiral103::init(Demo* owner) {
    setUp(owner, 4, 9.0f, 1.0f / 18.0f);
    setFlags(0, 0, 0, 0);
    setFlags(1, 0, 1, 0);
    setFlags(2, 1, 1, 0);
    setFlags(3, 1, 0, 0);
    const ColourRule orange = [](std::uint32_t k) { return k << 16 | (k & 0xFE) << 7; };
    const ColourRule violet = [](std::uint32_t k) { return k | (k & 0xFE) << 15; };
    fillColours(arms[0], orange);
    fillColours(arms[1], violet);
    fillColours(arms[2], orange);
    fillColours(arms[3], violet);
}

void Spiral103::update(int time) {
    const float t = turn(time, period);
    const double t1 = t;
    const double t2 = static_cast<float>(2 * t);
    rotation = t;
    const double a = 160 - 20 * std::sin(t2), b = 120 - 20 * std::cos(t2);
    const double d = 160 + 20 * std::sin(t2), e = 120 + 20 * std::cos(t2);
    for (int i = 0; i < POINTS; ++i) {
        const double r = i / static_cast<double>(POINTS);
        const double g = static_cast<float>(pointAngle(i));
        const double g0 = static_cast<float>(g - t2);
        const double g1 = static_cast<float>(g - t1);
        const double g2 = static_cast<float>(g + t1);
        const double g3 = static_cast<float>(t2 + g);
        const double swing0 = 30 * r * std::sin(g0);
        const double swing3 = 30 * r * std::sin(g3);
        arms[0].pathX[i] = pixelOf(a - swing0);
        arms[0].pathY[i] = pixelOf(b - swing0);
        arms[1].pathX[i] = pixelOf(a + 30 * r * std::sin(g1));
        arms[1].pathY[i] = pixelOf(b + 30 * r * std::cos(g1));
        arms[2].pathX[i] = pixelOf(d - 30 * r * std::sin(g2));
        arms[2].pathY[i] = pixelOf(e - 30 * r * std::cos(g2));
        arms[3].pathX[i] = pixelOf(d + swing3);
        arms[3].pathY[i] = pixelOf(e + swing3);
    }
}

// ---------------------------------------------------------------------------------------------
// Spiral104: two tightly wound arms two pixels apart, red and grey

void Spiral104::init(Demo* owner) {
    setUp(owner, 2, 16.0f, 2.0f / 7.0f);
    setFlags(0, 0, 0, 1);
    setFlags(1, 1, 1, 1);
    fillFading(arms[0], [](std::uint32_t a) { return a << 16 | pixels::quarter(a) << 8 | pixels::quarter(a); });
    fillFading(arms[1], [](std::uint32_t a) { return pixels::grey(a); });
}

void Spiral104::update(int time) {
    const float t = turn(time, period);
    rotation = -7 * t;
    for (int i = 0; i < POINTS; ++i) {
        const double r = i / static_cast<double>(POINTS);
        const Rounded q = roundedSinCos(pointAngle(i) + t);
        const std::int32_t y = pixelOf(120 + 40 * r * q.cos);
        arms[0].pathX[i] = pixelOf(161 + 40 * r * q.sin);
        arms[1].pathX[i] = pixelOf(159 + 40 * r * q.sin);
        arms[0].pathY[i] = y;
        arms[1].pathY[i] = y;
    }
}

}  // namespace Zorvek
