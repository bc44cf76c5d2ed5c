#pragma once

#include <string>
#include <vector>

namespace Zorvek::capture {

// Pass times of a run, for the benchmark report.
struct PassTimes {
    double median = 0;
    double p99 = 0;
    double max = 0;
    long count = 0;
};

// Median, 99th percentile (nearest rank) and maximum of the given times in ms.
PassTimes summarize(std::vector<double> ms);

// One timed pass and what it showed.
struct Moment {
    int time = 0;       // music time, ms
    double ms = 0;      // pass time
    std::string events; // names of the active events
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

}  // namespace Zorvek::capture
