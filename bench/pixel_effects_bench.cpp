// One update + render of every image, mixer, filter and per-pixel frame effect at 320 x 240,
// with the frames a pass would hand them.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>

#include "effects/filters.h"
#include "effects/copy_and_trash.h"
#include "effects/feedback.h"
#include "effects/fills.h"
#include "effects/noise.h"
#include "effects/rgbug.h"
#include "effects/vertical_flipper.h"
#include "effects/image_effects.h"
#include "effects/mixers.h"
#include "support/frame_flow.h"
#include "timeline/timeline.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A new 32-bit frame (the benchmarks do not link the test support library).
BITMAP* blank(int width = 320, int height = 240) {
    BITMAP* b = create_bitmap_ex(32, width, height);
    clear_to_color(b, 0);
    return b;
}

// A headless demo with two different pictures to feed effects, and pictures in the loader.
struct Bench {
    Stage stage;
    Bitmap lower{Bitmap::Adopt{}, blank()};
    Bitmap upper{Bitmap::Adopt{}, blank()};
    TimelineEvent event{nullptr, 0, 999, 1000, 0};

    Bench() {
        scramble(lower, 1);
        scramble(upper, 2);
        BITMAP* photo = stage.picture("PHOTO_PNG", blank());
        scramble(photo, 3);
        BITMAP* sprite = stage.picture("SPRITE_PNG", blank());
        scramble(sprite, 4);
        for (int y = 0; y < 240; ++y)  // a third of the sprite is the mask colour
            for (int x = 0; x < 320; x += 3) setPixel(sprite, x, y, 0xFF00FF);
        BITMAP* glass = stage.picture("GLASS_PNG", blank());
        scramble(glass, 5);
        for (int y = 0; y < 240; ++y)  // every alpha value, most of them neither 0 nor 255
            for (int x = 0; x < 320; ++x) setPixel(glass, x, y, (pixel(glass, x, y) & 0xFFFFFF) | (x & 0xFF) << 24);
        BITMAP* halves = stage.picture("HALVES_PNG", blank(320, 480));
        scramble(halves, 6);
    }

    // update + render per iteration, with `inputs` on the stack as the pass before left them.
    void run(benchmark::State& state, Effect& effect, std::initializer_list<BITMAP*> inputs, int time = 500) {
        effect.event = &event;
        event.effect = &effect;
        effect.start();
        for (auto _ : state) {
            stage.demo.frameCount = 1;
            for (BITMAP* b : inputs) pushFrame(stage.demo, b);
            effect.update(time);
            effect.render();
            benchmark::ClobberMemory();
        }
        effect.stop();
    }
};

template <class Mixer>
void mixer(benchmark::State& state) {
    Bench b;
    Mixer m;
    m.init(&b.stage.demo);
    b.run(state, m, {b.lower, b.upper});
}

template <class Filter>
void filter(benchmark::State& state) {
    Bench b;
    Filter f;
    f.init(&b.stage.demo);
    b.run(state, f, {b.lower});
}

// Effects that need nothing below them, or one frame to draw on or to take.
template <class E>
void generator(benchmark::State& state) {
    Bench b;
    E e;
    e.init(&b.stage.demo);
    b.run(state, e, {});
}

template <class E>
void onPicture(benchmark::State& state) {
    Bench b;
    E e;
    e.init(&b.stage.demo);
    b.run(state, e, {b.lower});
}

void speckle(benchmark::State& state) {
    Bench b;
    SpeckleEffect e;
    e.init(&b.stage.demo);
    e.saltCount = 32;
    e.pepperCount = 32;
    b.run(state, e, {b.lower});
}

void feeder(benchmark::State& state) {
    Bench b;
    FeedbackFeederEffect e;
    e.init(&b.stage.demo);
    e.feedbackFrame = b.stage.demo.display.borrowScratch();
    b.run(state, e, {});
}

void eater(benchmark::State& state) {
    Bench b;
    FeedbackFeederEffect f;
    FeedbackEaterEffect e;
    f.init(&b.stage.demo);
    f.feedbackFrame = b.stage.demo.display.borrowScratch();
    e.init(&b.stage.demo);
    e.feeder = &f;
    b.run(state, e, {b.lower});
}

void flipper(benchmark::State& state) {
    Bench b;
    VerticalFlipperEffect e;
    e.init(&b.stage.demo);
    b.run(state, e, {b.lower}, 1000);
}

template <class E>
void imageGenerator(benchmark::State& state) {
    Bench b;
    E e;
    e.load(&b.stage.demo, "PHOTO_PNG");
    b.run(state, e, {});
}

template <class E>
void blitter(benchmark::State& state, const char* picture) {
    Bench b;
    E e;
    e.load(&b.stage.demo, picture, 0, 0);
    b.run(state, e, {b.lower});
}
void blit(benchmark::State& state) { blitter<ImageBlitEffect>(state, "PHOTO_PNG"); }
void sprite(benchmark::State& state) { blitter<SpriteBlitEffect>(state, "SPRITE_PNG"); }
void alphaBlit(benchmark::State& state) { blitter<AlphaBlitEffect>(state, "GLASS_PNG"); }

void scroller(benchmark::State& state) {
    Bench b;
    HorScrollBlitEffect e;
    e.load(&b.stage.demo, "PHOTO_PNG", 0, 1000);
    b.run(state, e, {b.lower}, 500);
}

void interlace(benchmark::State& state) {
    Bench b;
    InterlaceEffect e;
    e.load(&b.stage.demo, "HALVES_PNG");
    b.run(state, e, {b.lower});
}

void configure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMicrosecond)->MinTime(0.1)->Repetitions(5)->ReportAggregatesOnly(true);
}

}  // namespace

BENCHMARK(mixer<MixMaxEffect>)->Apply(configure);
BENCHMARK(mixer<MixMinEffect>)->Apply(configure);
BENCHMARK(mixer<MixMulEffect>)->Apply(configure);
BENCHMARK(mixer<MixXorEffect>)->Apply(configure);
BENCHMARK(mixer<Mix5050Effect>)->Apply(configure);
BENCHMARK(mixer<Mix2575Effect>)->Apply(configure);
BENCHMARK(mixer<Mix7525Effect>)->Apply(configure);
BENCHMARK(mixer<Dither5050Effect>)->Apply(configure);
BENCHMARK(mixer<CrossfadeEffect>)->Apply(configure);

BENCHMARK(filter<Soften3x3Effect>)->Apply(configure);
BENCHMARK(filter<Blur3x3Effect>)->Apply(configure);
BENCHMARK(filter<Sharpen3x3Effect>)->Apply(configure);
BENCHMARK(filter<Emboss3x3Effect>)->Apply(configure);
BENCHMARK(filter<Edge3x3Effect>)->Apply(configure);

BENCHMARK(generator<BlacknessEffect>)->Apply(configure);
BENCHMARK(generator<WhitenessEffect>)->Apply(configure);
BENCHMARK(generator<MagicPinkEffect>)->Apply(configure);
BENCHMARK(generator<CanvasEffect>)->Apply(configure);
BENCHMARK(onPicture<CopyEffect>)->Apply(configure);
BENCHMARK(onPicture<TrashEffect>)->Apply(configure);
BENCHMARK(generator<NoiseEffect>)->Apply(configure);
BENCHMARK(onPicture<RgbugEffect>)->Apply(configure);
BENCHMARK(speckle)->Apply(configure);
BENCHMARK(flipper)->Apply(configure);
BENCHMARK(onPicture<RainbowSeed>)->Apply(configure);
BENCHMARK(feeder)->Apply(configure);
BENCHMARK(eater)->Apply(configure);

BENCHMARK(imageGenerator<ImageEffect>)->Apply(configure);
BENCHMARK(imageGenerator<ProtectedImageEffect>)->Apply(configure);
BENCHMARK(blit)->Apply(configure);
BENCHMARK(sprite)->Apply(configure);
BENCHMARK(alphaBlit)->Apply(configure);
BENCHMARK(scroller)->Apply(configure);
BENCHMARK(interlace)->Apply(configure);
