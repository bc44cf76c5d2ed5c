#include "process/time.h"

#include <time.h>

#include <cerrno>

namespace Zorvek {

Nanos monotonicNow() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<Nanos>(t.tv_sec) * SECOND + t.tv_nsec;
}

void sleepUntil(Nanos deadline) {
    // An absolute deadline: however long the wake-up takes, the next deadline is not pushed back.
    timespec t{static_cast<time_t>(deadline / SECOND), static_cast<long>(deadline % SECOND)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

}  // namespace Zorvek
