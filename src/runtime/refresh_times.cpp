#include "runtime/refresh_times.h"

#include <cstdlib>

namespace Zorvek {

int RefreshTimes::at(int ms, Nanos present, Nanos interval) {
    if (set && interval > 0) {
        // Whole refreshes since the time was set: a present a little early or late is the same
        // refresh.
        const Nanos refreshes = (present - fromPresent + interval / 2) / interval;
        int steady = fromMs + static_cast<int>(refreshes * interval / MILLISECOND);
        const int apart = ms - steady;
        if (refreshes >= 0 && std::abs(apart) <= TOLERANCE_MS) {
            // A drift is followed a step at a time: never more than a millisecond a refresh.
            if (apart > STEADY_MS) ++fromMs, ++steady;
            if (apart < -STEADY_MS) --fromMs, --steady;
            return steady;
        }
    }
    set = true;
    fromMs = ms;
    fromPresent = present;
    return ms;
}

}  // namespace Zorvek
