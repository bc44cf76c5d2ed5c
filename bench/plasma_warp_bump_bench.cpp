// One update + render at 320 x 240 for the plasma, the warp maps and the bump maps, and the
// map computation of a warp map's start.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "effects/bumpmaps.h"
#include "effects/plasma.h"
#include "effects/warpmaps.h"
#include "support/headless.h"
#include "process/show_random.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

constexpr double PI = 3.14159265358979323846;

// A 32-bit bitmap of one colour (the benchmarks link the engine only, not the test support).
BITMAP* newFrame(std::uint32_t colour, int width = 320, int height = 240) {
    BITMAP* b = create_bitmap_ex(32, width, height);
    clear_to_color(b, static_cast<int>(colour));
    return b;
}

// Times spread over the period, so each figure is an average over the effect's whole cycle.
int timeAt(benchmark::State& state, int period) {
    return static_cast<int>(state.iterations() * 37 % static_cast<benchmark::IterationCount>(period));
}

template <class Plasma>
void BM_Plasma(benchmark::State& state) {
    HeadlessDemo demo;
    Plasma plasma;
    plasma.init(&demo);
    plasma.start();
    for (auto _ : state) {
        plasma.update(timeAt(state, plasma.period));
        plasma.render();
        demo.frameCount = 1;
    }
    plasma.stop();
}
BENCHMARK(BM_Plasma<PlasmaEffect>)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Plasma<Plasma101>)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// A picture worth warping: every pixel different.
void fillPattern(BITMAP* b) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) setPixel(b, x, y, static_cast<std::uint32_t>(x * 0x010203 ^ y * 0x030201));
}

template <class Warp>
void setUp(Warp& warp) {
    if constexpr (std::is_same_v<Warp, RotatingWarpmapEffect>) {
        warp.angle = static_cast<float>(-PI / 30);
        warp.scale = 0.98f;
    }
}

template <class Warp>
void BM_WarpRender(benchmark::State& state) {
    HeadlessDemo demo;
    BITMAP* source = newFrame(0);
    fillPattern(source);
    Warp warp;
    warp.init(&demo);
    setUp(warp);
    warp.start();
    for (auto _ : state) {
        pushFrame(demo, source);
        warp.update(timeAt(state, warp.period));
        warp.render();
        demo.frameCount = 1;
    }
    warp.stop();
    destroy_bitmap(source);
}
BENCHMARK(BM_WarpRender<RotatingWarpmapEffect>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WarpRender<SinusWarpmapEffect>)->Unit(benchmark::kMillisecond);

template <class Warp>
void BM_WarpStart(benchmark::State& state) {
    HeadlessDemo demo;
    Warp warp;
    warp.init(&demo);
    setUp(warp);
    for (auto _ : state) {
        warp.start();
        warp.stop();
    }
}
BENCHMARK(BM_WarpStart<RotatingWarpmapEffect>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WarpStart<SinusWarpmapEffect>)->Unit(benchmark::kMillisecond);

// A relief of soft random bumps and a round light, as the show's pictures are.
void makeImages(Demo& demo) {
    BITMAP* bump = newFrame(0);
    Zorvek::seedShowRand(5);
    for (int i = 0; i < 60; ++i) {
        const int grey = Zorvek::showRand() & 0xFF;
        circlefill(bump, Zorvek::showRand() % 320, Zorvek::showRand() % 240, 5 + Zorvek::showRand() % 30,
                   grey * 0x010101);
    }
    BITMAP* light = newFrame(0, 256, 256);
    for (int r = 128; r > 0; --r) circlefill(light, 128, 127, r, (255 - 2 * r + 1) * 0x010101);
    demo.loader.datafile = "bench.dat";
    demo.loader.insert("bench.dat#BUMP", bump, 0, 1);
    demo.loader.insert("bench.dat#LIGHT", light, 0, 1);
}

template <class Bump>
void BM_Bump(benchmark::State& state) {
    HeadlessDemo demo;
    makeImages(demo);
    {
        Bump bump;
        bump.load(&demo, "BUMP", "LIGHT");
        bump.start();
        for (auto _ : state) {
            bump.update(timeAt(state, bump.period));
            bump.render();
            demo.frameCount = 1;
        }
        bump.stop();
    }
    for (int i = demo.loader.count - 1; i >= 0; --i)
        demo.loader.unloadImage(static_cast<BITMAP*>(demo.loader.entries[i].data));
}
BENCHMARK(BM_Bump<BumpmapEffect>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bump<BumpmapMixEffect>)->Unit(benchmark::kMillisecond);

}  // namespace
