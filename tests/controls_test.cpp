#include "runtime/controls.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include "runtime/demo.h"

using namespace Zorvek;

namespace {

int press(int scancode) { return keyboardHandler(scancode << 8); }

struct Controls : ::testing::Test {
    Controls() { resetControls(); }
    ~Controls() override {
        resetControls();
        mouse_b = 0;
        key[KEY_LEFT] = 0;
        key[KEY_RIGHT] = 0;
    }
};

using KeyboardHandler = Controls;
using TimerHandler = Controls;

}  // namespace

TEST_F(KeyboardHandler, SwallowsEveryKey) {
    Demo::setKeyJump(KEY_F1, 1000);
    for (int scancode : {KEY_A, KEY_F1, KEY_E, KEY_LEFT, KEY_F11}) EXPECT_EQ(press(scancode), 0);
    EXPECT_EQ(keyboardHandler(KEY_A << 8 | 'a'), 0);
}

TEST_F(KeyboardHandler, DebugOverlaysToggleAndTwoPressesRestoreThem) {
    press(KEY_E);
    press(KEY_F);
    press(KEY_T);
    EXPECT_TRUE(showEvents);
    EXPECT_TRUE(showFps);
    EXPECT_TRUE(showClock);
    press(KEY_E);
    press(KEY_F);
    press(KEY_T);
    EXPECT_FALSE(showEvents);
    EXPECT_FALSE(showFps);
    EXPECT_FALSE(showClock);
}

TEST_F(KeyboardHandler, ArrowKeysAddUpSeeksAndShowTheClock) {
    press(KEY_LEFT);
    EXPECT_EQ(seekDelta.load(), -1100);
    EXPECT_TRUE(seeking);
    press(KEY_RIGHT);
    press(KEY_RIGHT);
    EXPECT_EQ(seekDelta.load(), 700);
}

TEST_F(KeyboardHandler, AKeyWithAJumpEntryRequestsTheJump) {
    Demo::setKeyJump(KEY_F3, 15000);
    press(KEY_F3);
    EXPECT_EQ(jumpTo.load(), 15000);
    Demo::setKeyJump(KEY_F4, 0);
    press(KEY_F4);
    EXPECT_EQ(jumpTo.load(), 0);
}

TEST_F(KeyboardHandler, AKeyWithoutAJumpOnlyStopsARewind) {
    rewinding = true;
    press(KEY_A);
    EXPECT_FALSE(rewinding);
    EXPECT_EQ(jumpTo.load(), -1);
    EXPECT_EQ(seekDelta.load(), 0);
    EXPECT_FALSE(quitRequested);
    EXPECT_FALSE(modeSwitchRequested);
}

TEST_F(KeyboardHandler, ScancodeZeroJumpsToTheStart) {
    jumpTo = -1;
    keyboardHandler('x');  // a key reported without a scancode
    EXPECT_EQ(jumpTo.load(), 0);
}

TEST_F(KeyboardHandler, EscQuitsAndEveryLaterKeyIsIgnored) {
    Demo::setKeyJump(KEY_F2, 5000);
    press(KEY_ESC);
    EXPECT_TRUE(quitRequested);
    rewinding = true;
    press(KEY_F2);
    press(KEY_E);
    press(KEY_LEFT);
    press(KEY_F11);
    EXPECT_EQ(jumpTo.load(), -1);
    EXPECT_FALSE(showEvents);
    EXPECT_EQ(seekDelta.load(), 0);
    EXPECT_FALSE(modeSwitchRequested);
    EXPECT_TRUE(rewinding);
    EXPECT_TRUE(quitRequested);
}

TEST_F(KeyboardHandler, F11RequestsOneSwitchAndKeysAreIgnoredUntilItIsServed) {
    press(KEY_F11);
    EXPECT_TRUE(modeSwitchRequested);
    press(KEY_ESC);
    press(KEY_T);
    EXPECT_FALSE(quitRequested);
    EXPECT_FALSE(showClock);
    modeSwitchRequested = false;  // served by the main loop
    press(KEY_T);
    EXPECT_TRUE(showClock);
}

TEST_F(KeyboardHandler, HandledKeysStopARewind) {
    for (int scancode : {KEY_E, KEY_LEFT, KEY_RIGHT, KEY_T}) {
        rewinding = true;
        press(scancode);
        EXPECT_FALSE(rewinding) << "scancode " << scancode;
    }
}

TEST_F(TimerHandler, TheLeftMouseButtonSeeksBackAndCancelsARewind) {
    rewinding = true;
    mouse_b = 1;
    timerHandler();
    timerHandler();
    EXPECT_EQ(seekDelta.load(), -2200);
    EXPECT_FALSE(rewinding);
    EXPECT_TRUE(seeking);
}

TEST_F(TimerHandler, TheRightMouseButtonSeeksForwardAndTheLeftOneWinsWhenBothAreHeld) {
    mouse_b = 2;
    timerHandler();
    EXPECT_EQ(seekDelta.load(), 900);
    EXPECT_TRUE(seeking);
    mouse_b = 3;
    timerHandler();
    EXPECT_EQ(seekDelta.load(), -200);
}

TEST_F(TimerHandler, ARewindPullsTheMusicBackEveryTick) {
    rewinding = true;
    timerHandler();
    timerHandler();
    EXPECT_EQ(seekDelta.load(), -2800);
    EXPECT_TRUE(seeking);
    EXPECT_TRUE(rewinding);
}

TEST_F(TimerHandler, TheClockStaysWhileAnArrowIsHeldAndGoesAtTheFirstTickAfter) {
    press(KEY_RIGHT);
    key[KEY_RIGHT] = 1;
    timerHandler();
    EXPECT_TRUE(seeking);
    key[KEY_RIGHT] = 0;
    timerHandler();
    EXPECT_FALSE(seeking);
    key[KEY_LEFT] = 1;
    timerHandler();
    EXPECT_TRUE(seeking);
    EXPECT_EQ(seekDelta.load(), 900);  // holding alone adds nothing; the key repeats do
}

TEST(CloseHandler, TheCloseButtonQuits) {
    resetControls();
    closeHandler();
    EXPECT_TRUE(quitRequested);
    resetControls();
}

TEST(SharedValues, ReadAndAssignLikeThePlainValuesTheyHold) {
    resetControls();
    Demo::setKeyJump(KEY_F2, 93800);
    jumpTo = keyJump[KEY_F2];  // a copy of the value, not of the slot
    keyJump[KEY_F2] = 5;
    EXPECT_EQ(jumpTo, 93800);
    struct Start {
        const char* name;
        int ms;
    } start{"F2", jumpTo};
    EXPECT_EQ(start.ms, 93800);
    showEvents = !showEvents;
    EXPECT_TRUE(showEvents);
    seekDelta += 900;
    seekDelta -= 1100;
    EXPECT_EQ(seekDelta.exchange(0), -200);
    EXPECT_EQ(seekDelta, 0);
    resetControls();
}
