#include "capture/bench_report.h"

#include <cstdio>

#include "capture/bench_plot.h"
#include "capture/chapters.h"
#include "effects/effect.h"
#include "effects/instruction_sets.h"
#include "parallel/worker_pool.h"
#include "timeline/timeline.h"

namespace Zorvek::capture {

namespace {

std::string activeNames(const Timeline& timeline) {
    std::string names;
    for (TimelineEvent* const* r = timeline.active; *r; ++r) {
        if (!names.empty()) names += ", ";
        names += (*r)->effect->name();
    }
    return names;
}

// The names of the events whose first pass this is: those that began after the previous pass.
std::string beginningNames(const Timeline& timeline, int previousTime, bool firstPass) {
    std::string names;
    for (TimelineEvent* const* r = timeline.active; *r; ++r) {
        if (!firstPass && (*r)->start <= previousTime) continue;
        if (!names.empty()) names += ", ";
        names += (*r)->effect->name();
    }
    return names;
}

void printLine(const char* name, const PassTimes& t, int threads) {
    std::printf("%-8s %7d %8lld %7.3fms %7.3fms %7.3fms %10.0f\n", name, threads, static_cast<long long>(t.count),
                t.median, t.p99, t.max, t.median > 0 ? 1000.0 / t.median : 0.0);
}

void printChapters(const BenchRecord& record, int threads) {
    const std::vector<ChapterMark> chapters = chapterStarts();
    for (std::size_t c = 0; c < chapters.size(); ++c) {
        int from = chapters[c].start;
        int to = c + 1 < chapters.size() ? chapters[c + 1].start : 1 << 30;
        std::vector<double> part;
        for (std::size_t i = 0; i < record.times.size(); ++i)
            if (record.times[i] >= from && record.times[i] < to) part.push_back(record.ms[i]);
        if (!part.empty()) printLine(chapters[c].name.c_str(), summarize(part), threads);
    }
    printLine("show", summarize(record.ms), threads);
}

}  // namespace

BenchRecord::BenchRecord(std::int64_t passes) {
    times.reserve(static_cast<std::size_t>(passes));
    ms.reserve(static_cast<std::size_t>(passes));
    begins.reserve(static_cast<std::size_t>(passes));
}

void BenchRecord::add(int time, double passMs, const Timeline& timeline, bool first) {
    begins.push_back(beginningNames(timeline, times.empty() ? 0 : times.back(), first));
    times.push_back(time);
    ms.push_back(passMs);
    if (slowest.qualifies(passMs)) slowest.add({time, passMs, activeNames(timeline)});
}

void printBench(const Options& o, const BenchRecord& record, int threads) {
    std::printf("pass times over %d..%d ms at %d frames/s, %llu passes, %d thread%s; processor: %s, %d cores\n", o.from,
                o.to, o.fps, static_cast<unsigned long long>(record.ms.size()), threads, threads == 1 ? "" : "s",
                instructionSets::describe(), coreCount());
    std::printf("%-8s %7s %8s %9s %9s %9s %10s\n", "chapter", "threads", "passes", "median", "p99", "max", "fps(med)");
    printChapters(record, threads);
    std::printf("slowest moments:\n");
    for (const Moment& m : record.slowest.list())
        std::printf("  %7.3fms at %02d:%02d.%03d  %s\n", m.ms, m.time / 60000, (m.time / 1000) % 60, m.time % 1000,
                    m.events.c_str());
    int over = 0;
    const std::vector<FirstPass> firsts = costliestFirstPasses(record.times, record.ms, record.begins, 5, 1.0, over);
    std::printf("first passes more than 1 ms over the next: %d; costliest:\n", over);
    for (const FirstPass& f : firsts)
        std::printf("  %+7.3fms at %02d:%02d.%03d  %s\n", f.extra, f.time / 60000, (f.time / 1000) % 60, f.time % 1000,
                    f.events.c_str());
}

bool writePlot(const Options& o, const BenchRecord& record, int threads) {
    if (o.plot.empty()) return true;
    BenchPlot plot;
    const PassTimes t = summarize(record.ms);
    char title[200];
    std::snprintf(title, sizeof title,
                  "velmora-capture --bench: %lld passes at %d frames/s, %d thread%s, %s; median %.3f ms, p99 %.3f ms, "
                  "max %.3f ms",
                  static_cast<long long>(t.count), o.fps, threads, threads == 1 ? "" : "s", instructionSets::describe(),
                  t.median, t.p99, t.max);
    plot.title = title;
    plot.times = record.times;
    plot.ms = record.ms;
    plot.chapters = chapterStarts();
    plot.slowest = record.slowest.list();
    std::string error;
    if (writeBenchPlot(o.plot, plot, error)) return true;
    std::fprintf(stderr, "velmora-capture: %s\n", error.c_str());
    return false;
}

bool writeTimes(const std::filesystem::path& file, const BenchRecord& record) {
    if (file.empty()) return true;
    std::FILE* f = std::fopen(file.string().c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "velmora-capture: cannot write %s\n", file.string().c_str());
        return false;
    }
    for (std::size_t i = 0; i < record.times.size(); ++i)
        std::fprintf(f, "%d\t%.4f\t%s\n", record.times[i], record.ms[i], record.begins[i].c_str());
    return std::fclose(f) == 0;
}

}  // namespace Zorvek::capture
