// One update + render at 320 x 240 for each generated-image effect of the spiral, grating, ray
// caster, movie, card and melon families. The local time walks through the period so that the
// figure covers the whole loop of the effect.

#include <benchmark/benchmark.h>

#include "effects/melon.h"
#include "effects/menace_movie.h"
#include "effects/mibobo.h"
#include "effects/spirals.h"
#include "effects/syncobeam.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

HeadlessDemo& demo() {
    static HeadlessDemo instance;
    return instance;
}

// A frame of one colour that lives as long as the program (benchmarks link no test support).
BITMAP* frameOf(int colour) {
    demo();
    BITMAP* b = create_bitmap_ex(32, 320, 240);
    clear_to_color(b, colour);
    return b;
}

// Runs passes of `effect` over `below` (null for a generator), stepping the local time.
template <class E>
void passes(benchmark::State& state, E& effect, BITMAP* below, int step) {
    Demo& d = demo();
    int time = 0;
    for (auto _ : state) {
        if (below) pushFrame(d, below);
        effect.update(time);
        effect.render();
        benchmark::DoNotOptimize(d.frames[d.frameCount - 1]);
        d.frameCount = 1;
        time = (time + step) % effect.period;
    }
}

template <class S>
void BM_Spiral(benchmark::State& state) {
    static S spiral;
    spiral.init(&demo());
    static BITMAP* black = frameOf(0x000000);
    passes(state, spiral, black, 37);
}
BENCHMARK(BM_Spiral<Spiral101>)->Name("Spiral101");
BENCHMARK(BM_Spiral<Spiral102>)->Name("Spiral102");
BENCHMARK(BM_Spiral<Spiral103>)->Name("Spiral103");
BENCHMARK(BM_Spiral<Spiral104>)->Name("Spiral104");

void BM_Grating(benchmark::State& state) {
    static ParallelLineInterferenceEffect lines;
    lines.init(&demo());
    lines.start();
    passes(state, lines, nullptr, 97);
    lines.stop();
}
BENCHMARK(BM_Grating)->Name("ParallelLineInterference");

void BM_Syncobeam(benchmark::State& state) {
    static SyncobeamEffect beam;
    beam.init(&demo());
    beam.originX = 160;
    beam.originY = 60;
    beam.centreX = 160;
    beam.centreY = 120;
    beam.period = 1950;
    // Magenta with a picture in the middle, as the ray caster sees it in the show.
    static BITMAP* below = frameOf(0xFF00FF);
    rectfill(below, 100, 90, 220, 180, 0x3366CC);
    beam.start();
    passes(state, beam, below, 37);
    beam.stop();
}
BENCHMARK(BM_Syncobeam)->Name("Syncobeam");

void BM_Movie(benchmark::State& state) {
    // A ten-frame strip of varied colours in the loader, as the show's movies are.
    Demo& d = demo();
    BITMAP* strip = create_bitmap_ex(32, 80, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 80; ++x) putpixel(strip, x, y, (x * 3 << 16) | (y << 8) | (x ^ y));
    d.loader.datafile = "bench.dat";
    d.loader.insert("bench.dat#MOVIE_PNG", strip, 0, Loader::KIND_IMAGE);
    {
        MenaceMovieEffect movie;
        movie.load(&d, "MOVIE_PNG", 49);
        movie.start();
        passes(state, movie, nullptr, 13);
        movie.stop();
    }
    d.loader.unloadImage(strip);
}
BENCHMARK(BM_Movie)->Name("MenaceMovie");

void BM_Card(benchmark::State& state) {
    Demo& d = demo();
    BITMAP* photo = create_bitmap_ex(32, 320, 240);
    BITMAP* texture = create_bitmap_ex(32, 256, 256);
    clear_to_color(photo, 0x336699);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) putpixel(texture, x, y, (x << 16) | (y << 8) | (x ^ y));
    d.loader.datafile = "bench.dat";
    d.loader.insert("bench.dat#MIBOBO_PHOTO_PNG", photo, 0, Loader::KIND_IMAGE);
    d.loader.insert("bench.dat#MIBOBO_TEXTURE_PNG", texture, 0, Loader::KIND_IMAGE);
    {
        MiboboEffect card;
        card.init(&d);
        card.start();
        passes(state, card, nullptr, 37);
        card.stop();
    }
    d.loader.unloadImage(photo);
    d.loader.unloadImage(texture);
}
BENCHMARK(BM_Card)->Name("MiboboCard");

void BM_Melon(benchmark::State& state) {
    Demo& d = demo();
    BITMAP* melon = create_bitmap_ex(32, 64, 64);
    clear_to_color(melon, 0x30C030);
    circlefill(melon, 10, 10, 8, 0xFF00FF);
    d.loader.datafile = "bench.dat";
    d.loader.insert("bench.dat#MELON_PNG", melon, 0, Loader::KIND_IMAGE);
    static BITMAP* below = frameOf(0x000000);
    {
        BouncyMelonEffect bouncer;
        bouncer.load(&d, "MELON_PNG", 244, 164);
        passes(state, bouncer, below, 13);
    }
    d.loader.unloadImage(melon);
}
BENCHMARK(BM_Melon)->Name("BouncyMelon");

}  // namespace
