#pragma once

#include <cstdint>

#include "process/time.h"

namespace Zorvek {

// How many times something happens in each whole second of the monotonic clock, counted from the
// first time: for the median count per second, which one slow second does not move.
class PerSecond {
public:
    static constexpr int MAX_COUNTED = 1000;  // more in a second count as this

    void count(Nanos now);
    // The median of the counts of the whole seconds so far; 0 before the first has passed.
    int median() const;
    std::int64_t seconds() const { return secondsCounted; }

private:
    Nanos secondStart = 0;  // 0: nothing counted yet
    int thisSecond = 0;
    long perSecond[MAX_COUNTED + 1] = {};  // how many seconds saw each count
    std::int64_t secondsCounted = 0;
};

}  // namespace Zorvek
