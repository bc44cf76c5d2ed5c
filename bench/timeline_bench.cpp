// The schedule query of the main loop, over a schedule the size of the show's (722 events in
// 287 s, a few active at a time, some long ones spanning whole chapters).
#include <benchmark/benchmark.h>

#include <memory>

#include "effects/effect.h"
#include "timeline/timeline.h"

using namespace Zorvek;

namespace {

constexpr int EVENTS = 722;
constexpr int SHOW_MS = 287000;

struct Schedule {
    std::unique_ptr<Timeline> timeline = std::make_unique<Timeline>();
    Effect effects[83];
    int maxActive = 0;

    Schedule() {
        unsigned seed = 12345;
        auto next = [&seed](unsigned n) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % n;
        };
        // Eleven chapter backgrounds, then short events spread evenly with random lengths.
        int chapter = SHOW_MS / 11;
        for (int i = 0; i < EVENTS; ++i) {
            int start = i * (SHOW_MS - 8000) / EVENTS;
            bool background = i % 66 == 0;
            int duration = background ? chapter : 400 + static_cast<int>(next(2600));
            timeline->add(start, duration, &effects[i % 83]);
        }
        for (int t = 0; t < SHOW_MS; t += 50) {
            timeline->cursor = 0;
            timeline->activeAt(t);
            if (timeline->activeCount > maxActive) maxActive = timeline->activeCount;
        }
    }
};

// One query per frame at 60 frames a second, through the whole show and round again.
void BM_ActiveAtForwardPlay(benchmark::State& state) {
    Schedule s;
    Timeline& timeline = *s.timeline;
    int t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(timeline.activeAt(t));
        t += 16;
        if (t >= SHOW_MS) {
            t = 0;
            timeline.cursor = 0;
        }
    }
    state.counters["maxActive"] = s.maxActive;
}
BENCHMARK(BM_ActiveAtForwardPlay);

// The first query after a seek backwards: the cursor is back at 0 and the finished prefix up to
// the target is walked again.
void BM_ActiveAtAfterBackwardSeek(benchmark::State& state) {
    Schedule s;
    Timeline& timeline = *s.timeline;
    const int target = static_cast<int>(state.range(0));
    for (auto _ : state) {
        timeline.cursor = 0;
        benchmark::DoNotOptimize(timeline.activeAt(target));
    }
}
BENCHMARK(BM_ActiveAtAfterBackwardSeek)->Arg(1000)->Arg(143500)->Arg(280000);

}  // namespace
