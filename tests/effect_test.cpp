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

namespace {
// Uses the frame stack the way generators and filters do.
class StackUser : public Effect {
public:
    using Effect::pop;
    using Effect::push;
    using Effect::top;
};
}  // namespace

TEST(FrameStack, SixteenFramesFitAboveTheNullFloor) {
    HeadlessDemo demo;
    StackUser user;
    user.init(&demo);
    Bitmap frames[2] = {Bitmap(1), Bitmap(2)};
    for (int i = 0; i < 16; ++i) user.push(frames[i % 2]);
    EXPECT_EQ(demo.frameCount, Demo::FRAME_SLOTS);
    EXPECT_EQ(user.top(), frames[1].get());
    EXPECT_EQ(user.pop(), frames[1].get());
    EXPECT_EQ(user.pop(), frames[0].get());
    EXPECT_EQ(demo.frameCount, 15);
}

TEST(FrameStack, APushOntoAFullStackEndsTheProgramInsteadOfWritingPastIt) {
    HeadlessDemo demo;
    StackUser user;
    user.init(&demo);
    Bitmap frame(0);
    for (int i = 0; i < 16; ++i) user.push(frame);
    EXPECT_EXIT(user.push(frame), ::testing::ExitedWithCode(STATUS_MISUSE), "^Framestack overflow\\.\n$");
}

TEST(FrameStack, PoppingTheFloorIsLeftToTheEndOfPassCheckButPoppingBelowItEndsTheProgram) {
    HeadlessDemo demo;
    StackUser user;
    user.init(&demo);
    EXPECT_EQ(user.pop(), nullptr);  // the floor
    EXPECT_EQ(demo.frameCount, 0);
    EXPECT_EXIT(user.pop(), ::testing::ExitedWithCode(STATUS_MISUSE), "^Framestack underflow\\.\n$");
}

TEST(ProtectedFrameEffect, EachRunningEffectHoldsItsOwnFrameAndAFifteenthCannotStart) {
    HeadlessDemo demo;
    ProtectedFrameEffect effects[Display::NUM_SCRATCH + 1];
    for (ProtectedFrameEffect& e : effects) e.init(&demo);
    for (int i = 0; i < Display::NUM_SCRATCH; ++i) effects[i].start();
    for (int i = 1; i < Display::NUM_SCRATCH; ++i) EXPECT_NE(effects[i].frame, effects[i - 1].frame);
    EXPECT_EXIT(effects[Display::NUM_SCRATCH].start(), ::testing::ExitedWithCode(STATUS_MISUSE),
                "^Out of scratch frames");
    effects[4].stop();
    effects[Display::NUM_SCRATCH].start();
    EXPECT_EQ(effects[Display::NUM_SCRATCH].frame, demo.display.scratch[4]);
}
