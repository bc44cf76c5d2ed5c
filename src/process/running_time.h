#pragma once
// The time the process has run: the monotonic clock less every span in which the whole process
// stood still (stopped by Ctrl-Z or SIGSTOP, held by a debugger). A show that is stopped and
// continued carries on where it stood, as a video player does, and its statistics count only
// the time it ran.
//
// A stop is seen by its gap: a watcher thread wakes every few milliseconds, and when it or any
// reader finds the last wake-up far in the past, nothing of the process can have run in between.
// A thread that is merely late (a busy machine) is late by far less than that.

#include "process/time.h"

namespace Zorvek {

// Starts the watcher thread; until then no stop is counted. Safe to call more than once.
void watchForStops();

// The monotonic clock in ns, less the stops counted so far. Never goes backwards, from whichever
// thread it is read.
Nanos runningNs();

// The whole time the process stood still so far, in ns.
Nanos stoppedNs();

namespace detail {
// The reckoning behind both, on a clock of the caller's: `now` is the monotonic time of the call
// (tests), `watcherTick` a wake-up of the watcher.
struct StopReckoning {
    static constexpr Nanos TICK = 10 * MILLISECOND;  // the watcher's sleep
    static constexpr Nanos GAP = 300 * MILLISECOND;  // no wake-up this long: stopped
    Nanos lastSeen = 0;                              // 0: not watching
    Nanos stopped = 0;
    Nanos lastRunning = 0;
    // Accounts for a gap that ends at `now`; returns the running time at `now`.
    Nanos at(Nanos now);
};
}  // namespace detail

}  // namespace Zorvek
