#include "timing.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace composer {

SegmentTiming solveSegment(int rows, double startMs, double targetMs) {
    if (rows <= 0) throw std::invalid_argument("a segment needs rows");
    const long ticks = std::lround((targetMs - startMs) / TICK_MS);
    const long base = ticks / rows;
    long extra = ticks % rows;
    if (ticks <= 0 || base < 1 || base + (extra ? 1 : 0) > 31) throw std::out_of_range("segment speed outside 1..31");
    SegmentTiming t{std::vector<int>(rows, static_cast<int>(base)), startMs, startMs + ticks * TICK_MS};
    // The long rows go where they disturb the groove least: first the last sixteenth of each
    // beat, then the second, the third and last the downbeat, each time spread evenly.
    for (int slot : {3, 1, 2, 0}) {
        const long candidates = (rows - slot + 3) / 4;  // rows r < rows with r % 4 == slot
        const long take = std::min(extra, candidates);
        for (long i = 0; i < take; ++i) ++t.speeds[4 * ((2 * i + 1) * candidates / (2 * take)) + slot];
        extra -= take;
    }
    return t;
}

SegmentTiming solveGrid(int rows, double startMs, double gridStartMs, double targetMs) {
    if (rows <= 0) throw std::invalid_argument("a segment needs rows");
    const double rowMs = (targetMs - gridStartMs) / rows;
    SegmentTiming t{{}, startMs, 0.0};
    long tick = std::lround(startMs / TICK_MS);
    for (int k = 1; k <= rows; ++k) {
        const long next = std::lround((gridStartMs + k * rowMs) / TICK_MS);
        if (next - tick < 1 || next - tick > 31) throw std::out_of_range("segment speed outside 1..31");
        t.speeds.push_back(static_cast<int>(next - tick));
        tick = next;
    }
    t.endMs = tick * TICK_MS;
    return t;
}

std::vector<SegmentTiming> planTiming(const Song& song) {
    std::vector<SegmentTiming> plan;
    double now = 0.0;
    for (std::size_t i = 0; i < song.segments.size(); ++i) {
        const Segment& s = song.segments[i];
        const double end = i + 1 < song.segments.size() ? song.segments[i + 1].startMs : song.endMs;
        const int rows = static_cast<int>(s.rows.size());
        if (!s.onGrid && s.anchors.empty()) {
            plan.push_back(solveSegment(rows, now, end));
        } else {
            std::vector<Anchor> points = {{0, s.startMs}};
            points.insert(points.end(), s.anchors.begin(), s.anchors.end());
            points.push_back({rows, end});
            SegmentTiming whole{{}, now, now};
            for (std::size_t p = 0; p + 1 < points.size(); ++p) {
                const SegmentTiming piece =
                    solveGrid(points[p + 1].row - points[p].row, whole.endMs, points[p].atMs, points[p + 1].atMs);
                whole.speeds.insert(whole.speeds.end(), piece.speeds.begin(), piece.speeds.end());
                whole.endMs = piece.endMs;
            }
            plan.push_back(whole);
        }
        now = plan.back().endMs;
    }
    return plan;
}

}  // namespace composer
