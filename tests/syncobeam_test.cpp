#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "effects/line_walk.h"
#include "effects/pixels.h"
#include "effects/sine_levels.h"
#include "effects/syncobeam.h"
#include "support/allocations.h"
#include "support/headless.h"
#include "support/images.h"
#include "process/show_random.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

int sineLevel(double a) { return static_cast<int>(128 * std::sin(a) + 128); }

struct RayCaster {
    HeadlessDemo demo;
    SyncobeamEffect beam;
    float spectrum[512] = {};

    RayCaster() {
        beam.init(&demo);
        beam.originX = 160;
        beam.originY = 60;
        beam.centreX = 160;
        beam.centreY = 120;
        beam.period = 1950;
        beam.start();
    }
    ~RayCaster() { beam.stop(); }

    // One pass over `below` with the given spectrum in place of the player's.
    BITMAP* pass(BITMAP* below, int time = 0) {
        pushFrame(demo, below);
        beam.update(time);
        beam.left = spectrum;
        beam.right = spectrum + 256;
        beam.render();
        EXPECT_EQ(demo.frameCount, 2) << "a filter pops one frame and pushes one";
        demo.frameCount = 1;
        return demo.frames[1];
    }
};

// Walks one ray by hand through the point callback: the start point, then points three rows
// apart so that their 2 x 2 blocks do not overlap and each shows average(out, black).
struct Ray {
    BITMAP* target;
    int col;
    Ray(BITMAP* source, BITMAP* frame, int colour) : target(frame), col(colour) {
        SyncobeamEffect::source = source;
        SyncobeamEffect::rayPoint(target, 160, 60, col);
    }
    std::uint32_t at(int y) {
        SyncobeamEffect::rayPoint(target, 160, y, col);
        return pixel(target, 160, y);
    }
};

std::uint32_t shown(std::uint32_t out) { return pixels::average(out, 0); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Grating

TEST(SineLevels, AgreeWithStdSinEverywhereIncludingNextToTheBoundaries) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> spread(-400, 400);
    double args[sines::MAX_ROW];
    int levels[sines::MAX_ROW];
    for (int rep = 0; rep < 300; ++rep) {
        const int n = 317 + rep % 9;
        for (int i = 0; i < n; ++i) args[i] = spread(rng);
        // Arguments whose level lies right on an integer, and the extremes of the sine.
        for (int k = 0; k <= 256 && rep < 2; ++k) args[k] = std::asin(k / 128.0 - 1) + 2 * k * rep;
        sines::levels(args, levels, n);
        for (int i = 0; i < n; ++i) ASSERT_EQ(levels[i], sineLevel(args[i])) << "argument " << args[i];
    }
    args[0] = 5e6;  // far out: left to std::sin
    args[1] = -std::numbers::pi / 2;
    sines::levels(args, levels, 2);
    EXPECT_EQ(levels[0], sineLevel(5e6));
    EXPECT_EQ(levels[1], 0);
}

TEST(ParallelLines, EveryPixelOfManyFramesIsTheGreyOfItsSine) {
    HeadlessDemo demo;
    ParallelLineInterferenceEffect lines;
    lines.init(&demo);
    EXPECT_EQ(lines.period, 5000);
    EXPECT_STREQ(lines.name(), "Parallel Line Interference");
    lines.start();
    const double pi = std::numbers::pi;
    for (int time = 0; time < 5000; time += 97) {
        lines.update(time);
        EXPECT_EQ(lines.phase, static_cast<float>(time / 5000.0L));
        lines.render();
        ASSERT_EQ(demo.frameCount, 2);
        BITMAP* f = demo.frames[1];
        EXPECT_EQ(f, lines.frame);
        demo.frameCount = 1;
        const double ph = lines.phase;
        const float a = static_cast<float>(10 - 9 * ph);
        const float stepX = static_cast<float>(0.5 * std::cos(15 * ph) + pi * a / 320);
        const float stepY = static_cast<float>(0.5 * std::sin(13 * ph) + pi * a / 320);
        float rowPhase = static_cast<float>(2 * pi * ph - 120 * static_cast<double>(stepY));
        for (int y = 0; y < 240; ++y) {
            float colPhase = static_cast<float>(pi * ph - 160 * static_cast<double>(stepX));
            for (int x = 0; x < 320; ++x) {
                const int v = std::min(sineLevel(static_cast<double>(rowPhase) + colPhase), 255);
                ASSERT_EQ(pixel(f, x, y), static_cast<std::uint32_t>(v) * 0x010101)
                    << "time " << time << " at " << x << "," << y;
                colPhase += stepX;
            }
            rowPhase += stepY;
        }
    }
    lines.stop();
}

// ---------------------------------------------------------------------------------------------
// Ray caster

TEST(RayCaster, LevelsAreCappedAt256AndSilenceIsZero) {
    EXPECT_EQ(SyncobeamEffect::level(0.0f), 0);
    EXPECT_EQ(SyncobeamEffect::level(0.0624f), 255);
    EXPECT_EQ(SyncobeamEffect::level(0.0625f), 256);
    EXPECT_EQ(SyncobeamEffect::level(0.07f), 256);
    EXPECT_EQ(SyncobeamEffect::level(1e30f), 256);
    EXPECT_EQ(SyncobeamEffect::level(-0.5f), 0);
    EXPECT_EQ(SyncobeamEffect::level(std::nanf("")), 0);
}

TEST(RayCaster, TheQuieterChannelIsScaledUpToTheLouderPeak) {
    RayCaster rc;
    float* left = rc.spectrum;
    float* right = rc.spectrum + 256;
    rc.beam.left = left;
    rc.beam.right = right;
    left[3] = 0.5f;
    right[7] = 0.25f;
    right[9] = 0.125f;
    right[200] = 0.125f;  // beyond the bands in use: left alone, and not counted in the peak
    left[159] = 0.1f;
    rc.beam.levelSpectrum();
    EXPECT_EQ(right[7], 0.5f);
    EXPECT_EQ(right[9], 0.25f);
    EXPECT_EQ(right[200], 0.125f);
    EXPECT_EQ(left[3], 0.5f);
    EXPECT_EQ(left[159], 0.1f);

    // Equal peaks: nothing moves. A silent channel is never scaled.
    float equal[512] = {};
    equal[0] = 0.3f;
    equal[256 + 5] = 0.3f;
    equal[1] = 0.1f;
    rc.beam.left = equal;
    rc.beam.right = equal + 256;
    rc.beam.levelSpectrum();
    EXPECT_EQ(equal[1], 0.1f);
    float oneSided[512] = {};
    oneSided[256 + 2] = 0.2f;
    rc.beam.left = oneSided;
    rc.beam.right = oneSided + 256;
    rc.beam.levelSpectrum();
    EXPECT_EQ(oneSided[0], 0.0f);
    EXPECT_EQ(oneSided[256 + 2], 0.2f);
}

TEST(RayCaster, InSilenceEveryRayIsBlackAndThePictureShowsOnlyAlongTheRays) {
    RayCaster rc;
    Bitmap below(0xFF00FF);
    rectfill(below, 100, 150, 220, 200, 0x204060);
    BITMAP* out = rc.pass(below);
    int shown = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const std::uint32_t p = pixel(out, x, y);
            if (p == 0) continue;
            ++shown;
            // Only picture pixels, half-blended: within the rectangle or one pixel above/left.
            ASSERT_TRUE(x >= 99 && x <= 220 && y >= 149 && y <= 200) << x << "," << y;
            ASSERT_EQ(p & ~0x7F7F7Fu, 0u);
        }
    EXPECT_GT(shown, 500);
}

TEST(RayCaster, ARayShowsItsColourOverTheKeyThenThePictureThenAQuarterOfItsColour) {
    HeadlessDemo demo;
    Bitmap source(0xFF00FF), frame(0);
    setPixel(source, 160, 90, 0x405060);  // dark picture pixel: shown as it is
    setPixel(source, 160, 93, 0x102030);
    const int col = 0x7A3D10;
    Ray ray(source, frame, col);
    EXPECT_EQ(ray.at(66), shown(col & pixels::HALF_MASK));
    EXPECT_EQ(ray.at(90), shown(0x405060 & pixels::HALF_MASK));
    EXPECT_EQ(SyncobeamEffect::rayMode, 2);
    EXPECT_EQ(ray.at(93), shown(0x102030 & pixels::HALF_MASK)) << "past the picture, pixels show as they are";
    EXPECT_EQ(ray.at(96), shown(pixels::quarter(col) & pixels::HALF_MASK));
    // A bright first pixel shows white; a new ray starts afresh at the origin.
    setPixel(source, 160, 120, 0x00A000);
    Ray next(source, frame, col);
    EXPECT_EQ(SyncobeamEffect::rayMode, 0);
    EXPECT_EQ(next.at(120), shown(0xFEFEFE));
}

TEST(RayCaster, ASparkleMakesTheRayFlareUntilItMeetsThePicture) {
    HeadlessDemo demo;
    Bitmap source(0xFF00FF), frame(0);
    setPixel(source, 160, 70, 0xFFFF00);
    setPixel(source, 160, 76, 0xFFFF00);
    setPixel(source, 160, 82, 0x202020);
    const int col = pixels::pack(122, 61, 0);
    const std::uint32_t flare = pixels::pack(255, 244, 0);  // four times, capped per channel
    Ray ray(source, frame, col);
    EXPECT_EQ(ray.at(70), shown(pixels::pack(254, 254, 0)));  // eight times on the sparkle
    EXPECT_EQ(ray.at(73), shown(flare & pixels::HALF_MASK));
    EXPECT_EQ(ray.at(76), shown(flare & pixels::HALF_MASK)) << "later sparkles keep the flare";
    EXPECT_EQ(ray.at(82), shown(0x202020));
    EXPECT_EQ(ray.at(85), shown(pixels::half(col) & pixels::HALF_MASK));
}

TEST(RayCaster, AFullLevelSpillsAboveTheColourBitsAndLeavesNoRed) {
    HeadlessDemo demo;
    Bitmap source(0xFF00FF), frame(0);
    const int col = makecol(256, 128, 0);
    EXPECT_EQ(col, 0x1008000);
    Ray ray(source, frame, col);
    EXPECT_EQ(ray.at(100), shown(pixels::pack(0, 128, 0)));
}

TEST(RayCaster, PointsOnTheFirstRowOrColumnOrOutsideTheFrameDrawNothing) {
    HeadlessDemo demo;
    Bitmap source(0xFF00FF), frame(0), untouched(0);
    SyncobeamEffect::source = source;
    const int points[][2] = {{0, 50}, {50, 0}, {320, 50}, {50, 240}, {-3, -3}, {400, 400}};
    for (const auto& p : points) SyncobeamEffect::rayPoint(frame, p[0], p[1], 0xFFFFFF);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(frame, x, y), 0u);
    SyncobeamEffect::rayPoint(frame, 1, 1, 0xFFFFFF);  // its block reaches row 0 and column 0
    EXPECT_EQ(pixel(frame, 0, 0), 0x7F7F7Fu);
}

TEST(RayCaster, SparklesTurnMagentaPixelsOfThePoppedPictureYellow) {
    RayCaster rc;
    Bitmap source(0xFF00FF);
    Zorvek::seedShowRand(1234);
    int expected[16][2];
    for (auto& p : expected) {
        p[0] = Zorvek::showRand() % 320;
        p[1] = Zorvek::showRand() % 240;
    }
    Zorvek::seedShowRand(1234);
    rc.pass(source);
    int yellow = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (pixel(source, x, y) == 0xFFFF00) ++yellow;
    for (const auto& p : expected) EXPECT_EQ(pixel(source, p[0], p[1]), 0xFFFF00u);
    EXPECT_LE(yellow, 16);
    EXPECT_GE(yellow, 1);
}

TEST(RayCaster, RaysNearTheEdgesAndPicturesSmallerThanTheFrameStayInside) {
    RayCaster rc;
    for (float& s : rc.spectrum) s = 0.02f;
    Bitmap small(0xFF00FF, 100, 70);  // a picture smaller than the frame below the caster
    const int origins[][2] = {{0, 0}, {319, 239}, {-50, 300}, {160, 60}};
    for (const auto& o : origins) {
        rc.beam.originX = o[0];
        rc.beam.originY = o[1];
        rc.beam.centreX = 319 - o[0];
        BITMAP* out = rc.pass(small, 500);
        EXPECT_EQ(out, rc.beam.frame);
    }
    EXPECT_STREQ(rc.beam.name(), "Psychodelic Ray Caster");
}

TEST(RayCaster, APassOfTheCasterOrTheGratingAllocatesNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in this build";
    RayCaster rc;
    ParallelLineInterferenceEffect lines;
    lines.init(&rc.demo);
    lines.start();
    Bitmap below(0xFF00FF);
    EXPECT_EQ(allocationsDuring([&] {
                  for (int time = 0; time < 1950; time += 150) {
                      rc.pass(below, time);
                      lines.update(time);
                      lines.render();
                      rc.demo.frameCount = 1;
                  }
              }),
              0);
    lines.stop();
}

TEST(RayCaster, ItsLineWalkVisitsTheLibrarysLinePointsInOrder) {
    HeadlessDemo demo;
    Bitmap any(0);
    static std::vector<std::pair<int, int>> library;
    std::vector<std::pair<int, int>> walked;
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coordinate(-400, 700);
    for (int n = 0; n < 20000; ++n) {
        int x1 = coordinate(rng), y1 = coordinate(rng), x2 = coordinate(rng), y2 = coordinate(rng);
        if (n % 4 == 1) y2 = y1 + (x2 - x1) * (n % 8 == 1 ? 1 : -1);  // exact diagonals
        if (n % 4 == 2) x2 = x1 + n % 3;                              // steep and degenerate
        if (n % 4 == 3) y2 = y1 + (n / 4) % 5 - 2;                    // nearly flat
        library.clear();
        walked.clear();
        do_line(any, x1, y1, x2, y2, 0, [](BITMAP*, int x, int y, int) { library.emplace_back(x, y); });
        walkLine(x1, y1, x2, y2, [&](int x, int y) { walked.emplace_back(x, y); });
        ASSERT_EQ(walked, library) << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
}

TEST(RayCaster, APassDrawsWhatTheLibrarysLineWalkerDrawsThroughThePointCallback) {
    RayCaster rc;
    for (int j = 0; j < 512; ++j) rc.spectrum[j] = 0.0004f * static_cast<float>((j * 37) % 97);
    Bitmap below(0xFF00FF), copy(0xFF00FF), expected(0);
    rectfill(below, 90, 140, 230, 200, 0x406020);
    rectfill(below, 150, 90, 170, 100, 0xF0E0D0);
    blit(below, copy, 0, 0, 0, 0, 320, 240);
    for (int time : {0, 333, 1200}) {
        Zorvek::seedShowRand(99);
        BITMAP* out = rc.pass(below, time);
        // The same pass, written out with do_line and the point callback on the same picture.
        Zorvek::seedShowRand(99);
        for (int n = 0; n < 16; ++n) {
            const int x = Zorvek::showRand() % 320, y = Zorvek::showRand() % 240;
            if (pixel(copy, x, y) == 0xFF00FF) setPixel(copy, x, y, 0xFFFF00);
        }
        clear_to_color(expected, 0);
        SyncobeamEffect::source = copy;
        const float base = static_cast<float>(-2 * static_cast<double>(rc.beam.phase) * std::numbers::pi);
        for (int i = 0; i < 160; ++i) {
            const int l = SyncobeamEffect::level(rc.beam.left[i]), r = SyncobeamEffect::level(rc.beam.right[i]);
            const int half = (r - l) / 2;
            const float angle = static_cast<float>(i / 160.0 * 3.455751918948773 + base);
            const int ox = static_cast<int>(std::sin(static_cast<double>(angle)) * 256);
            const int oy = static_cast<int>(std::cos(static_cast<double>(angle)) * 256);
            do_line(expected, 160, 60, 160 + ox, 120 + oy, makecol(l, std::abs(half), half >= 0 ? l : 0),
                    SyncobeamEffect::rayPoint);
            do_line(expected, 160, 60, 160 - ox, 120 - oy, makecol(half <= 0 ? r : 0, std::abs(half), r),
                    SyncobeamEffect::rayPoint);
        }
        SyncobeamEffect::source = nullptr;
        EXPECT_TRUE(sameImage(out, expected)) << "time " << time;
        EXPECT_TRUE(sameImage(below, copy)) << "the sparkles land on the popped picture itself";
    }
}
