#include "runtime/pass_grid.h"

#include "effects/effect.h"
#include "timeline/timeline.h"

namespace Zorvek {

int PassGrid::time(std::int64_t n) const { return from + static_cast<int>(n * 1000 / RATE); }

std::int64_t PassGrid::latestBy(int ms) const {
    // time(n) <= ms  <=>  n * 1000 / RATE < d + 1  <=>  n < (d + 1) * RATE / 1000, for d = ms - from.
    const long long d = static_cast<long long>(ms) - from;
    if (d < 0) return -1;
    return ((d + 1) * RATE - 1) / 1000;
}

bool passCountMatters(const Timeline& timeline, int ms) {
    // Starts never decrease: the first event that has not begun ends the walk.
    for (int i = 0; i < timeline.count && timeline.events[i].start <= ms; ++i) {
        const TimelineEvent& e = timeline.events[i];
        if (ms <= e.end && (e.effect->carriesState() || e.effect->drawsRandom())) return true;
    }
    return false;
}

}  // namespace Zorvek
