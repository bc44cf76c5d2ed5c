#include "timing.h"

#include <cmath>
#include <stdexcept>

namespace composer {

SegmentTiming solveSegment(int rows, double startMs, double targetMs) {
    if (rows <= 0) throw std::invalid_argument("a segment needs rows");
    const long ticks = std::lround((targetMs - startMs) / TICK_MS);
    const long base = ticks / rows;
    const long extra = ticks % rows;
    if (ticks <= 0 || base < 1 || base + (extra ? 1 : 0) > 31) throw std::out_of_range("segment speed outside 1..31");
    SegmentTiming t{{}, startMs, startMs + ticks * TICK_MS};
    for (long r = 0; r < rows; ++r)  // the long rows fall evenly, each closing a run of short ones
        t.speeds.push_back(static_cast<int>(base + (r + 1) * extra / rows - r * extra / rows));
    return t;
}

std::vector<SegmentTiming> planTiming(const Song& song) {
    std::vector<SegmentTiming> plan;
    double now = 0.0;
    for (std::size_t i = 0; i < song.segments.size(); ++i) {
        const double end = i + 1 < song.segments.size() ? song.segments[i + 1].startMs : song.endMs;
        plan.push_back(solveSegment(static_cast<int>(song.segments[i].rows.size()), now, end));
        now = plan.back().endMs;
    }
    return plan;
}

}  // namespace composer
