#include "process/time.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace Zorvek {

Nanos monotonicNow() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<Nanos>(t.tv_sec) * SECOND + t.tv_nsec;
}

void sleepUntil(Nanos deadline) {
    // An absolute deadline: however long a wake-up takes, the next deadline is not pushed back.
    // The clock is read again after every sleep, and the sleep repeated while the deadline is
    // ahead: a sleep may end early (a signal; and Windows' POSIX threads library returns from an
    // absolute sleep at once), and an early pass would run the show fast.
    for (Nanos now = monotonicNow(); now < deadline; now = monotonicNow())
        std::this_thread::sleep_for(std::chrono::nanoseconds(deadline - now));
}

}  // namespace Zorvek
