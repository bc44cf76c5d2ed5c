#include <gtest/gtest.h>

#include <allegro.h>
#include <allegro/internal/aintern.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

#include "effects/warpmaps.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

int columnOf(std::uint32_t entry) { return static_cast<int>(entry >> 16); }
int rowOf(std::uint32_t entry) { return static_cast<int>(entry & 0xFFFF); }
int sign(int v) { return (v > 0) - (v < 0); }

// A picture in which every pixel names its own position.
std::uint32_t positionColour(int x, int y) { return static_cast<std::uint32_t>(x << 12 | y); }
void paintPositions(BITMAP* b) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) setPixel(b, x, y, positionColour(x, y));
}

// The show's two rotating maps.
void turnLeft(RotatingWarpmapEffect& warp) {
    warp.angle = static_cast<float>(-std::numbers::pi / 30);
    warp.scale = 0.98f;
}
void turnRight(RotatingWarpmapEffect& warp) {
    warp.angle = static_cast<float>(std::numbers::pi / 30);
    warp.scale = 0.99f;
}

void expectEveryEntryInside(BITMAP* map) {
    int outside = 0;
    for (int y = 0; y < map->h; ++y)
        for (int x = 0; x < map->w; ++x) {
            const std::uint32_t e = pixel(map, x, y);
            if (columnOf(e) >= map->w || rowOf(e) >= map->h) ++outside;
        }
    EXPECT_EQ(outside, 0);
}

bool sameMaps(BITMAP* a, BITMAP* b) {
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            if (pixel(a, x, y) != pixel(b, x, y)) return false;
    return true;
}

}  // namespace

TEST(WarpmapEffect, HoldsTwoScratchFramesWhileRunningAndRebuildsItsMapOnEachStart) {
    HeadlessDemo demo;
    RotatingWarpmapEffect warp;
    warp.init(&demo);
    EXPECT_STREQ(warp.name(), "Rotating Warpmap");
    turnLeft(warp);
    warp.start();
    EXPECT_TRUE(warp.running);
    EXPECT_TRUE(demo.display.inUse[0]);
    EXPECT_TRUE(demo.display.inUse[1]);
    EXPECT_EQ(warp.frame, demo.display.scratch[0]);
    EXPECT_EQ(warp.map, demo.display.scratch[1]);
    Bitmap first(0);
    blit(warp.map, first, 0, 0, 0, 0, 320, 240);
    warp.stop();
    EXPECT_FALSE(warp.running);
    EXPECT_EQ(warp.map, nullptr);
    EXPECT_FALSE(demo.display.inUse[0]);
    EXPECT_FALSE(demo.display.inUse[1]);

    turnRight(warp);
    warp.start();
    EXPECT_FALSE(sameMaps(first, warp.map));
    warp.stop();
    turnLeft(warp);
    warp.start();
    EXPECT_TRUE(sameMaps(first, warp.map));
    warp.stop();
}

TEST(WarpmapEffect, AMapPreparedBeforeTheShowIsTheOneStartBuildsUnlessItsSettingsChangedSince) {
    HeadlessDemo demo;
    RotatingWarpmapEffect built, prepared;
    SinusWarpmapEffect sinusBuilt, sinusPrepared;
    for (WarpmapEffect* w : {static_cast<WarpmapEffect*>(&built), static_cast<WarpmapEffect*>(&prepared),
                             static_cast<WarpmapEffect*>(&sinusBuilt), static_cast<WarpmapEffect*>(&sinusPrepared)})
        w->init(&demo);
    turnLeft(built);
    turnLeft(prepared);
    prepared.prepare();
    sinusPrepared.prepare();
    EXPECT_FALSE(demo.display.inUse[0]);  // the scratch frame it was built in went back
    const auto expectSameAfterStart = [&](WarpmapEffect& fresh, WarpmapEffect& fromPrepared) {
        fresh.start();
        fromPrepared.start();
        EXPECT_TRUE(sameMaps(fresh.map, fromPrepared.map));
        fromPrepared.stop();
        fresh.stop();
    };
    expectSameAfterStart(sinusBuilt, sinusPrepared);
    expectSameAfterStart(built, prepared);
    turnRight(built);
    turnRight(prepared);
    expectSameAfterStart(built, prepared);
    demo.display.refreshRate = 144;  // a display of another rate: the prepared map no longer serves
    expectSameAfterStart(built, prepared);
}

TEST(WarpmapEffect, RenderGathersThroughTheMapAndLeavesTheSourceAlone) {
    HeadlessDemo demo;
    Bitmap source(0);
    paintPositions(source);
    SinusWarpmapEffect warp;
    warp.init(&demo);
    EXPECT_STREQ(warp.name(), "Sinus Warpmap");
    warp.start();
    pushFrame(demo, source);
    warp.update(500);
    warp.render();
    ASSERT_EQ(demo.frameCount, 2);
    ASSERT_EQ(demo.frames[1], warp.frame);
    int wrong = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const std::uint32_t e = pixel(warp.map, x, y);
            if (pixel(warp.frame, x, y) != positionColour(columnOf(e), rowOf(e))) ++wrong;
            if (pixel(source, x, y) != positionColour(x, y)) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    warp.stop();
}

TEST(WarpmapEffect, AMapThatWasNeverFilledOrASmallerSourceIsReadOnlyInsideTheSource) {
    HeadlessDemo demo;
    WarpmapEffect plain;
    plain.init(&demo);
    EXPECT_STREQ(plain.name(), "Warpmap");
    // Whatever the scratch frame that becomes the map was last used for.
    clear_to_color(demo.display.scratch[1], 0x7FFFFFFF);
    setPixel(demo.display.scratch[1], 3, 4, 5 << 16 | 6);
    plain.start();
    ASSERT_EQ(plain.map, demo.display.scratch[1]);
    Bitmap source(0);
    paintPositions(source);
    pushFrame(demo, source);
    plain.render();
    EXPECT_EQ(pixel(plain.frame, 0, 0), positionColour(319, 239));
    EXPECT_EQ(pixel(plain.frame, 3, 4), positionColour(5, 6));
    demo.frameCount = 1;
    plain.stop();

    // The show's maps point all over a full frame; under them lies a small one.
    RotatingWarpmapEffect warp;
    warp.init(&demo);
    turnLeft(warp);
    warp.start();
    Bitmap small(0, 40, 30);
    paintPositions(small);
    pushFrame(demo, small);
    warp.render();
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const std::uint32_t p = pixel(warp.frame, x, y);
            ASSERT_LT(p >> 12, 40u);
            ASSERT_LT(p & 0xFFF, 30u);
        }
    warp.stop();
}

TEST(WarpmapEffect, WithNoFrameBelowItLeavesTheStackForTheEndOfPassCheck) {
    HeadlessDemo demo;
    SinusWarpmapEffect warp;
    warp.init(&demo);
    warp.start();
    warp.render();  // pops the null floor
    EXPECT_EQ(demo.frameCount, 1);
    EXPECT_EQ(demo.frames[0], warp.frame);
    demo.frames[0] = nullptr;
    warp.stop();
}

TEST(RotatingWarpmapEffect, TheCentrePointsAtItselfAndNoEntryLeavesTheFrame) {
    HeadlessDemo demo;
    for (auto setUp : {turnLeft, turnRight}) {
        RotatingWarpmapEffect warp;
        warp.init(&demo);
        setUp(warp);
        warp.start();
        EXPECT_EQ(pixel(warp.map, 160, 120), 160u << 16 | 120u);
        expectEveryEntryInside(warp.map);
        warp.stop();
    }
}

TEST(RotatingWarpmapEffect, WithoutTurnOrScaleEveryEntryIsItselfOrOneNearerTheCentre) {
    HeadlessDemo demo;
    RotatingWarpmapEffect warp;
    warp.init(&demo);
    warp.angle = 0.0f;
    warp.scale = 1.0f;
    warp.start();
    int itself = 0, nearer = 0, wrong = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const std::uint32_t e = pixel(warp.map, x, y);
            const int dc = x - columnOf(e), dr = y - rowOf(e);
            const bool columnOk = dc == 0 || dc == sign(x - 160);
            const bool rowOk = dr == 0 || dr == sign(y - 120);
            if (!columnOk || !rowOk) ++wrong;
            else if (dc == 0 && dr == 0) ++itself;
            else ++nearer;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(itself, 0);
    EXPECT_GT(nearer, 0);
    warp.stop();
}

TEST(RotatingWarpmapEffect, TheTurnPerMapShrinksWithTheRefreshRateAndNoRateCountsAsSixty) {
    HeadlessDemo demo;
    ASSERT_EQ(demo.display.refreshRate, 0);
    RotatingWarpmapEffect warp;
    warp.init(&demo);
    turnLeft(warp);
    warp.start();
    Bitmap noRate(0);
    blit(warp.map, noRate, 0, 0, 0, 0, 320, 240);
    warp.stop();
    demo.display.refreshRate = 60;
    warp.start();
    EXPECT_TRUE(sameMaps(noRate, warp.map));
    warp.stop();
    Bitmap halfTurn(0);
    demo.display.refreshRate = 120;
    warp.start();
    blit(warp.map, halfTurn, 0, 0, 0, 0, 320, 240);
    warp.stop();
    EXPECT_FALSE(sameMaps(noRate, halfTurn));
    demo.display.refreshRate = 0;
    warp.angle /= 2;
    warp.start();
    EXPECT_TRUE(sameMaps(halfTurn, warp.map));
    warp.stop();
}

TEST(RotatingWarpmapEffect, ThePictureTurnsTheRightWayAndIsMagnified) {
    HeadlessDemo demo;
    RotatingWarpmapEffect warp;
    warp.init(&demo);
    turnLeft(warp);  // -6 degrees, scale 0.98
    warp.start();
    // A pixel on the horizontal axis right of the centre takes its colour from a point turned by
    // -6 degrees (upwards on screen) and 2 percent nearer the centre.
    const std::uint32_t e = pixel(warp.map, 260, 120);
    const double rho = 100.0 / 240 * 0.98f;
    EXPECT_NEAR(columnOf(e), 160 + 240 * rho * std::cos(-std::numbers::pi / 30), 1.0);
    EXPECT_NEAR(rowOf(e), 120 + 240 * rho * std::sin(-std::numbers::pi / 30), 1.0);
    // Left of the centre the turn is the same rotation, so the source lies below.
    const std::uint32_t w = pixel(warp.map, 60, 120);
    EXPECT_NEAR(columnOf(w), 160 - 240 * rho * std::cos(-std::numbers::pi / 30), 1.0);
    EXPECT_NEAR(rowOf(w), 120 - 240 * rho * std::sin(-std::numbers::pi / 30), 1.0);
    warp.stop();
}

TEST(SinusWarpmapEffect, ShiftsByTheWavesAndWrapsAroundTheEdges) {
    HeadlessDemo demo;
    SinusWarpmapEffect warp;
    warp.init(&demo);
    warp.start();
    EXPECT_EQ(pixel(warp.map, 160, 120), 168u << 16 | 128u);
    // Top left: no column shift, the row shifted up by about 4 and wrapped to the bottom.
    const std::uint32_t corner = pixel(warp.map, 0, 0);
    EXPECT_EQ(columnOf(corner), 0);
    EXPECT_GE(rowOf(corner), 236);
    EXPECT_LE(rowOf(corner), 237);
    // The middle rows shift by 8 columns, wrapping at the right edge.
    EXPECT_EQ(columnOf(pixel(warp.map, 315, 120)), 3);
    expectEveryEntryInside(warp.map);
    warp.stop();
}
