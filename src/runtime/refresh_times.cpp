#include "runtime/refresh_times.h"

#include <cstdlib>

namespace Zorvek {

int RefreshTimes::at(int ms, Nanos present, Nanos interval) {
    if (set && interval > 0) {
        // Whole refreshes since the time was set: a present a little early or late is the same
        // refresh.
        const Nanos refreshes = (present - fromPresent + interval / 2) / interval;
        const int steady = fromMs + static_cast<int>(refreshes * interval / 1'000'000);
        if (refreshes >= 0 && std::abs(steady - ms) <= TOLERANCE_MS) return steady;
    }
    set = true;
    fromMs = ms;
    fromPresent = present;
    return ms;
}

}  // namespace Zorvek
