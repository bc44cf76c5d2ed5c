#pragma once

#include <cstdint>

#include "process/pass_rate.h"

namespace Zorvek {

class Timeline;

// The music times that the show's state-carrying passes run at: PASSES_PER_SECOND, as the show
// was made, counted from where the show last landed (its start, a jump, a seek, the rewind). Pass
// n is at anchor + n * 1000 / 60 ms, truncated: the frame times of a 60 frames/s capture that
// begins at the anchor.
class PassGrid {
public:
    static constexpr int RATE = PASSES_PER_SECOND;

    void anchor(int ms) { from = ms; }
    int anchoredAt() const { return from; }
    int time(std::int64_t n) const;
    // The last pass due by `ms`: the largest n with time(n) <= ms; -1 before the anchor.
    std::int64_t latestBy(int ms) const;

private:
    int from = 0;
};

// Whether the picture at `ms` depends on the passes before it: some event active then has an
// effect that keeps a picture or a counter from pass to pass, or draws a random pattern. Leaves
// the timeline's query state alone.
bool passCountMatters(const Timeline& timeline, int ms);

}  // namespace Zorvek
