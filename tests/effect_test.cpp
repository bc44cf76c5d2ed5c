#include <gtest/gtest.h>

#include "effects/effect.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

TEST(Effect, AfterInitReportsItsDefaults) {
    HeadlessDemo demo;
    Effect e;
    e.init(&demo);
    EXPECT_STREQ(e.name(), "Effect");
    EXPECT_EQ(e.period, 1000);
    EXPECT_FALSE(e.running);
    EXPECT_EQ(e.demo, &demo);
}

TEST(Effect, TodoWritesItsWordInGreenOnTheFrameBelowWithoutTouchingTheStack) {
    HeadlessDemo demo;
    Bitmap below(0x000000);
    pushFrame(demo, below);
    TodoEffect vote;
    vote.init(&demo);
    vote.text = "VOTE";
    vote.render();
    EXPECT_EQ(demo.frameCount, 2);
    EXPECT_STREQ(vote.name(), "TODO");
    int green = 0, other = 0, minX = 320, maxX = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            std::uint32_t p = pixel(below, x, y);
            if (p == 0x00FF00) {
                ++green;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                EXPECT_GE(y, 120);
                EXPECT_LT(y, 128);
            } else if (p != 0) {
                ++other;
            }
        }
    EXPECT_GT(green, 20);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(minX, 160 - 16);  // four 8-pixel glyphs centred on x = 160
    EXPECT_LE(maxX, 160 + 15);
}

TEST(ProtectedFrameEffect, BorrowsOneScratchFrameWhileRunning) {
    HeadlessDemo demo;
    ProtectedFrameEffect e;
    e.init(&demo);
    e.start();
    EXPECT_TRUE(e.running);
    EXPECT_EQ(e.frame, demo.display.scratch[0]);
    EXPECT_TRUE(demo.display.inUse[0]);
    e.stop();
    EXPECT_FALSE(e.running);
    EXPECT_FALSE(demo.display.inUse[0]);
}
