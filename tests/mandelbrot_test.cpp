#include <gtest/gtest.h>

#include <initializer_list>

#include "effects/mandelbrot.h"
#include "effects/mandelbrot_kernels.h"
#include "parallel/worker_pool.h"
#include "reference/mandelbrot_reference.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;
using mandelbrotKernels::Kernel;
using mandelbrotKernels::Precision;

namespace {

constexpr std::int64_t ONE = std::int64_t{1} << 32;

const Kernel KERNELS[] = {Kernel::Generic, Kernel::Avx2, Kernel::Avx512};

// A zoom that has been started, so that it holds its frame.
template <class Zoom>
struct Started {
    HeadlessDemo demo;
    Zoom zoom;
    Started() {
        zoom.init(&demo);
        zoom.start();
    }
    ~Started() { zoom.stop(); }
};

// Runs the checks once with each kernel this processor has forced as the effect's own.
template <class Checks>
void withEachKernel(const Checks& checks) {
    for (Kernel kernel : KERNELS) {
        if (!mandelbrotKernels::available(kernel)) continue;
        mandelbrotKernels::force(kernel);
        SCOPED_TRACE(::testing::Message() << "kernel " << static_cast<int>(kernel));
        checks();
    }
    mandelbrotKernels::force(mandelbrotKernels::fastest());
}

// More threads than this machine may have cores, so that bands of one phase interleave.
WorkerPool& threePool() {
    static WorkerPool pool(3);
    return pool;
}

// Renders the view through every kernel this processor has, on one thread and on a pool, and
// through the plain evaluation, into frames that start with the same stale contents, and
// compares every pixel.
void expectSameAsPlain(int w, int h, std::int64_t cx, std::int64_t cy, std::int64_t height,
                       const std::uint32_t* palette) {
    Bitmap expected(0x123456, w, h);
    reference::PlainMandelbrot{expected, cx, cy, height, palette}.render();
    for (Kernel kernel : KERNELS) {
        if (!mandelbrotKernels::available(kernel)) continue;
        for (WorkerPool* pool : {static_cast<WorkerPool*>(nullptr), &threePool()}) {
            Bitmap actual(0x123456, w, h);
            mandelbrotKernels::render(actual, {cx, cy, height}, palette, kernel, pool);
            int wrong = 0, firstX = -1, firstY = -1;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (pixel(actual, x, y) != pixel(expected, x, y) && wrong++ == 0) firstX = x, firstY = y;
            EXPECT_EQ(wrong, 0) << "kernel " << static_cast<int>(kernel) << (pool ? " on a pool" : "") << ", " << w
                                << "x" << h << " view " << height << " centre " << cx << "," << cy << ": first at "
                                << firstX << "," << firstY;
        }
    }
}

}  // namespace

TEST(MandelbrotRenderers, AreChosenByViewHeightAtTheTwoThresholds) {
    EXPECT_EQ(mandelbrotKernels::precisionFor(8 * ONE), Precision::Coarse);
    EXPECT_EQ(mandelbrotKernels::precisionFor(0x10000001), Precision::Coarse);
    EXPECT_EQ(mandelbrotKernels::precisionFor(0x10000000), Precision::Medium);
    EXPECT_EQ(mandelbrotKernels::precisionFor(0x2001), Precision::Medium);
    EXPECT_EQ(mandelbrotKernels::precisionFor(0x2000), Precision::Fine);
    EXPECT_EQ(mandelbrotKernels::precisionFor(1), Precision::Fine);
    EXPECT_EQ(mandelbrotKernels::precisionFor(-8 * ONE), Precision::Fine);
}

TEST(MandelbrotRenderers, AFrameInsideTheSetIsWhiteInEveryPrecision) {
    Started<Mandelbrot101> s;
    // Around −0.1 + 0i the main cardioid holds every point of these views.
    s.zoom.centreX = -ONE / 10;
    s.zoom.centreY = 0;
    withEachKernel([&] {
        for (std::int64_t height : {std::int64_t{0x10000001}, std::int64_t{0x10000000}, std::int64_t{0x100000},
                                    std::int64_t{0x2000}, std::int64_t{300}}) {
            s.zoom.viewHeight = height;
            s.zoom.render();
            --s.demo.frameCount;
            int notWhite = 0;
            for (int y = 0; y < 240; ++y)
                for (int x = 0; x < 320; ++x) notWhite += pixel(s.zoom.frame, x, y) != 0xFFFFFF;
            EXPECT_EQ(notWhite, 0) << "view height " << height;
        }
    });
}

TEST(MandelbrotRenderers, MediumIteratesTheLastRowWhileFineCopiesTheRowAbove) {
    HeadlessDemo demo;  // the graphics library, for the bitmaps
    std::uint32_t palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = pixels::grey(static_cast<std::uint32_t>(i));
    // A view across the border of the set, where neighbouring rows differ.
    const std::int64_t cx = -ONE * 3 / 4, cy = ONE / 10;
    withEachKernel([&] {
        {
            Bitmap frame(0, 320, 240);
            mandelbrotKernels::render(frame, {cx, cy, 0x1000000}, palette);
            const reference::PlainMandelbrot plain{frame, cx, cy, 0x1000000, palette};
            int differsFromAbove = 0;
            for (int x = 0; x < 320; ++x) {
                EXPECT_EQ(pixel(frame, x, 239), plain.medium(x, 239));
                differsFromAbove += pixel(frame, x, 239) != pixel(frame, x, 238);
            }
            EXPECT_GT(differsFromAbove, 0);
        }
        {
            Bitmap frame(0, 320, 240);
            mandelbrotKernels::render(frame, {cx, cy, 0x1800}, palette);
            for (int x = 0; x < 320; ++x) EXPECT_EQ(pixel(frame, x, 239), pixel(frame, x, 238));
        }
    });
}

TEST(MandelbrotRenderers, FineComparesTheFirstPairOfARowWithTheLastColourOfTheRowBelow) {
    // Two columns, four rows: rows 2 and 0 are computed, in that order, one pair each. The pixel
    // right of (0, 0) is copied when (0, 0) agrees with (0, 2), and iterated otherwise; a marker
    // colour on its own count shows which happened.
    HeadlessDemo demo;
    const std::int64_t cx = -ONE * 3 / 4 + 7 * 0x100000, cy = ONE / 8, height = 0x2000;
    Bitmap frame(0, 2, 4);
    std::uint32_t palette[256];
    const reference::PlainMandelbrot plain{frame, cx, cy, height, palette};
    const auto steps = [&](int x, int y) {
        return reference::stepsFine(plain.point64(x, 2, 4, height >> 2, cx >> 2),
                                    plain.point64(y, 4, 4, height >> 2, cy >> 2));
    };
    const int marked = steps(1, 0);
    ASSERT_NE(marked, steps(0, 0));
    ASSERT_NE(marked, steps(0, 2));
    for (auto& p : palette) p = 0x808080;
    palette[marked] = 0xFF0000;
    withEachKernel([&] {
        mandelbrotKernels::render(frame, {cx, cy, height}, palette);
        EXPECT_EQ(pixel(frame, 1, 0), 0x808080u);  // copied: its row's first pair agreed with row 2's
    });
}

TEST(MandelbrotRenderers, MatchThePlainEvaluationPixelForPixel) {
    HeadlessDemo demo;
    std::uint32_t grey[256];
    for (int i = 0; i < 256; ++i) grey[255 - i] = pixels::grey(static_cast<std::uint32_t>(i));
    struct Centre {
        std::int64_t x, y;
    };
    // 0.5 + 0.5i escapes within a few steps. Around 2.0 and −2.0 + 2i, points in the finest
    // format leave the 32 bits that its vector kernels compute in, in the middle of a batch;
    // around 32 − 32i they start far outside them (2^35 in that format).
    const Centre centres[] = {{0, 0},
                              {-ONE * 3 / 4, ONE / 10},
                              {ONE / 4 + 0x1000000, 0},
                              {ONE / 2, ONE / 2},
                              {2 * ONE, 0},
                              {-2 * ONE, 2 * ONE},
                              {32 * ONE, -32 * ONE},
                              {0x0000000053FF8400, static_cast<std::int64_t>(0xFFFFFFFFF6016800)},
                              {static_cast<std::int64_t>(0xFFFFFFFE98BB8A00), 0x00000000077A1800}};
    // 2^50 narrows to a view of 0 in the two 32-bit formats: every pixel is the same point, so a
    // lane's next point retraces its last one, and a state noted for the one must not pass for
    // a repeat of the other's.
    const std::int64_t heights[] = {
        std::int64_t{1} << 50, 8 * ONE, ONE, 0x10000001, 0x10000000, 0x400000, 0x2001, 0x2000, 0x400, 60, -ONE};
    for (const Centre& c : centres)
        for (std::int64_t height : heights) {
            expectSameAsPlain(64, 48, c.x, c.y, height, grey);
            expectSameAsPlain(37, 23, c.x, c.y, height, grey);  // odd sizes
        }
}

TEST(MandelbrotRenderers, MatchThePlainEvaluationOnFullFramesOfBothZooms) {
    HeadlessDemo demo;
    Mandelbrot101 first;
    Mandelbrot102 second;
    for (MandelbrotEffect* zoom : {static_cast<MandelbrotEffect*>(&first), static_cast<MandelbrotEffect*>(&second)}) {
        zoom->init(&demo);
        zoom->start();
    }
    // The slowest local times of each zoom among them.
    for (int time : {0, 3000, 5000, 9000, 12000, 15300, 15900, 17550, 18150, 19250, 19400, 20000, 24400, 24999}) {
        for (MandelbrotEffect* zoom :
             {static_cast<MandelbrotEffect*>(&first), static_cast<MandelbrotEffect*>(&second)}) {
            zoom->update(time);
            expectSameAsPlain(320, 240, zoom->centreX, zoom->centreY, zoom->viewHeight, zoom->palette);
        }
    }
}

TEST(MandelbrotEffect, RendersWithTheZoomPaletteAndPushesItsFrame) {
    Started<Mandelbrot102> s;
    s.zoom.update(15900);
    Bitmap expected(0, 320, 240);
    reference::PlainMandelbrot{expected, s.zoom.centreX, s.zoom.centreY, s.zoom.viewHeight, s.zoom.palette}.render();
    withEachKernel([&] {
        clear_to_color(s.zoom.frame, 0x123456);
        s.zoom.render();
        ASSERT_EQ(s.demo.frameCount, 2);
        EXPECT_EQ(s.demo.frames[1], s.zoom.frame);
        --s.demo.frameCount;
        for (int y = 0; y < 240; y += 7)
            for (int x = 0; x < 320; x += 5) ASSERT_EQ(pixel(s.zoom.frame, x, y), pixel(expected, x, y));
    });
}

TEST(MandelbrotEffect, InitSetsAGreyPaletteFromWhiteToBlackAndAMinutePeriod) {
    HeadlessDemo demo;
    MandelbrotEffect effect;
    effect.init(&demo);
    EXPECT_STREQ(effect.name(), "Mandelbrot Fractal");
    EXPECT_EQ(effect.period, 60000);
    EXPECT_EQ(effect.palette[0], 0xFFFFFFu);
    EXPECT_EQ(effect.palette[128], 0x7F7F7Fu);
    EXPECT_EQ(effect.palette[255], 0x000000u);
}

TEST(MandelbrotZooms, ShareTheirPaletteAndKeepTheirOwnCentres) {
    HeadlessDemo demo;
    Mandelbrot101 first;
    Mandelbrot102 second;
    first.init(&demo);
    second.init(&demo);
    for (MandelbrotEffect* zoom : {static_cast<MandelbrotEffect*>(&first), static_cast<MandelbrotEffect*>(&second)}) {
        EXPECT_EQ(zoom->period, 25000);
        EXPECT_EQ(zoom->palette[0], 0xFFFFFFu);
        EXPECT_EQ(zoom->palette[1], 0xF7FF00u);
        EXPECT_EQ(zoom->palette[191], 0x394100u);
        EXPECT_EQ(zoom->palette[192], 0x8000C0u);
        EXPECT_EQ(zoom->palette[255], 0x020003u);
    }
    EXPECT_EQ(first.centreX, 0x53FF8400);
    EXPECT_EQ(first.centreY, -0x9FE9800);
    EXPECT_EQ(second.centreX, -0x167447600LL);
    EXPECT_EQ(second.centreY, 0x077A1800);
}

TEST(MandelbrotZooms, HalveTheViewEvery35thOfThePeriodFromEightUnitsHigh) {
    Started<Mandelbrot101> s;
    s.zoom.update(0);
    EXPECT_EQ(s.zoom.viewHeight, (std::int64_t{1} << 35) + 240);
    s.zoom.update(25000);
    EXPECT_EQ(s.zoom.viewHeight, 1 + 240);
    s.zoom.update(25000 / 35 * 7);  // e a little above 28: still the coarse renderer
    EXPECT_EQ(mandelbrotKernels::precisionFor(s.zoom.viewHeight), Precision::Coarse);
    s.zoom.update(5100);
    EXPECT_EQ(mandelbrotKernels::precisionFor(s.zoom.viewHeight), Precision::Medium);
    s.zoom.update(15700);
    EXPECT_EQ(mandelbrotKernels::precisionFor(s.zoom.viewHeight), Precision::Medium);
    s.zoom.update(15800);
    EXPECT_EQ(mandelbrotKernels::precisionFor(s.zoom.viewHeight), Precision::Fine);
}

TEST(MandelbrotZooms, ATimePastThePeriodKeepsTheViewHeightRepresentable) {
    // P − time wraps to a huge unsigned value and 2^e overflows; the height saturates instead
    // of converting infinity.
    Started<Mandelbrot102> s;
    s.zoom.update(25001);
    EXPECT_EQ(s.zoom.viewHeight, INT64_MAX);
    s.zoom.render();
    EXPECT_EQ(s.demo.frameCount, 2);
}
