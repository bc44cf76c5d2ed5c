#pragma once
// The system's one clock: times and durations in nanoseconds on the monotonic clock, which no
// change of the wall clock moves, and a sleep to a deadline on it. The running time
// (process/running_time.h) is this clock less the spans in which the process stood still.

#include <cstdint>

namespace Zorvek {

// A time on the monotonic clock, or a duration, in nanoseconds.
using Nanos = std::int64_t;

constexpr Nanos SECOND = 1'000'000'000;
constexpr Nanos MILLISECOND = 1'000'000;

Nanos monotonicNow();

// Sleeps until `deadline` on the monotonic clock (at once when it has passed).
void sleepUntil(Nanos deadline);

}  // namespace Zorvek
