#pragma once
// The benchmark's report: what every timed pass took and what began there; the pass times per
// chapter, the slowest moments and the costliest first passes on standard output; on request
// the file of every pass and the chart.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/options.h"
#include "capture/pass_stats.h"

namespace Zorvek {
class Timeline;
}

namespace Zorvek::capture {

// What the benchmark keeps of the passes it timed, in the order they ran.
struct BenchRecord {
    std::vector<int> times;           // music time of each pass, ms
    std::vector<double> ms;           // how long it took
    std::vector<std::string> begins;  // the events that began there
    SlowestMoments slowest{10};

    // Room for `passes` passes, so that recording one allocates nothing.
    explicit BenchRecord(std::int64_t passes);
    // A pass at music time `time` that took `ms`, with the events active then on the timeline's
    // list; `first`: the capture's first pass, where every event begins.
    void add(int time, double passMs, const Timeline& timeline, bool first);
};

// The pass times per chapter and of the whole show, the slowest moments and the costliest first
// passes, on standard output.
void printBench(const Options& options, const BenchRecord& record, int threads);

// The chart of the passes, with the chapters at their keys, into the file --plot names (nothing
// without one). False when it cannot be written, said on standard error.
bool writePlot(const Options& options, const BenchRecord& record, int threads);

// One line per pass into `file` (nothing when it is empty): music time, pass time in ms, the
// events that began there, tab-separated. False when it cannot be written.
bool writeTimes(const std::filesystem::path& file, const BenchRecord& record);

}  // namespace Zorvek::capture
