// One update + render of each metaball variant at 320 × 240, over a spread of local times.
#include <benchmark/benchmark.h>

#include "effects/metaball_field.h"
#include "effects/metaballs.h"
#include "reference/metaball_reference.h"
#include "support/headless.h"

using namespace Zorvek;

namespace {

template <class Variant>
struct Running {
    testing::HeadlessDemo demo;
    Variant effect;
    Running(int activeEvents) {
        effect.init(&demo);
        effect.start();
        demo.timeline.activeCount = activeEvents;
    }
    ~Running() { effect.stop(); }
};

// range(0): active events in the pass (MetaBalls101 renders at half width with one or two).
template <class Variant>
void pass(benchmark::State& state) {
    Running<Variant> r(static_cast<int>(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        r.effect.update(step++ * 97 % r.effect.period);
        r.effect.render();
        --r.demo.frameCount;
        benchmark::DoNotOptimize(r.effect.frame->line[0][0]);
    }
}

// The same passes evaluated plainly, one integer division at a time: the unoptimised baseline.
template <class Variant>
void plainPass(benchmark::State& state) {
    Running<Variant> r(static_cast<int>(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        r.effect.update(step++ * 97 % r.effect.period);
        metaballField::computeWeights(r.effect.balls, r.effect.ballCount);
        reference::PlainMetaballs{r.effect.frame, r.effect.balls, r.effect.ballCount}.render(r.effect.renderMode);
        benchmark::DoNotOptimize(r.effect.frame->line[0][0]);
    }
}

}  // namespace

BENCHMARK(pass<MetaBalls101>)->Name("MetaBalls101")->Arg(2)->Arg(3);
BENCHMARK(pass<MetaBalls102>)->Name("MetaBalls102")->Arg(2);
BENCHMARK(pass<MetaBalls103>)->Name("MetaBalls103")->Arg(2);
BENCHMARK(pass<MetaBalls104>)->Name("MetaBalls104")->Arg(2);
BENCHMARK(plainPass<MetaBalls101>)->Name("Plain/MetaBalls101")->Arg(2)->Arg(3);
BENCHMARK(plainPass<MetaBalls102>)->Name("Plain/MetaBalls102")->Arg(2);
BENCHMARK(plainPass<MetaBalls103>)->Name("Plain/MetaBalls103")->Arg(2);
BENCHMARK(plainPass<MetaBalls104>)->Name("Plain/MetaBalls104")->Arg(2);
