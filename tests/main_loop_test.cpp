#include "runtime/main_loop.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "effects/effect.h"
#include "runtime/clock.h"
#include "runtime/controls.h"
#include "runtime/refresh_times.h"
#include "support/allocations.h"
#include "support/fake_screen.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// Counts its calls and remembers the local times and events it was handed.
struct Calls {
    int starts = 0, stops = 0, updates = 0, renders = 0;
    int times[16] = {};
    TimelineEvent* events[16] = {};

    void updated(int time, TimelineEvent* event) {
        if (updates < 16) {
            times[updates] = time;
            events[updates] = event;
        }
        ++updates;
    }
};

// A generator: fills its own frame with its colour and pushes it.
class Generator : public ProtectedFrameEffect {
public:
    Calls calls;
    std::uint32_t colour = 0x202020;
    void start() override {
        ProtectedFrameEffect::start();
        ++calls.starts;
    }
    void stop() override {
        ProtectedFrameEffect::stop();
        ++calls.stops;
    }
    void update(int time) override { calls.updated(time, event); }
    void render() override {
        ++calls.renders;
        clear_to_color(frame, static_cast<int>(colour));
        push(frame);
    }
};

// Draws nothing and leaves the stack alone, like an overlay; optionally lets music time pass.
class Overlay : public Effect {
public:
    Calls calls;
    ManualClock* clock = nullptr;
    int takes = 0;  // ms of music that rendering takes
    void start() override {
        Effect::start();
        ++calls.starts;
    }
    void stop() override {
        Effect::stop();
        ++calls.stops;
    }
    void update(int time) override { calls.updated(time, event); }
    void render() override {
        ++calls.renders;
        if (clock) clock->ms += takes;
    }
};

class NullPusher : public Effect {
public:
    void render() override { push(nullptr); }
};

// Never reports itself as running.
class Restless : public Effect {
public:
    int starts = 0, stops = 0;
    void start() override { ++starts; }
    void stop() override { ++stops; }
};

struct MainLoopTest : ::testing::Test {
    std::unique_ptr<HeadlessDemo> owned = std::make_unique<HeadlessDemo>();
    HeadlessDemo& demo = *owned;
    ManualClock clock;
    std::optional<MainLoop> loop;
    FakeScreen screen;  // where finished frames go, once a test shows them

    // A schedule of one generator of `colour` over the first 100 s, shown on `screen`.
    void showOneGenerator(Generator& e, std::uint32_t colour) {
        init(e).colour = colour;
        demo.timeline.add(0, 100000, &e);
        begin();
        demo.display.screen = &screen;
    }

    template <class E>
    E& init(E& effect) {
        effect.init(&demo);
        return effect;
    }
    // The loop takes the schedule as it stands.
    MainLoop& begin() {
        loop.emplace(demo, clock);
        loop->begin();
        return *loop;
    }
    BITMAP* passAt(int ms) {
        clock.ms = ms;
        return loop->pass();
    }
    ~MainLoopTest() override {
        hideHeld = false;
        freezeHeld = false;
        creditHeld = false;
        resetControls();
        demo.display.screen = nullptr;
    }
};

using MainLoopEffects = MainLoopTest;
using MainLoopTime = MainLoopTest;
using MainLoopFrameStack = MainLoopTest;
using MainLoopOverlays = MainLoopTest;

}  // namespace

TEST_F(MainLoopEffects, APassRendersTheEventsActiveAtTheMusicTimeIntoOneFinishedFrame) {
    Generator bottom, top;
    init(bottom).colour = 0x112233;
    init(top).colour = 0x445566;
    demo.timeline.add(0, 1000, &bottom);
    demo.timeline.add(500, 1000, &top);
    begin();
    BITMAP* f = passAt(200);
    EXPECT_EQ(f, bottom.frame);
    EXPECT_EQ(pixel(f, 0, 0), 0x112233u);
    EXPECT_EQ(demo.frameCount, 1);
    EXPECT_EQ(loop->prevTime, 200);
    EXPECT_EQ(top.calls.starts, 0);
}

TEST_F(MainLoopEffects, AnEffectWithTwoActiveEventsIsStartedOnceAndRenderedForEach) {
    Generator ground;
    Overlay shared;
    init(ground);
    init(shared);
    demo.timeline.add(0, 10000, &ground);
    TimelineEvent* first = demo.timeline.add(1000, 2000, &shared);
    TimelineEvent* second = demo.timeline.add(2000, 3000, &shared);
    begin();

    passAt(1500);
    EXPECT_EQ(shared.calls.starts, 1);
    EXPECT_EQ(shared.calls.renders, 1);
    passAt(2500);
    EXPECT_EQ(shared.calls.starts, 1);
    EXPECT_EQ(shared.calls.renders, 3);
    EXPECT_EQ(shared.calls.events[1], first);
    EXPECT_EQ(shared.calls.events[2], second);
    passAt(4000);
    EXPECT_EQ(shared.calls.renders, 4);
    EXPECT_EQ(shared.calls.stops, 0);
    passAt(5000);
    EXPECT_EQ(shared.calls.stops, 1);
    EXPECT_FALSE(shared.running);
    EXPECT_EQ(loop->runningCount, 1);
    EXPECT_EQ(ground.calls.starts, 1);
    EXPECT_EQ(ground.calls.stops, 0);
}

TEST_F(MainLoopEffects, FinishedEffectsLeaveTheRunningListAndTheOthersKeepTheirOrder) {
    Generator ground;
    Overlay a, b, c;
    init(ground);
    init(a);
    init(b);
    init(c);
    demo.timeline.add(0, 10000, &ground);
    demo.timeline.add(0, 5000, &a);
    demo.timeline.add(0, 1000, &b);
    demo.timeline.add(0, 5000, &c);
    begin();
    passAt(500);
    ASSERT_EQ(loop->runningCount, 4);
    passAt(2000);
    ASSERT_EQ(loop->runningCount, 3);
    EXPECT_EQ(loop->running[0], &ground);
    EXPECT_EQ(loop->running[1], &a);
    EXPECT_EQ(loop->running[2], &c);
    EXPECT_EQ(b.calls.stops, 1);
}

TEST_F(MainLoopEffects, AnEffectThatNeverRunsIsStartedAtEachPassButListedAndStoppedOnce) {
    Generator ground;
    Restless restless;
    init(ground);
    init(restless);
    demo.timeline.add(0, 100000, &ground);
    demo.timeline.add(0, 50000, &restless);
    begin();
    for (int t = 0; t < 300 * 100; t += 100) passAt(t);  // more passes than the list has room
    EXPECT_EQ(restless.starts, 300);
    EXPECT_EQ(loop->runningCount, 2);
    passAt(60000);
    EXPECT_EQ(restless.stops, 1);
}

TEST_F(MainLoopEffects, AJumpBetweenTwoFullMomentsFitsTheRunningList) {
    // Two moments of 63 events each, every event with an effect of its own.
    Generator grounds[2];
    Overlay overlays[2][62];
    for (int m = 0; m < 2; ++m) {
        init(grounds[m]);
        demo.timeline.add(m * 10000, 1000, &grounds[m]);
        for (Overlay& o : overlays[m]) {
            init(o);
            demo.timeline.add(m * 10000, 1000, &o);
        }
    }
    begin();
    passAt(500);
    EXPECT_EQ(loop->runningCount, 63);
    jumpTo = 10500;
    EXPECT_EQ(passAt(600), grounds[1].frame);
    EXPECT_EQ(loop->runningCount, 63);
    EXPECT_EQ(loop->running[0], &grounds[1]);
    EXPECT_EQ(overlays[0][61].calls.stops, 1);
    loop->end();
}

TEST_F(MainLoopEffects, LeavingTheLoopStopsEveryRunningEffectAndReturnsTheirFrames) {
    struct Drop : Effect {
        void render() override { --demo->frameCount; }
    };
    Generator a, b;
    Drop drop;
    init(a);
    init(b);
    init(drop);
    demo.timeline.add(0, 1000, &a);
    demo.timeline.add(0, 1000, &b);
    demo.timeline.add(0, 1000, &drop);
    begin();
    passAt(10);
    EXPECT_TRUE(demo.display.inUse[0]);
    EXPECT_TRUE(demo.display.inUse[1]);
    loop->end();
    EXPECT_EQ(a.calls.stops, 1);
    EXPECT_EQ(b.calls.stops, 1);
    EXPECT_EQ(loop->runningCount, 0);
    for (bool lent : demo.display.inUse) EXPECT_FALSE(lent);
}

TEST_F(MainLoopTime, LocalTimeWrapsAtThePeriodAfterThePhaseIsAdded) {
    Generator e;
    init(e);
    demo.timeline.add(2000, 5000, &e, 250);
    begin();
    passAt(2500);
    passAt(3000);
    EXPECT_EQ(e.calls.times[0], 750);
    EXPECT_EQ(e.calls.times[1], 250);
}

TEST_F(MainLoopTime, WithoutAPeriodLocalTimeCountsFromTheStartAndIgnoresThePhase) {
    Generator e;
    init(e).period = 0;
    demo.timeline.add(2000, 5000, &e, 250);
    begin();
    passAt(2500);
    passAt(3000);
    EXPECT_EQ(e.calls.times[0], 500);
    EXPECT_EQ(e.calls.times[1], 1000);
}

TEST_F(MainLoopTime, ANegativeOffsetWrapsAsAnUnsignedValue) {
    Generator e;
    init(e);
    demo.timeline.add(2000, 5000, &e, -300);
    begin();
    passAt(2000);
    EXPECT_EQ(e.calls.times[0], 996);  // (2^32 - 300) mod 1000
}

TEST_F(MainLoopTime, AJumpRendersItsTargetAndMovesTheMusicThereLeavingASeekForLater) {
    Generator e;
    init(e);
    demo.timeline.add(0, 100000, &e);
    begin();
    passAt(60000);
    jumpTo = 15000;
    seekDelta = 900;
    passAt(60100);
    EXPECT_EQ(loop->prevTime, 15000);
    EXPECT_EQ(clock.ms, 15000);
    EXPECT_EQ(jumpTo.load(), -1);
    EXPECT_EQ(seekDelta.load(), 900);
    loop->pass();
    EXPECT_EQ(loop->prevTime, 15900);
    EXPECT_EQ(seekDelta.load(), 0);
}

TEST_F(MainLoopTime, AJumpBackwardsFindsTheEventsBehindTheCursor) {
    Generator early, late;
    init(early);
    init(late);
    demo.timeline.add(0, 10000, &early);
    demo.timeline.add(50000, 10000, &late);
    begin();
    EXPECT_EQ(passAt(55000), late.frame);
    jumpTo = 5000;
    EXPECT_EQ(passAt(55000), early.frame);
    // A clock that cannot follow a jump (music that ends before its target) reads earlier at the
    // next pass than the jump: the events behind it are found all the same.
    jumpTo = 55000;
    EXPECT_EQ(passAt(5000), late.frame);
    EXPECT_EQ(passAt(7680), early.frame);
}

TEST_F(MainLoopTime, HomeAndEndJumpToTheStartAndJustBeforeTheLastEnd) {
    Generator e;
    init(e);
    demo.timeline.add(0, 3000, &e);
    demo.timeline.add(1000, 9000, &e);  // ends at 9999, the last event's end
    begin();
    EXPECT_EQ(loop->lastEnd, 9999);
    EXPECT_EQ(keyJump[KEY_HOME].load(), 0);
    EXPECT_EQ(keyJump[KEY_END].load(), 9998);
}

TEST_F(MainLoopTime, ASeekBelowZeroLandsAtZeroAndEndsTheRewind) {
    Generator e;
    init(e);
    demo.timeline.add(0, 100000, &e);
    begin();
    rewinding = true;
    seekDelta = -5000;
    passAt(1000);
    EXPECT_EQ(loop->prevTime, 0);
    EXPECT_EQ(clock.ms, 0);
    EXPECT_FALSE(rewinding);
}

TEST_F(MainLoopTime, ASeekPastTheLastEndLandsJustBeforeItAndOneOntoItStaysThere) {
    Generator e;
    init(e);
    demo.timeline.add(0, 10000, &e);  // lastEnd 9999
    begin();
    seekDelta = 5000;
    passAt(8000);
    EXPECT_EQ(loop->prevTime, 9998);
    EXPECT_EQ(clock.ms, 9998);
    seekDelta = 1999;
    passAt(8000);
    EXPECT_EQ(loop->prevTime, 9999);
}

TEST_F(MainLoopTime, AtTheEndOfTheScheduleThePassShowsTheMomentBeforeTheEndAndRewindsToTheStart) {
    Generator ending, opening;
    init(ending).colour = 0xAA0000;
    init(opening).colour = 0x00AA00;
    demo.timeline.add(0, 20000, &opening);
    demo.timeline.add(20000, 10000, &ending);  // lastEnd 29999
    begin();
    BITMAP* f = passAt(31000);
    EXPECT_EQ(f, ending.frame);
    EXPECT_EQ(loop->prevTime, 29999);
    EXPECT_EQ(ending.calls.times[0], (28999 - 20000) % 1000);
    EXPECT_EQ(clock.ms, 28999);
    EXPECT_TRUE(rewinding);

    // No input: the timer pulls the music back while it plays on.
    int previous = loop->prevTime, passes = 0;
    while (rewinding && passes < 100) {
        clock.ms += 100;
        timerHandler();
        EXPECT_TRUE(seeking);
        loop->pass();
        EXPECT_LT(loop->prevTime, previous);
        previous = loop->prevTime;
        ++passes;
    }
    EXPECT_FALSE(rewinding);
    EXPECT_EQ(loop->prevTime, 0);
    EXPECT_EQ(passes, 23);  // 28999 back to 0 at 1300 ms per tick
    EXPECT_EQ(passAt(100), opening.frame);
    EXPECT_EQ(loop->prevTime, 100);
}

TEST_F(MainLoopTime, HoldingDownFreezesThePictureWhileTheMusicReplaysItsInstant) {
    // A feedback would move on with every pass that replayed the instant: no pass runs.
    Generator e;
    init(e);
    demo.timeline.add(0, 100000, &e);
    begin();
    BITMAP* held = passAt(4000);
    freezeHeld = true;
    EXPECT_EQ(passAt(4100), held);
    EXPECT_EQ(clock.ms, 4000);
    EXPECT_EQ(passAt(4200), held);
    EXPECT_EQ(clock.ms, 4000);
    EXPECT_EQ(e.calls.renders, 1);
    EXPECT_EQ(loop->prevTime, 4000);
    freezeHeld = false;
    passAt(4300);
    EXPECT_EQ(loop->prevTime, 4300);
    EXPECT_EQ(e.calls.renders, 2);
}

TEST_F(MainLoopTime, HoldingUpKeepsThePictureOnShowWhileThePassesGoOnAtTheirPace) {
    Generator e;
    showOneGenerator(e, 0x00FF00);
    hideHeld = true;
    passAt(1000);
    passAt(1100);
    EXPECT_EQ(screen.shows, 0);
    EXPECT_EQ(screen.holds, 2);  // every pass still waits for its refresh
    EXPECT_EQ(e.calls.renders, 2);
    hideHeld = false;
    BITMAP* f = passAt(1200);
    EXPECT_EQ(screen.shown, f);
    EXPECT_EQ(screen.shows, 1);
}

TEST_F(MainLoopTime, PlayedOnceTheShowEndsOnItsLastMomentInsteadOfRewinding) {
    Generator longest, last;
    init(longest).colour = 0xAA0000;
    init(last).colour = 0x00AA00;
    demo.timeline.add(0, 30000, &longest);  // ends 29999, after the last event added
    demo.timeline.add(20000, 5000, &last);  // lastEnd 24999
    begin();
    loop->quitAtEnd = true;
    passAt(29000);
    EXPECT_FALSE(quitRequested);
    BITMAP* f = passAt(30500);
    EXPECT_EQ(f, longest.frame);
    EXPECT_EQ(loop->time, 29999);
    EXPECT_TRUE(quitRequested);
    EXPECT_FALSE(rewinding);
    EXPECT_EQ(clock.ms, 30500);  // the music is not moved back
}

namespace {
// A generator whose picture is the music time it was rendered for (its event starts at 0 and has
// no period), and which may say that it keeps state from pass to pass.
class Clocked : public ProtectedFrameEffect {
public:
    bool keeps = false;
    std::vector<int> rendered;  // the times of its passes
    int at = 0;
    void init(Demo* d) override {
        ProtectedFrameEffect::init(d);
        period = 0;
    }
    void update(int time) override { at = time; }
    void render() override {
        rendered.push_back(at);
        clear_to_color(frame, at);
        push(frame);
    }
    bool carriesState() const override { return keeps; }
};

// Refresh n of a display of `hz`, from `from`: the times a capture at that rate would have.
int refreshTime(int hz, int from, int n) { return from + static_cast<int>(static_cast<long long>(n) * 1000 / hz); }
}  // namespace

using MainLoopCadence = MainLoopTest;

TEST_F(MainLoopCadence, AtOneHundredFortyFourHertzStateKeepsToTheSixtyHertzGridAndTheRestFollowsEachRefresh) {
    Clocked keeping, free;
    init(keeping).keeps = true;
    init(free);
    demo.timeline.add(0, 1000, &keeping);
    demo.timeline.add(1000, 1000, &free);
    begin();
    std::vector<int> shown;
    for (int n = 0; refreshTime(144, 0, n) < 2000; ++n)
        shown.push_back(static_cast<int>(pixel(passAt(refreshTime(144, 0, n)), 0, 0)) + (n >= 144 ? 1000 : 0));
    std::vector<int> grid, perRefresh;
    for (int n = 0; n * 1000 / 60 < 1000; ++n) grid.push_back(n * 1000 / 60);
    EXPECT_EQ(keeping.rendered, grid);  // each pass of the grid once, none between
    // Each refresh shows the latest pass due by its time: a picture stays two or three refreshes.
    for (int n = 0; n < 144; ++n) {
        const int t = refreshTime(144, 0, n);
        EXPECT_EQ(shown[n], *std::prev(std::upper_bound(grid.begin(), grid.end(), t))) << "refresh " << n;
    }
    for (int n = 144; refreshTime(144, 0, n) < 2000; ++n) {
        perRefresh.push_back(refreshTime(144, 0, n) - 1000);
        EXPECT_EQ(shown[n], refreshTime(144, 0, n)) << "refresh " << n;
    }
    EXPECT_EQ(free.rendered, perRefresh);
}

TEST_F(MainLoopCadence, AMomentThatBeginsToKeepStateBetweenTwoPassesOfTheGridWaitsForTheNext) {
    // Until 505 nothing keeps state: a pass per refresh. From then on the grid's: its pass at
    // 516 is the first, and the refreshes before it keep the last picture rather than run a pass
    // off the grid that the feedback would remember.
    Clocked free, keeping;
    init(free);
    init(keeping).keeps = true;
    demo.timeline.add(0, 505, &free);
    demo.timeline.add(505, 1000, &keeping);
    begin();
    for (int n = 0; refreshTime(144, 0, n) <= 500; ++n) passAt(refreshTime(144, 0, n));
    EXPECT_EQ(free.rendered.back(), 500);
    EXPECT_EQ(pixel(passAt(506), 0, 0), 500u);
    EXPECT_EQ(pixel(passAt(513), 0, 0), 500u);
    EXPECT_EQ(pixel(passAt(520), 0, 0), 516u - 505u);
    EXPECT_EQ(keeping.rendered, std::vector<int>{516 - 505});
}

TEST_F(MainLoopCadence, OnAFiftyHertzDisplaySomeRefreshesRunTwoPassesAndNoneIsLost) {
    Clocked keeping;
    init(keeping).keeps = true;
    demo.timeline.add(0, 10000, &keeping);
    begin();
    int most = 0;
    for (int n = 0; n < 50; ++n) {
        const std::size_t before = keeping.rendered.size();
        BITMAP* f = passAt(refreshTime(50, 0, n));
        most = std::max(most, static_cast<int>(keeping.rendered.size() - before));
        EXPECT_EQ(pixel(f, 0, 0), static_cast<std::uint32_t>(keeping.rendered.back()));
    }
    EXPECT_EQ(most, 2);
    ASSERT_EQ(keeping.rendered.size(), 59u);  // 0 to 966 ms, the last refresh at 980
    for (int n = 0; n < 59; ++n) EXPECT_EQ(keeping.rendered[n], n * 1000 / 60);
}

TEST_F(MainLoopCadence, BehindTheGridARefreshRunsThreePassesAndAStallDropsAllButTheLastFifthOfASecond) {
    Clocked keeping;
    init(keeping).keeps = true;
    demo.timeline.add(0, 100000, &keeping);
    begin();
    passAt(0);
    passAt(16);
    passAt(100);  // a slow moment: five passes due, three run now
    EXPECT_EQ(keeping.rendered, (std::vector<int>{0, 16, 33, 50, 66}));
    passAt(116);  // the rest, and the one due now
    EXPECT_EQ(keeping.rendered, (std::vector<int>{0, 16, 33, 50, 66, 83, 100, 116}));
    keeping.rendered.clear();
    // The process stood still for five seconds while the music played on: the twelve latest
    // passes are left, caught up over the next refreshes, and what is further behind is dropped.
    for (int t = 5000; t <= 5100; t += 16) passAt(t);
    std::vector<int> grid;
    for (int n = 289; n * 1000 / 60 <= 5096; ++n) grid.push_back(n * 1000 / 60);
    EXPECT_EQ(keeping.rendered, grid);
}

TEST_F(MainLoopCadence, TheGridIsLaidFromWhereAJumpOrASeekLands) {
    // So that after a chapter key the feedback passes at the times of a capture from there.
    Clocked keeping;
    init(keeping).keeps = true;
    demo.timeline.add(0, 100000, &keeping);
    begin();
    passAt(1000);
    jumpTo = 15007;
    passAt(1016);
    for (int n = 1; n < 40; ++n) passAt(refreshTime(144, 15007, n));
    ASSERT_GE(keeping.rendered.size(), 17u);
    for (int n = 0; n < 17; ++n) EXPECT_EQ(keeping.rendered[1 + n], 15007 + n * 1000 / 60);
    seekDelta = -1100;
    passAt(15300);
    keeping.rendered.clear();
    for (int n = 1; n < 10; ++n) passAt(refreshTime(144, 14200, n));
    EXPECT_EQ(keeping.rendered, (std::vector<int>{14216, 14233, 14250}));
}

// The sound clock is steered toward the device's and may run 2 % fast or slow against the
// display: the refreshes' times follow it within a couple of milliseconds instead of lagging
// until they part by half a grid pass, and never step more than a millisecond past a refresh.
TEST(RefreshTimesDrift, TheRefreshesFollowAMusicClockThatDriftsWithoutSkippingAGridPass) {
    constexpr Nanos interval = 1'000'000'000 / 144;
    for (const double drift : {1.02, 0.98}) {
        RefreshTimes times;
        int previous = 0, worst = 0, widest = 0;
        for (int n = 0; n < 2000; ++n) {
            const Nanos present = n * interval;
            const int music = 10000 + static_cast<int>(drift * static_cast<double>(present) / 1e6);
            const int t = times.at(music, present, interval);
            worst = std::max(worst, std::abs(t - music));
            if (n > 0) widest = std::max(widest, std::abs(t - previous - 7));
            previous = t;
        }
        EXPECT_LE(worst, 2) << drift;
        EXPECT_LE(widest, 2) << drift;  // a refresh is 6.9 ms: steps of 5 to 9 ms
    }
}

TEST_F(MainLoopFrameStack, APassThatLeavesNoFrameEndsWithTheUnderflowMessage) {
    Overlay nothing;
    init(nothing);
    demo.timeline.add(0, 1000, &nothing);
    begin();
    EXPECT_EXIT(passAt(10), ::testing::ExitedWithCode(STATUS_MISUSE), "^Framestack underflow\\.\n$");
}

TEST_F(MainLoopFrameStack, APassThatLeavesTwoFramesEndsWithTheOverflowMessage) {
    Generator a, b;
    init(a);
    init(b);
    demo.timeline.add(0, 1000, &a);
    demo.timeline.add(0, 1000, &b);
    begin();
    EXPECT_EXIT(passAt(10), ::testing::ExitedWithCode(STATUS_MISUSE), "^Framestack overflow\\.\n$");
}

TEST_F(MainLoopFrameStack, APassWhoseOneFrameIsNullEndsWithTheNullframeMessage) {
    NullPusher nothing;
    init(nothing);
    demo.timeline.add(0, 1000, &nothing);
    begin();
    EXPECT_EXIT(passAt(10), ::testing::ExitedWithCode(STATUS_MISUSE), "^Nullframe rendered\\.\n$");
}

namespace {
// The frame the overlays should produce: `lines` drawn in green with the default font.
struct Line {
    int x, y;
    const char* text;
};
void expectFrameShows(BITMAP* frame, std::uint32_t background, std::initializer_list<Line> lines) {
    Bitmap expected(background, frame->w, frame->h);
    for (const Line& l : lines) textout_ex(expected, font, l.text, l.x, l.y, 0x00FF00, -1);
    int differing = 0;
    for (int y = 0; y < frame->h; ++y)
        for (int x = 0; x < frame->w; ++x) differing += pixel(frame, x, y) != pixel(expected, x, y);
    EXPECT_EQ(differing, 0);
}
}  // namespace

TEST_F(MainLoopOverlays, TheFrameRateReadsManyWhenAPassTakesNoMusicTime) {
    Generator e;
    init(e).colour = 0;
    demo.timeline.add(0, 100000, &e);
    begin();
    showFps = true;
    expectFrameShows(passAt(1000), 0, {{279, 9, "MANY"}});
}

TEST_F(MainLoopOverlays, TheFrameRateIsTheInverseOfTheMusicTimeThePassTook) {
    Generator e;
    Overlay slow;
    init(e).colour = 0;
    init(slow).clock = &clock;
    demo.timeline.add(0, 100000, &e);
    demo.timeline.add(0, 100000, &slow);
    begin();
    showFps = true;
    slow.takes = 40;
    expectFrameShows(passAt(1000), 0, {{255, 9, "25.0FPS"}});
    slow.takes = 10;  // 100 frames a second is too many to print
    expectFrameShows(passAt(2000), 0, {{279, 9, "MANY"}});
    slow.takes = 11;
    expectFrameShows(passAt(3000), 0, {{255, 9, "90.9FPS"}});
}

TEST_F(MainLoopOverlays, OnAScreenTheFrameRateIsThePresentedRate) {
    Generator e;
    showOneGenerator(e, 0);
    showFps = true;
    for (Nanos t = 1; t < 10 * 6'944'444; t += 6'944'444) screen.pacer.presented(t);  // 144 Hz
    expectFrameShows(passAt(1000), 0, {{247, 9, "144.0FPS"}});
}

TEST_F(MainLoopOverlays, TheEventListGrowsUpwardsWithTheTimeEachEventHasLeft) {
    Generator e;
    TodoEffect todo;
    Overlay plain;
    init(e).colour = 0x000040;
    init(todo).text = "";
    init(plain);
    demo.timeline.add(0, 100000, &e);
    demo.timeline.add(1000, 2500, &todo);
    demo.timeline.add(1500, 800, &plain);
    begin();
    showEvents = true;
    // At 2000: 97999, 1499 and 299 ms left.
    expectFrameShows(passAt(2000), 0x000040,
                     {{9, 222, "97.99 Effect"}, {9, 213, "01.49 TODO"}, {9, 204, "00.29 Effect"}});
}

TEST_F(MainLoopOverlays, TheClockShowsMinutesSecondsAndHundredthsWhileOnOrWhileSeeking) {
    Generator e;
    init(e).colour = 0;
    demo.timeline.add(0, 200000, &e);
    begin();
    showClock = true;
    expectFrameShows(passAt(83456), 0, {{9, 9, "01:23.45"}});
    showClock = false;
    seeking = true;
    expectFrameShows(passAt(5009), 0, {{9, 9, "00:05.00"}});
    seeking = false;
    expectFrameShows(passAt(6000), 0, {});
}

TEST_F(MainLoopOverlays, HoldingCShowsTheCreditLineUnlessTheClockIsUp) {
    Generator e;
    init(e).colour = 0;
    demo.timeline.add(0, 200000, &e);
    begin();
    creditHeld = true;
    BITMAP* f = passAt(1000);
    int green = 0, beyond = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            bool lit = pixel(f, x, y) == 0x00FF00;
            green += lit;
            beyond += lit && (y < 9 || y >= 17 || x < 9);
        }
    EXPECT_GT(green, 0);
    EXPECT_EQ(beyond, 0);
    EXPECT_EQ(pixel(f, 319, 12), 0u);  // the line ends inside the frame
    showClock = true;
    expectFrameShows(passAt(1000), 0, {{9, 9, "00:01.00"}});
}

TEST_F(MainLoopEffects, PassesAllocateNothing) {
    // A filter: takes the frame below and pushes its own copy.
    struct Copy : ProtectedFrameEffect {
        void render() override {
            blit(pop(), frame, 0, 0, 0, 0, frame->w, frame->h);
            push(frame);
        }
    };
    Generator ground;
    Copy copy;
    TodoEffect word;
    init(ground);
    init(copy);
    init(word).text = "NOTHING NEW";
    demo.timeline.add(0, 6000, &ground);
    demo.timeline.add(1000, 3000, &copy);
    demo.timeline.add(2000, 3000, &word);
    begin();
    showFps = showEvents = showClock = true;
    const long allocations = Zorvek::testing::allocationsDuring([&] {
        for (int t = 0; t < 7000; t += 7) {
            if (t == 4501) jumpTo = 1500;
            passAt(t);
        }
    });
    if (Zorvek::testing::allocationsCounted()) {
        EXPECT_EQ(allocations, 0);
    }
    EXPECT_EQ(ground.calls.renders, 1000);
    EXPECT_TRUE(rewinding);  // the schedule ran out, too
}

// The capture asks for every pass due at once: the most passes a refresh may run at its largest,
// added to the next pass's number. Where long has 32 bits (Windows, WebAssembly) that sum once
// wrapped, and no pass after the second ran: the capture's pictures froze.
TEST_F(MainLoopCadence, AskedForEveryPassDueARefreshRunsThemAllHoweverMany) {
    Clocked keeping;
    init(keeping).keeps = true;
    demo.timeline.add(0, 100000, &keeping);
    begin().mostPasses = std::numeric_limits<int>::max();
    passAt(0);
    passAt(16);
    passAt(5000);  // five seconds of passes in one refresh
    std::vector<int> grid;
    for (int n = 0; n * 1000 / 60 <= 5000; ++n) grid.push_back(n * 1000 / 60);
    EXPECT_EQ(keeping.rendered, grid);
}
