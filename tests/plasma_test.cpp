#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "effects/plasma.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// The picture as the plasma's rule defines it at local time `time` of its period, one library
// sine per pixel: the rings' spacing narrows from 10 to 1 turns of π across the frame's width,
// the steps swing with a cosine (across) and a sine (down), and the start turns once.
std::uint32_t expectedPixel(const PlasmaEffect& plasma, int time, int column, int row) {
    const double p = static_cast<double>(time) / plasma.period;
    const float progress = static_cast<float>(p);
    const double ringStep = std::numbers::pi * static_cast<float>(10.0 - 9.0 * p) / 320;
    const float stepX = static_cast<float>(0.3 * std::cos(3.0 * p) + ringStep);
    const float stepY = static_cast<float>(0.3 * std::sin(5.0 * progress) + ringStep);
    float y = static_cast<float>(2 * std::numbers::pi * progress - 120 * static_cast<double>(stepY));
    for (int i = 0; i < row; ++i) y = y + stepY;
    float x = static_cast<float>(2 * std::numbers::pi * progress - 160 * static_cast<double>(stepX));
    for (int i = 0; i < column; ++i) x = x + stepX;
    const float y2 = y * y;
    int index = static_cast<int>(128 * std::sin(static_cast<double>(x) * x + y2) + 128);
    return plasma.palette[index > 255 ? 255 : index];
}

// Runs one pass as the main loop would and checks what it leaves on the stack.
BITMAP* pass(HeadlessDemo& demo, PlasmaEffect& plasma, int time) {
    demo.frameCount = 1;
    plasma.update(time);
    plasma.render();
    EXPECT_EQ(demo.frameCount, 2);
    EXPECT_EQ(demo.frames[1], plasma.frame);
    return demo.frames[1];
}

}  // namespace

TEST(Plasma, InitGivesTheGreyRampAndAFiveSecondPeriod) {
    HeadlessDemo demo;
    PlasmaEffect plasma;
    plasma.init(&demo);
    EXPECT_STREQ(plasma.name(), "Classic Plasma");
    EXPECT_EQ(plasma.period, 5000);
    EXPECT_EQ(plasma.palette[0], 0x000000u);
    EXPECT_EQ(plasma.palette[128], 0x808080u);
    EXPECT_EQ(plasma.palette[255], 0xFFFFFFu);
}

TEST(Plasma, Plasma101PaletteRunsFromRedBackwardsAroundTheHueCircle) {
    HeadlessDemo demo;
    Plasma101 plasma;
    plasma.init(&demo);
    EXPECT_STREQ(plasma.name(), "Classic Plasma");
    EXPECT_EQ(plasma.period, 5000);
    EXPECT_EQ(plasma.palette[0], 0xFF0000u);    // hue 360
    EXPECT_EQ(plasma.palette[60], 0xFF00FFu);   // hue 300, magenta
    EXPECT_EQ(plasma.palette[120], 0x0000FFu);  // hue 240, blue
    EXPECT_EQ(plasma.palette[240], 0x00FF00u);  // hue 120, green
    // Hue 105 is mostly green with a little red, no blue.
    EXPECT_EQ(plasma.palette[255] & 0x00FFFF, 0x00FF00u);
    EXPECT_GT(plasma.palette[255] >> 16, 0x30u);
    EXPECT_LT(plasma.palette[255] >> 16, 0x50u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(plasma.palette[i] >> 24, 0u) << i;
}

TEST(Plasma, ASineOfExactlyOneStaysInsideThePalette) {
    ASSERT_EQ(std::sin(std::numbers::pi / 2), 1.0);
    EXPECT_EQ(plasmaIndex(std::numbers::pi / 2), 255);
    EXPECT_EQ(plasmaIndex(0.0), 128);
    EXPECT_EQ(plasmaIndex(3 * std::numbers::pi / 2), 0);
    EXPECT_EQ(plasmaIndex(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(plasmaIndex(std::numeric_limits<double>::infinity()), 0);
}

// The fast evaluation must give the library sine's index for every argument, above all those
// that lie right at a truncation boundary.
TEST(Plasma, FastIndicesAgreeWithTheLibrarySineEverywhereAndAtEveryBoundary) {
    std::vector<double> arguments;
    // Arguments a hair either side of each index boundary, over the range the plasma reaches.
    for (int boundary = 0; boundary <= 256; ++boundary) {
        const double base = std::asin((boundary - 128) / 128.0);
        for (double turn :
             {0.0, 2 * std::numbers::pi, 200 * std::numbers::pi, 2000 * std::numbers::pi, 20000 * std::numbers::pi}) {
            for (double a : {turn + base, turn + std::numbers::pi - base}) {
                double below = a, above = a;
                for (int step = 0; step < 40; ++step) {
                    arguments.push_back(below);
                    arguments.push_back(above);
                    below = std::nextafter(below, 0.0);
                    above = std::nextafter(above, 1e9);
                }
            }
        }
    }
    // A dense random sweep, and arguments beyond the fast range.
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> spread(0.0, 70000.0);
    for (int i = 0; i < 1000000; ++i) arguments.push_back(spread(random));
    for (double a : {1048575.9, 1048576.0, 3e6, 1e300, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN(), -0.0, -5.0, 1e-300})
        arguments.push_back(a);
    if (arguments.size() % 2 == 0) arguments.push_back(2.0);  // an odd count leaves a tail

    std::vector<std::int32_t> fast(arguments.size());
    plasmaIndices(arguments.data(), static_cast<int>(arguments.size()), fast.data());
    int mismatches = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i)
        if (fast[i] != plasmaIndex(arguments[i]) && ++mismatches < 10)
            ADD_FAILURE() << "argument " << arguments[i] << ": " << fast[i] << " vs " << plasmaIndex(arguments[i]);
    EXPECT_EQ(mismatches, 0);
    // One at a time: the portable path that serves a row's odd tail and machines without SSE2.
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::int32_t one = -1;
        plasmaIndices(&arguments[i], 1, &one);
        if (one != plasmaIndex(arguments[i]) && ++mismatches < 10)
            ADD_FAILURE() << "argument " << arguments[i] << " alone: " << one;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Plasma, EveryPixelOfManyFramesIsTheLibrarySinesOwn) {
    HeadlessDemo demo;
    Plasma101 plasma;
    plasma.init(&demo);
    plasma.start();
    for (int time = 0; time < 5000; time += 173) {
        BITMAP* f = pass(demo, plasma, time);
        int mismatches = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (pixel(f, x, y) != expectedPixel(plasma, time, x, y)) ++mismatches;
        EXPECT_EQ(mismatches, 0) << "at " << time << " ms";
    }
    plasma.stop();
}

TEST(Plasma, RingsCentreWhereBothCoordinatesPassThroughZero) {
    HeadlessDemo demo;
    PlasmaEffect plasma;
    plasma.init(&demo);
    plasma.start();
    // At time 0, X and Y start at minus half the frame's steps, so both pass through 0 at the
    // frame's centre, where the sine is 0: the middle of the grey ramp.
    BITMAP* f = pass(demo, plasma, 0);
    EXPECT_EQ(pixel(f, 160, 120), 0x808080u);
    // Halfway through, the start values carry 2π·½, so the centre moves up and left.
    f = pass(demo, plasma, 2500);
    EXPECT_NE(pixel(f, 160, 120), 0x808080u);
    plasma.stop();
}
