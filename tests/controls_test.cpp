#include "runtime/controls.h"

#include <SDL2/SDL.h>
#include <allegro.h>
#include <gtest/gtest.h>

#include "demo/demo.h"
#include "platform/desktop/window_events.h"
#include "runtime/input.h"

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

namespace {

constexpr Nanos MS = 1'000'000;

SDL_Event keyEvent(Uint32 type, SDL_Scancode code, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = code;
    e.key.repeat = repeat ? 1 : 0;
    return e;
}
SDL_Event buttonEvent(Uint32 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    return e;
}

// The window's events at chosen times, as the main loop hands them over.
struct WindowInput : Controls {
    Nanos now = 1'000 * MS;
    Input input{now};
    WindowEvents events{input};
    void down(SDL_Scancode code) { events.handle(keyEvent(SDL_KEYDOWN, code), now); }
    void up(SDL_Scancode code) { events.handle(keyEvent(SDL_KEYUP, code), now); }
    void tap(SDL_Scancode code) {
        down(code);
        up(code);
    }
    void wait(Nanos ms) {
        now += ms * MS;
        input.advance(now);
    }
    ~WindowInput() override { input.releaseAll(); }
};

}  // namespace

TEST_F(WindowInput, EveryKeyOfTheShowDoesWhatItsHandlerSays) {
    for (int f = 0; f < 12; ++f) Demo::setKeyJump(KEY_F1 + f, 1000 * (f + 1));
    Demo::setKeyJump(KEY_HOME, 0);
    Demo::setKeyJump(KEY_END, 286998);
    const SDL_Scancode chapters[] = {SDL_SCANCODE_F1, SDL_SCANCODE_F2,  SDL_SCANCODE_F3, SDL_SCANCODE_F4,
                                     SDL_SCANCODE_F5, SDL_SCANCODE_F6,  SDL_SCANCODE_F7, SDL_SCANCODE_F8,
                                     SDL_SCANCODE_F9, SDL_SCANCODE_F10, SDL_SCANCODE_F12};
    for (SDL_Scancode code : chapters) {
        tap(code);
        const int f = code == SDL_SCANCODE_F12 ? 11 : code - SDL_SCANCODE_F1;
        EXPECT_EQ(jumpTo.exchange(-1), 1000 * (f + 1)) << "F" << f + 1;
    }
    tap(SDL_SCANCODE_HOME);
    EXPECT_EQ(jumpTo.exchange(-1), 0);
    tap(SDL_SCANCODE_END);
    EXPECT_EQ(jumpTo.exchange(-1), 286998);
    tap(SDL_SCANCODE_E);
    tap(SDL_SCANCODE_F);
    tap(SDL_SCANCODE_T);
    EXPECT_TRUE(showEvents && showFps && showClock);
    tap(SDL_SCANCODE_LEFT);
    tap(SDL_SCANCODE_RIGHT);
    EXPECT_EQ(seekDelta.load(), -200);
    for (SDL_Scancode held : {SDL_SCANCODE_DOWN, SDL_SCANCODE_UP, SDL_SCANCODE_C}) {
        const int scancode = libraryScancode(held);
        down(held);
        EXPECT_EQ(key[scancode], 1);
        up(held);
        EXPECT_EQ(key[scancode], 0);
    }
    tap(SDL_SCANCODE_F11);
    EXPECT_TRUE(modeSwitchRequested);
    modeSwitchRequested = false;
    tap(SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(quitRequested);
}

TEST_F(WindowInput, AHeldArrowRepeatsAfterHalfASecondEveryTenthWhateverTheWindowSystemSends) {
    down(SDL_SCANCODE_LEFT);
    for (int i = 0; i < 20; ++i) {
        wait(100);
        events.handle(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT, true), now);  // ignored
        events.handle(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT, true), now);
    }
    // Two seconds held: the press and a repeat at 500, 600, ... 2000 ms.
    EXPECT_EQ(seekDelta.load(), -1100 * 17);
    EXPECT_TRUE(seeking);
    up(SDL_SCANCODE_LEFT);
    wait(500);
    EXPECT_EQ(seekDelta.load(), -1100 * 17);
    EXPECT_FALSE(seeking);  // the clock goes at the first tick after the key
}

TEST_F(WindowInput, MouseButtonsSeekEveryTickWhileHeldAndTheCloseButtonQuits) {
    rewinding = true;
    events.handle(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), now);
    wait(300);
    EXPECT_EQ(seekDelta.load(), 3 * 900);
    EXPECT_FALSE(rewinding);
    events.handle(buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT), now);
    events.handle(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), now);
    wait(100);
    EXPECT_EQ(seekDelta.load(), 3 * 900 - 1100);
    events.handle(buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), now);
    wait(100);
    EXPECT_EQ(seekDelta.load(), 3 * 900 - 1100);
    SDL_Event close{};
    close.type = SDL_QUIT;
    events.handle(close, now);
    EXPECT_TRUE(quitRequested);
}

TEST_F(WindowInput, LosingTheFocusLetsGoOfHeldKeysAndButtons) {
    down(SDL_SCANCODE_RIGHT);
    down(SDL_SCANCODE_DOWN);
    events.handle(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), now);
    SDL_Event lost{};
    lost.type = SDL_WINDOWEVENT;
    lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    events.handle(lost, now);
    seekDelta = 0;
    wait(2000);
    EXPECT_EQ(seekDelta.load(), 0);
    EXPECT_EQ(key[KEY_DOWN], 0);
    EXPECT_FALSE(freezeHeld);
    EXPECT_EQ(mouse_b, 0);
}

TEST_F(WindowInput, AfterAStallOnlyAFewLateTicksRunAtOnce) {
    rewinding = true;
    wait(10'000);  // ten seconds without a pass
    EXPECT_EQ(seekDelta.load(), -1400 * 5);
    wait(100);
    EXPECT_EQ(seekDelta.load(), -1400 * 6);
}
