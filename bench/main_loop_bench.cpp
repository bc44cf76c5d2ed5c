// What the main loop itself costs per pass, apart from the effects: the schedule query, starting
// and stopping, local times, the frame stack check and the overlays, with nine events active as
// at the show's busiest moments.
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <memory>

#include "effects/effect.h"
#include "runtime/clock.h"
#include "runtime/controls.h"
#include "runtime/main_loop.h"
#include "support/headless.h"

using namespace Zorvek;

namespace {

// Pushes its frame without drawing: only the loop's own work is measured.
class Ground : public ProtectedFrameEffect {
public:
    void render() override { push(frame); }
};

void BM_PassWithNineActiveEvents(benchmark::State& state) {
    auto demo = std::make_unique<testing::HeadlessDemo>();
    Ground ground;
    Effect overlays[8];
    ground.init(demo.get());
    for (Effect& e : overlays) e.init(demo.get());
    // 722 events in 287 s: the ground throughout, overlays coming and going.
    demo->timeline.add(0, 287000, &ground);
    for (int i = 0; i < 721; ++i) demo->timeline.add(i * 397, 3000, &overlays[i % 8], i);
    const bool overlaysOn = state.range(0) != 0;
    showFps = showEvents = showClock = overlaysOn;
    ManualClock clock;
    MainLoop loop(*demo, clock);
    loop.begin();
    int t = 0;
    for (auto _ : state) {
        clock.ms = t;
        benchmark::DoNotOptimize(loop.pass());
        t = t + 16 < 287000 ? t + 16 : 0;
    }
    loop.end();
    resetControls();
}
BENCHMARK(BM_PassWithNineActiveEvents)->ArgName("overlays")->Arg(0)->Arg(1);

}  // namespace
