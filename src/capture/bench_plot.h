#pragma once
// A picture of a benchmark run: the time of every pass across the show on a logarithmic scale,
// the chapters marked at their keys, the budgets of 60, 144 and 240 Hz displays as lines, and
// the slowest moments labelled. Drawn with the graphics library, written as PNG.

#include <string>
#include <vector>

#include "capture/chapters.h"
#include "capture/pass_stats.h"

namespace Zorvek::capture {

struct BenchPlot {
    std::string title;       // what was measured (instruction set, threads)
    std::vector<int> times;  // music time of each pass, ms, rising
    std::vector<double> ms;  // its pass time
    std::vector<ChapterMark> chapters;
    std::vector<Moment> slowest;  // labelled, slowest first
};

// Image size of the chart.
constexpr int PLOT_WIDTH = 1280;
constexpr int PLOT_HEIGHT = 540;

// The top of the scale for these pass times: 25 ms, or doubled until the slowest fits.
double plotTop(const std::vector<double>& ms);
// Where a pass time is drawn: the row of the chart for `ms` on a scale from 0.05 ms to `top`
// (clamped to its ends).
int plotRow(double ms, double top);
// The column for music time `time` when the passes span `from` .. `to` ms.
int plotColumn(int time, int from, int to);

// Draws the chart and writes it to `file` as PNG; false with the reason when it cannot be
// written. Needs the graphics library installed.
bool writeBenchPlot(const std::string& file, const BenchPlot& plot, std::string& error);

}  // namespace Zorvek::capture
