#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <memory>
#include <numbers>

#include "effects/circle_spans.h"
#include "effects/spirals.h"
#include "support/allocations.h"
#include "support/headless.h"
#include "support/images.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// The bobs of one pass written out plainly, drawn with circlefill itself.
void referenceBobs(const SpirobobEffect& s, BITMAP* target) {
    for (int i = 699; i >= 1; --i) {
        const float dist = static_cast<float>(i * i / 2100);
        const float angle = static_cast<float>(i * (2.0 * s.spin * std::numbers::pi) / 700 + s.rotation);
        const int sinTerm = static_cast<int>(std::sin(double{angle}) * dist);
        const int cosTerm = static_cast<int>(std::cos(double{angle}) * dist);
        const int radius = static_cast<int>(double{dist} * s.bobScale);
        for (int j = 0; j < s.armCount; ++j) {
            const SpiralArm& arm = s.arms[j];
            const int a = arm.flipSin ? -sinTerm : sinTerm;
            const int b = arm.flipCos ? -cosTerm : cosTerm;
            circlefill(target, arm.pathX[i] + (arm.swapAxes ? b : a), arm.pathY[i] + (arm.swapAxes ? a : b), radius,
                       static_cast<int>(arm.colours[255 * (700 - i) / 700]));
        }
    }
}

// The four variants, set up; large (16 arms of 700 points), so tests keep them on the heap.
struct Variants {
    HeadlessDemo demo;
    Spiral101 s101;
    Spiral102 s102;
    Spiral103 s103;
    Spiral104 s104;
    Variants() {
        s101.init(&demo);
        s102.init(&demo);
        s103.init(&demo);
        s104.init(&demo);
    }
};

template <class S>
void expectMatchesReference(int time) {
    HeadlessDemo demo;
    static S spiral;
    spiral.init(&demo);
    Bitmap drawn(0x123456), expected(0x123456);
    pushFrame(demo, drawn);
    spiral.update(time);
    spiral.render();
    EXPECT_EQ(demo.frameCount, 2) << "an overlay leaves the stack as it is";
    referenceBobs(spiral, expected);
    EXPECT_TRUE(sameImage(drawn, expected)) << "time " << time;
}

}  // namespace

TEST(FilledCircles, WriteExactlyTheLibrarysPixelsAtEveryRadiusAndWhereverTheyAreClipped) {
    HeadlessDemo demo;
    circles::prepare();
    Bitmap fast(0), slow(0);
    const int centres[][2] = {{160, 120}, {0, 0},    {319, 239},   {-20, 100}, {340, 50},
                              {150, -60}, {10, 250}, {-200, -200}, {3, 236}};
    for (int radius = 0; radius <= circles::MAX_SPAN_RADIUS + 3; ++radius) {
        for (const auto& c : centres) {
            clear_to_color(fast, 0);
            clear_to_color(slow, 0);
            circles::fill(fast, c[0], c[1], radius, 0xABCDEF);
            circlefill(slow, c[0], c[1], radius, 0xABCDEF);
            ASSERT_TRUE(sameImage(fast, slow)) << "radius " << radius << " at " << c[0] << "," << c[1];
        }
    }
    // A clipping rectangle smaller than the bitmap is honoured too.
    set_clip_rect(fast, 40, 30, 200, 150);
    set_clip_rect(slow, 40, 30, 200, 150);
    for (int radius : {0, 5, 33, 77, 120}) {
        clear_to_color(fast, 0);
        clear_to_color(slow, 0);
        circles::fill(fast, 45, 140, radius, 0x00FF00);
        circlefill(slow, 45, 140, radius, 0x00FF00);
        EXPECT_TRUE(sameImage(fast, slow)) << "clipped radius " << radius;
    }
}

TEST(Spirobobs, EveryVariantDrawsItsBobsPixelForPixelAsCirclefillWould) {
    for (int time : {0, 487, 975, 1949}) {
        expectMatchesReference<Spiral101>(time);
        expectMatchesReference<Spiral102>(time);
        expectMatchesReference<Spiral103>(time);
        expectMatchesReference<Spiral104>(time);
    }
}

TEST(Spirobobs, WithNoArmsTheFrameBelowIsUntouched) {
    HeadlessDemo demo;
    static Spiral103 spiral;
    spiral.init(&demo);
    spiral.update(300);
    spiral.armCount = 0;
    Bitmap below(0x445566), copy(0x445566);
    pushFrame(demo, below);
    spiral.render();
    EXPECT_TRUE(sameImage(below, copy));
    EXPECT_EQ(demo.frameCount, 2);
    EXPECT_STREQ(spiral.name(), "Spirobobs");
}

TEST(Spirobobs, InnerRingsSitOnTheCentreLineAndTheLastArmOfARingWins) {
    HeadlessDemo demo;
    static Spiral101 spiral;
    spiral.init(&demo);
    spiral.update(0);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 700; ++i) {
            spiral.arms[j].pathX[i] = 100;
            spiral.arms[j].pathY[i] = 80;
        }
    Bitmap below(0);
    pushFrame(demo, below);
    spiral.render();
    // Rings 1..45 have distance 0 and radius 0: single pixels on the line, drawn last.
    EXPECT_EQ(pixel(below, 100, 80), spiral.arms[1].colours[254]);
    // Nothing at distance 0 strays off the line: the neighbours carry the next ring out (i = 46,
    // distance 1, radius 0) or larger ones, never ring 254.
    EXPECT_NE(pixel(below, 101, 80), spiral.arms[1].colours[254]);
}

TEST(Spirobobs, CirclesOutsideTheFrameAreClippedAndArmsBeyondTheCapacityAreIgnored) {
    HeadlessDemo demo;
    static Spiral104 spiral;
    spiral.init(&demo);
    spiral.update(100);
    for (int i = 0; i < 700; ++i) {
        spiral.arms[0].pathX[i] = -5000;
        spiral.arms[0].pathY[i] = 3000;
    }
    spiral.armCount = 1;
    Bitmap below(0x010203), copy(0x010203);
    pushFrame(demo, below);
    spiral.render();
    EXPECT_TRUE(sameImage(below, copy));
    spiral.armCount = 1000;  // more than the 16 arms it holds
    spiral.render();
    EXPECT_EQ(demo.frameCount, 2);
}

TEST(Spirobobs, VariantsAreSetUpWithTheirArmsSpinAndBobSize) {
    const auto v = std::make_unique<Variants>();
    const SpirobobEffect* all[] = {&v->s101, &v->s102, &v->s103, &v->s104};
    const int arms[] = {2, 2, 4, 2};
    const float spins[] = {10, 8, 9, 16};
    const std::uint32_t scales[] = {0x3DCCCCCD, 0x3EAAAAAB, 0x3D638E39, 0x3E924925};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(all[i]->period, 1950);
        EXPECT_EQ(all[i]->armCount, arms[i]);
        EXPECT_EQ(all[i]->spin, spins[i]);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(all[i]->bobScale), scales[i]);
    }
    const SpiralArm& a = v->s103.arms[2];
    EXPECT_EQ(a.flipSin * 4 + a.flipCos * 2 + a.swapAxes, 6);
    EXPECT_EQ(v->s102.arms[1].flipSin + v->s102.arms[1].flipCos + v->s102.arms[1].swapAxes, 3);
}

TEST(Spirobobs, ColourTablesFadeByRingAndEntryZeroSpillsIntoTheChannelAbove) {
    const auto v = std::make_unique<Variants>();
    const Spiral101& s101 = v->s101;
    const Spiral102& s102 = v->s102;
    const Spiral104& s104 = v->s104;
    EXPECT_EQ(s101.arms[0].colours[255], 0x7F00FFu);  // blue k, red k / 2
    EXPECT_EQ(s101.arms[1].colours[101], 0x653200u);  // red k, green k / 2
    EXPECT_EQ(s102.arms[0].colours[0], 0x000100u);    // a = 256: the bit lands in green
    EXPECT_EQ(s102.arms[1].colours[0], 0x1000000u);
    EXPECT_EQ(s102.arms[0].colours[56], 0x6400C8u);   // a = 200
    EXPECT_EQ(s104.arms[0].colours[128], 0x802020u);  // red a, green and blue a / 4
    EXPECT_EQ(s104.arms[0].colours[0], 0x1000000u);
    EXPECT_EQ(s104.arms[1].colours[0], 0x1010100u);
    EXPECT_EQ(s104.arms[1].colours[255], 0x010101u);
}

TEST(Spirobobs, CentreLinesKeepTheFloatRoundingsOfTheirAngles) {
    const auto v = std::make_unique<Variants>();
    Spiral101& s101 = v->s101;
    Spiral103& s103 = v->s103;
    Spiral104& s104 = v->s104;
    s101.update(0);
    s104.update(0);
    // Point 350 lies half a turn along: the angle rounded to a float is a little above pi, whose
    // sine is slightly negative, so 175 and 161 come out one pixel lower.
    EXPECT_EQ(s101.arms[0].pathX[350], 174);
    EXPECT_EQ(s101.arms[1].pathX[350], 144);
    EXPECT_EQ(s104.arms[0].pathX[350], 160);
    EXPECT_EQ(s104.arms[1].pathX[350], 158);
    EXPECT_EQ(s101.arms[0].pathX[0], 160);
    EXPECT_EQ(s101.arms[0].pathY[0], 120);
    s101.update(975);  // half the period: the angle is pi rounded to a float
    EXPECT_EQ(s101.rotation, -3 * static_cast<float>(std::numbers::pi));
    // Spiral103's arms 0 and 3 swing along a diagonal around their own centres.
    s103.update(400);
    for (int i = 0; i < 700; i += 50) {
        EXPECT_LE(
            std::abs((s103.arms[0].pathX[i] - s103.arms[0].pathY[i]) - (s103.arms[0].pathX[0] - s103.arms[0].pathY[0])),
            1);
    }
}

TEST(Spirobobs, APassOfAnyVariantAllocatesNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in this build";
    const auto v = std::make_unique<Variants>();
    Bitmap below(0);
    SpirobobEffect* all[] = {&v->s101, &v->s102, &v->s103, &v->s104};
    EXPECT_EQ(allocationsDuring([&] {
                  for (SpirobobEffect* spiral : all) {
                      pushFrame(v->demo, below);
                      spiral->update(700);
                      spiral->render();
                      v->demo.frameCount = 1;
                  }
              }),
              0);
}
