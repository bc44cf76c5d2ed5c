#include "display/pacer.h"

#include <algorithm>

namespace Zorvek {

namespace {
// Below this share of a refresh, the median interval says that presents do not wait for the
// display. Real vsync never goes below one refresh, whatever the passes cost.
constexpr double VSYNC_FLOOR = 0.7;
// Intervals looked at before vsync is judged: enough to ride over the first presents, which
// some drivers return at once while their queue fills.
constexpr int VSYNC_SAMPLES = 16;
// Passes late by up to this many refreshes (a busy moment, a machine under load) are caught up:
// they are presented at once and the series keeps its slots, so no pass is lost from the second.
constexpr int MOST_BEHIND = 3;

Nanos medianOf(const Nanos* values, int n) {
    Nanos copy[Pacer::RECENT];
    std::copy(values, values + n, copy);
    std::nth_element(copy, copy + n / 2, copy + n);
    return copy[n / 2];
}
}  // namespace

void Pacer::setDisplay(int refreshHz, bool vsync) {
    rate = refreshHz > 0 ? refreshHz : DEFAULT_RATE;
    period = SECOND / rate;
    byVsync = vsync && !vsyncFailed;
    sinceVsyncClaim = 0;
    slot = 0;
}

Nanos Pacer::presentAt(Nanos now) {
    if (byVsync) return now;
    Nanos next = slot + period;
    // First present, or far behind: a new series of slots starts now.
    if (slot == 0 || now > next + MOST_BEHIND * period) next = now;
    slot = next;
    return std::max(next, now);
}

Nanos Pacer::nextPresent(Nanos now) const {
    if (byVsync) return lastPresent != 0 ? std::max(now, lastPresent + period) : now;
    const Nanos next = slot + period;
    if (slot == 0 || now > next + MOST_BEHIND * period) return now;
    return std::max(next, now);
}

bool Pacer::presented(Nanos now) {
    if (lastPresent != 0) {
        intervals[intervalNext] = now - lastPresent;
        intervalNext = (intervalNext + 1) % RECENT;
        intervalCount = std::min(intervalCount + 1, RECENT);
        ++sinceVsyncClaim;
    }
    lastPresent = now;
    if (!byVsync || sinceVsyncClaim < VSYNC_SAMPLES) return false;
    const int n = std::min(intervalCount, VSYNC_SAMPLES);
    Nanos recent[RECENT];
    for (int i = 0; i < n; ++i) recent[i] = intervals[(intervalNext - 1 - i + RECENT) % RECENT];
    if (static_cast<double>(medianOf(recent, n)) >= VSYNC_FLOOR * static_cast<double>(period)) return false;
    byVsync = false;
    vsyncFailed = true;
    slot = 0;
    return true;
}

double Pacer::recentRate() const {
    if (intervalCount < 4) return 0.0;
    const Nanos median = medianOf(intervals, intervalCount);
    return median > 0 ? static_cast<double>(SECOND) / static_cast<double>(median) : 0.0;
}

}  // namespace Zorvek
