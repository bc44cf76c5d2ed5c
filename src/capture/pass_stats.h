#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zorvek::capture {

// Pass times of a run, for the benchmark report.
struct PassTimes {
    double median = 0;
    double p99 = 0;
    double max = 0;
    std::int64_t count = 0;
};

// Median, 99th percentile (nearest rank) and maximum of the given times in ms.
PassTimes summarize(std::vector<double> ms);

// One timed pass and what it showed.
struct Moment {
    int time = 0;        // music time, ms
    double ms = 0;       // pass time
    std::string events;  // names of the active events
};

// Keeps the `capacity` slowest moments, slowest first.
class SlowestMoments {
public:
    explicit SlowestMoments(int capacity) : capacity(capacity) {}
    // Whether a pass of this length would enter the list (so the caller only then names it).
    bool qualifies(double ms) const;
    void add(Moment moment);
    const std::vector<Moment>& list() const { return moments; }

private:
    int capacity;
    std::vector<Moment> moments;
};

// How much more the first pass of a picture costs than the pass after it: what an effect does
// when it starts (borrowing frames, building maps) shows there.
struct FirstPass {
    int time = 0;        // music time of the first pass
    double extra = 0;    // its time less the next pass's, ms
    std::string events;  // the events that began there
};

// The first passes of `ms` (flagged in `begins`) with the most extra time, most first, at most
// `capacity`; `over` counts those more than `limit` ms over the pass after them. The last pass
// has none after it and is left out.
std::vector<FirstPass> costliestFirstPasses(const std::vector<int>& times, const std::vector<double>& ms,
                                            const std::vector<std::string>& begins, int capacity, double limit,
                                            int& over);

}  // namespace Zorvek::capture
