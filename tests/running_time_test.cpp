// The process's running time: spans in which nothing of it ran are left out, a thread that is
// merely late is not taken for a stop, and the time never runs back.
#include <gtest/gtest.h>

#include "process/running_time.h"
#include "process/time.h"

using Zorvek::detail::StopReckoning;

namespace {
constexpr std::int64_t MS = 1'000'000;
}

TEST(RunningTime, AGapWithNoSignOfLifeIsLeftOutAndALateWakeUpIsNot) {
    StopReckoning r;
    EXPECT_EQ(r.at(5000 * MS), 5000 * MS);  // not watching: the plain clock
    r.lastSeen = 5000 * MS;
    std::int64_t t = 5000 * MS;
    for (int i = 0; i < 100; ++i) r.at(t += StopReckoning::TICK);  // a second of ticks
    EXPECT_EQ(r.at(t), t);
    // A busy machine wakes the watcher 250 ms late: the process ran meanwhile, nothing is left out.
    t += 250 * MS;
    EXPECT_EQ(r.at(t), t);
    // Stopped for 10 s: the show's time goes on from where it stood, less one tick at most.
    const std::int64_t before = r.at(t += StopReckoning::TICK);
    const std::int64_t after = r.at(t += 10'000 * MS);
    EXPECT_GE(after, before);
    EXPECT_LE(after - before, StopReckoning::TICK);
    EXPECT_EQ(r.stopped, 10'000 * MS - StopReckoning::TICK);
    // A reading from before the gap, made late by a thread that stood with the rest, is no
    // reason to go back.
    EXPECT_GE(r.at(t - 5 * MS), after);
    EXPECT_EQ(r.at(t + 20 * MS), t + 20 * MS - r.stopped);
}

// The pacer's sleeps: never over before their deadline, however the system's sleep behaves
// (Windows' POSIX threads library returns from an absolute sleep at once), and not long after it.
TEST(RunningTime, ASleepEndsAtItsDeadlineNotBefore) {
    using namespace Zorvek;
    for (Nanos wait : {Nanos{0}, MS / 2, 3 * MS, 17 * MS}) {
        const Nanos deadline = monotonicNow() + wait;
        sleepUntil(deadline);
        const Nanos woke = monotonicNow();
        EXPECT_GE(woke, deadline) << "a sleep of " << wait << " ns";
        EXPECT_LT(woke - deadline, 100 * MS) << "a sleep of " << wait << " ns";
    }
}
