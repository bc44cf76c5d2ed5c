#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "effects/effect.h"
#include "support/headless.h"

using namespace Zorvek;

namespace {

// The timeline is large (4096 events); each test gets its own on the heap.
struct TimelineTest : ::testing::Test {
    std::unique_ptr<Timeline> owned = std::make_unique<Timeline>();
    Timeline& timeline = *owned;
    Effect a, b, c;

    std::vector<Effect*> activeEffects() const {
        std::vector<Effect*> found;
        for (TimelineEvent* const* r = timeline.active; *r; ++r) found.push_back((*r)->effect);
        EXPECT_EQ(static_cast<int>(found.size()), timeline.activeCount);
        return found;
    }
    bool isActive(int time) {
        EXPECT_TRUE(timeline.activeAt(time));
        return timeline.activeCount > 0;
    }
};

using TimelineBounds = TimelineTest;
using TimelineOrder = TimelineTest;
using TimelineQuery = TimelineTest;
using TimelineAppend = TimelineTest;

}  // namespace

TEST_F(TimelineBounds, AnEventIsActiveFromItsStartToItsInclusiveEnd) {
    TimelineEvent* e = timeline.add(500, 1450, &a);
    EXPECT_EQ(e->start, 500);
    EXPECT_EQ(e->end, 1949);
    EXPECT_EQ(e->duration, 1450);
    EXPECT_EQ(e->phase, 0);
    EXPECT_FALSE(isActive(499));
    EXPECT_TRUE(isActive(500));
    EXPECT_TRUE(isActive(1949));
    EXPECT_FALSE(timeline.activeAt(1950));
}

TEST_F(TimelineBounds, AnEventOfNoDurationEndsBeforeItStartsAndIsNeverActive) {
    timeline.add(0, 5000, &a);
    TimelineEvent* empty = timeline.add(1000, 0, &b);
    EXPECT_EQ(empty->end, 999);
    for (int t : {998, 999, 1000, 1001}) {
        EXPECT_TRUE(timeline.activeAt(t));
        EXPECT_EQ(activeEffects(), std::vector<Effect*>{&a}) << "at " << t;
    }
}

TEST_F(TimelineOrder, EventsWithTheSameStartAreAcceptedInEitherOrder) {
    timeline.add(1000, 10, &a);
    timeline.add(1000, 20, &b, 7);
    timeline.add(1000, 5, &c);
    EXPECT_EQ(timeline.count, 3);
    EXPECT_EQ(timeline.events[1].phase, 7);
    ASSERT_TRUE(timeline.activeAt(1004));
    EXPECT_EQ(activeEffects(), (std::vector<Effect*>{&a, &b, &c}));
}

TEST_F(TimelineOrder, AnEventStartingEarlierThanThePreviousOneEndsTheProgram) {
    timeline.add(1000, 10, &a);
    EXPECT_EXIT(timeline.add(999, 10, &b), ::testing::ExitedWithCode(Zorvek::testing::STATUS_MISUSE),
                "^Timeline: please add effects in chronological order\\. \n$");
}

TEST_F(TimelineOrder, TheEventAfterTheLastSlotEndsTheProgramWithTheCapacityCode) {
    for (int i = 0; i < Timeline::MAX_EVENTS; ++i) timeline.add(i, 1, &a);
    EXPECT_EQ(timeline.count, 4096);
    EXPECT_EXIT(timeline.add(5000, 1, &a), ::testing::ExitedWithCode(Zorvek::testing::STATUS_CAPACITY),
                "^Timeline event overflow; nest events or increase Timeline::MAX_EVENTS\\.\n$");
}

TEST_F(TimelineOrder, EveryAddRewindsTheCursor) {
    timeline.add(0, 100, &a);
    timeline.add(50, 100, &b);
    timeline.add(200, 100, &c);
    ASSERT_TRUE(timeline.activeAt(250));
    EXPECT_EQ(timeline.cursor, 2);
    timeline.add(300, 10, &a);
    EXPECT_EQ(timeline.cursor, 0);
    timeline.activeAt(250);
    timeline.append(10, &b);
    EXPECT_EQ(timeline.cursor, 0);
}

TEST_F(TimelineQuery, BeforeTheFirstEventThereIsNothingActiveButTheShowGoesOn) {
    timeline.active[0] = &timeline.events[0];  // stale content must be replaced
    timeline.add(1000, 500, &a);
    EXPECT_TRUE(timeline.activeAt(999));
    EXPECT_EQ(timeline.activeCount, 0);
    EXPECT_EQ(timeline.active[0], nullptr);
}

TEST_F(TimelineQuery, AfterEveryEndTheQueryReportsTheEndOfTheSchedule) {
    timeline.add(0, 1000, &a);
    timeline.add(100, 5000, &b);
    ASSERT_TRUE(timeline.activeAt(500));
    EXPECT_EQ(timeline.activeCount, 2);
    EXPECT_FALSE(timeline.activeAt(5100));
    EXPECT_EQ(timeline.activeCount, 0);
}

TEST_F(TimelineQuery, AnEmptyScheduleHasNothingLeft) {
    EXPECT_FALSE(timeline.activeAt(0));
    EXPECT_EQ(timeline.activeCount, 0);
}

TEST_F(TimelineQuery, ActiveEventsAreListedInScheduleOrderAndNullTerminated) {
    timeline.add(0, 10000, &a);
    timeline.add(100, 50, &b);  // over before the query
    timeline.add(200, 9000, &c);
    timeline.add(300, 9000, &b);
    timeline.add(9000, 100, &a);  // not yet begun
    ASSERT_TRUE(timeline.activeAt(1000));
    EXPECT_EQ(activeEffects(), (std::vector<Effect*>{&a, &c, &b}));
    EXPECT_EQ(timeline.active[0], &timeline.events[0]);
    EXPECT_EQ(timeline.active[1], &timeline.events[2]);
    EXPECT_EQ(timeline.active[2], &timeline.events[3]);
    EXPECT_EQ(timeline.active[3], nullptr);
}

TEST_F(TimelineQuery, ForwardPlaySkipsTheFinishedPrefix) {
    for (int i = 0; i < 10; ++i) timeline.add(i * 1000, 1000, &a);
    timeline.activeAt(0);
    EXPECT_EQ(timeline.cursor, 0);
    timeline.activeAt(3500);
    EXPECT_EQ(timeline.cursor, 3);
    timeline.activeAt(7999);
    EXPECT_EQ(timeline.cursor, 7);
    EXPECT_EQ(timeline.active[0], &timeline.events[7]);
}

TEST_F(TimelineQuery, ALongEventKeepsTheCursorBehindIt) {
    timeline.add(0, 100000, &a);
    timeline.add(10, 10, &b);
    timeline.add(30, 10, &c);
    ASSERT_TRUE(timeline.activeAt(35));
    EXPECT_EQ(timeline.cursor, 0);  // the first event is not over, so nothing is skipped
    EXPECT_EQ(activeEffects(), (std::vector<Effect*>{&a, &c}));
}

TEST_F(TimelineQuery, ABackwardQueryMissesEventsBehindTheCursorUntilItIsReset) {
    timeline.add(0, 2000, &a);
    timeline.add(500, 1000, &b);
    timeline.add(59000, 2000, &c);
    ASSERT_TRUE(timeline.activeAt(60000));
    EXPECT_EQ(activeEffects(), std::vector<Effect*>{&c});

    ASSERT_TRUE(timeline.activeAt(1000));
    EXPECT_TRUE(activeEffects().empty());

    timeline.cursor = 0;
    ASSERT_TRUE(timeline.activeAt(1000));
    EXPECT_EQ(activeEffects(), (std::vector<Effect*>{&a, &b}));
}

TEST_F(TimelineQuery, AfterTheEndOfTheScheduleAnEarlierQueryRescansFromTheStart) {
    timeline.add(0, 2000, &a);
    timeline.add(1000, 500, &b);
    EXPECT_FALSE(timeline.activeAt(3000));
    ASSERT_TRUE(timeline.activeAt(1200));
    EXPECT_EQ(activeEffects(), (std::vector<Effect*>{&a, &b}));
}

TEST_F(TimelineQuery, SixtyThreeSimultaneousEventsFitTheActiveList) {
    for (int i = 0; i < 63; ++i) timeline.add(i, 1000, &a);
    ASSERT_TRUE(timeline.activeAt(100));
    EXPECT_EQ(timeline.activeCount, 63);
    EXPECT_EQ(timeline.active[63], nullptr);
}

TEST_F(TimelineQuery, ASixtyFourthSimultaneousEventEndsTheProgramInsteadOfOverrunningTheList) {
    for (int i = 0; i < 64; ++i) timeline.add(i, 1000, &a);
    EXPECT_TRUE(timeline.activeAt(62));  // only 63 have begun
    EXPECT_EXIT(timeline.activeAt(100), ::testing::ExitedWithCode(Zorvek::testing::STATUS_CAPACITY),
                "^Timeline active list overflow; at most 63 events can be active at once\\.\n$");
}

TEST_F(TimelineAppend, AppendedEventsFollowThePreviousEndAndTheFirstStartsAtZero) {
    TimelineEvent* first = timeline.append(1000, &a);
    EXPECT_EQ(first->start, 0);
    EXPECT_EQ(first->end, 999);
    TimelineEvent* second = timeline.append(500, &b, 40);
    EXPECT_EQ(second->start, 1000);
    EXPECT_EQ(second->end, 1499);
    EXPECT_EQ(second->phase, 40);
}

TEST_F(TimelineAppend, RestAndPeriodFormsTakeTheirLengthFromTheEffectsPeriod) {
    a.period = 4000;
    timeline.add(100, 900, &b);
    TimelineEvent* rest = timeline.appendRest(&a, 1500);
    EXPECT_EQ(rest->start, 1000);
    EXPECT_EQ(rest->duration, 2500);
    EXPECT_EQ(rest->phase, 1500);
    EXPECT_EQ(rest->end, 3499);
    TimelineEvent* whole = timeline.appendPeriod(&a);
    EXPECT_EQ(whole->start, 3500);
    EXPECT_EQ(whole->duration, 4000);
    EXPECT_EQ(whole->phase, 0);
}

TEST_F(TimelineAppend, AnAppendedEventStartsAfterTheEndOfTheLastAddedOne) {
    timeline.add(0, 100, &a);
    timeline.add(5000, 100, &b);
    timeline.add(5000, 10, &c);
    // The previous event ends at 5009, so the next appended one starts at 5010.
    EXPECT_EQ(timeline.append(10, &a)->start, 5010);
    timeline.add(6000, 0, &b);  // ends at 5999: an append after it starts at 6000
    EXPECT_EQ(timeline.append(10, &a)->start, 6000);
}

// The query stops at the first event that has not begun and starts from the cursor. Played as
// the main loop plays it (forward, the cursor reset whenever time goes back, and at random), it
// must find exactly the events that a scan of the whole schedule finds active, for any schedule.
TEST_F(TimelineQuery, FindsWhatAScanOfTheWholeScheduleFinds) {
    unsigned seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<unsigned>(n));
    };
    for (int round = 0; round < 20; ++round) {
        timeline.count = 0;
        timeline.cursor = 0;
        int start = next(100);
        for (int i = 0; i < 60; ++i) {
            start += next(3) == 0 ? 0 : next(700);
            timeline.add(start, next(5) == 0 ? 0 : next(4000), &a);
        }
        int time = -100;
        for (int q = 0; q < 400; ++q) {
            const int before = time;
            time = next(8) == 0 ? next(start + 5000) - 100 : time + next(3) * next(300);
            if (time < before || next(20) == 0) timeline.cursor = 0;
            std::vector<TimelineEvent*> expected;
            bool anyLeft = false;
            for (int i = 0; i < timeline.count; ++i) {
                TimelineEvent& e = timeline.events[i];
                if (e.start <= time && time <= e.end) expected.push_back(&e);
                anyLeft = anyLeft || time <= e.end;
            }
            ASSERT_EQ(timeline.activeAt(time), anyLeft) << "round " << round << " query " << q << " at " << time;
            std::vector<TimelineEvent*> found(timeline.active, timeline.active + timeline.activeCount);
            ASSERT_EQ(found, expected) << "round " << round << " query " << q << " at " << time;
            // (After the end the list is left as it was, with a count of 0.)
            if (anyLeft) {
                ASSERT_EQ(timeline.active[timeline.activeCount], nullptr);
            }
        }
    }
}
