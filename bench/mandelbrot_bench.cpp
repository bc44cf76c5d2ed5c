// One update + render of each Mandelbrot zoom at 320 × 240.
#include <benchmark/benchmark.h>

#include "effects/mandelbrot.h"
#include "effects/mandelbrot_kernels.h"
#include "reference/mandelbrot_reference.h"
#include "support/headless.h"

using namespace Zorvek;

namespace {

template <class Zoom>
struct Running {
    testing::HeadlessDemo demo;
    Zoom zoom;
    Running() {
        zoom.init(&demo);
        zoom.start();
    }
    ~Running() { zoom.stop(); }
};

template <class Zoom>
void zoomPass(benchmark::State& state) {
    Running<Zoom> r;
    const int time = static_cast<int>(state.range(0));
    for (auto _ : state) {
        r.zoom.update(time);
        r.zoom.render();
        --r.demo.frameCount;
        benchmark::DoNotOptimize(r.zoom.frame->line[0][0]);
    }
}

// The same picture through one kernel, or through the plain evaluation.
template <class Zoom>
void zoomKernel(benchmark::State& state) {
    Running<Zoom> r;
    const int time = static_cast<int>(state.range(0));
    const auto kernel = static_cast<mandelbrotKernels::Kernel>(state.range(1));
    if (!mandelbrotKernels::available(kernel)) {
        state.SkipWithError("kernel not supported by this processor");
        return;
    }
    for (auto _ : state) {
        r.zoom.update(time);
        mandelbrotKernels::render(r.zoom.frame, {r.zoom.centreX, r.zoom.centreY, r.zoom.viewHeight}, r.zoom.palette,
                                  kernel);
        benchmark::DoNotOptimize(r.zoom.frame->line[0][0]);
    }
}

template <class Zoom>
void zoomPlain(benchmark::State& state) {
    Running<Zoom> r;
    const int time = static_cast<int>(state.range(0));
    for (auto _ : state) {
        r.zoom.update(time);
        reference::PlainMandelbrot{r.zoom.frame, r.zoom.centreX, r.zoom.centreY, r.zoom.viewHeight, r.zoom.palette}
            .render();
        benchmark::DoNotOptimize(r.zoom.frame->line[0][0]);
    }
}

// A view inside the set, where no point escapes and every iterated point takes all 256 steps:
// the kernels' cost of a step alone, without escapes and refills. The rows and columns filled
// from agreeing neighbours leave 121 of 240 rows iterated in the medium renderer, and every other
// column of 120 rows in the fine one (and one more, where the first row's first pair meets the
// black before it); items per second are point-steps per second.
void insideSteps(benchmark::State& state) {
    Running<Mandelbrot101> r;
    const auto kernel = static_cast<mandelbrotKernels::Kernel>(state.range(1));
    if (!mandelbrotKernels::available(kernel)) {
        state.SkipWithError("kernel not supported by this processor");
        return;
    }
    const bool fine = state.range(0) == 0;
    const mandelbrotKernels::View view{-(std::int64_t{1} << 32) / 10, 0, fine ? 0x1000 : 0x1000000};
    const long points = fine ? 120 * 160 + 1 : 121 * 320;
    for (auto _ : state) {
        mandelbrotKernels::render(r.zoom.frame, view, r.zoom.palette, kernel);
        benchmark::DoNotOptimize(r.zoom.frame->line[0][0]);
    }
    state.SetItemsProcessed(state.iterations() * points * 256);
}

}  // namespace

// Across the whole period, to find the slowest local times (run with --benchmark_filter=Sweep).
BENCHMARK(zoomPass<Mandelbrot101>)->Name("Sweep/Mandelbrot101")->DenseRange(0, 24900, 100)->MinTime(0.02);
BENCHMARK(zoomPass<Mandelbrot102>)->Name("Sweep/Mandelbrot102")->DenseRange(0, 24900, 100)->MinTime(0.02);
// Around the slowest stretches the sweep shows, in finer steps.
BENCHMARK(zoomPass<Mandelbrot101>)->Name("Peak/Mandelbrot101")->DenseRange(16800, 18400, 50);
BENCHMARK(zoomPass<Mandelbrot102>)->Name("Peak/Mandelbrot102")->DenseRange(16800, 19800, 50);
// The deepest frames of each zoom, through the effect (on the demo's pool: VELMORA_THREADS sets
// its size), through each kernel on one thread (0 portable, 1 AVX2, 2 AVX-512) and through the
// plain evaluation. (Deep in the 64-bit renderer about 50000 points take about six million steps
// in all; in Mandelbrot102's deepest frames neighbouring pixels share points, and the slowest
// frames of both now lie near 17700-18000. The widest coarse views, near 5000, come next; 101/15000
// and 102/11000 are among the slowest of the medium renderer's.)
BENCHMARK(zoomPass<Mandelbrot101>)->Name("Mandelbrot101")->Arg(17550)->Arg(18100)->Arg(18150)->Arg(5000);
BENCHMARK(zoomPass<Mandelbrot102>)->Name("Mandelbrot102")->Arg(19250)->Arg(19300)->Arg(19400)->Arg(5000);
BENCHMARK(zoomKernel<Mandelbrot101>)
    ->Name("Kernel/Mandelbrot101")
    ->ArgsProduct({{17550, 18100, 18150, 15000, 5000}, {0, 1, 2}});
BENCHMARK(zoomKernel<Mandelbrot102>)
    ->Name("Kernel/Mandelbrot102")
    ->ArgsProduct({{19250, 19300, 19400, 11000, 5000}, {0, 1, 2}});
BENCHMARK(insideSteps)->Name("Steps")->ArgNames({"medium", "kernel"})->ArgsProduct({{0, 1}, {0, 1, 2}});
BENCHMARK(zoomPlain<Mandelbrot101>)->Name("Plain/Mandelbrot101")->Arg(17550)->Arg(18100)->Arg(18150)->Arg(5000);
BENCHMARK(zoomPlain<Mandelbrot102>)->Name("Plain/Mandelbrot102")->Arg(19250)->Arg(19300)->Arg(19400)->Arg(5000);
