#include "effects/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "support/frame_flow.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// Pops `source` through the filter as one pass would and returns the frame it pushed.
BITMAP* filterOnce(HeadlessDemo& demo, Filter3x3Effect& filter, BITMAP* source) {
    pushFrame(demo, source);
    if (!filter.running) filter.start();
    filter.update(0);
    filter.render();
    return demo.frames[demo.frameCount - 1];
}

std::uint32_t uniformResult(Filter3x3Effect& filter, std::uint32_t colour) {
    HeadlessDemo demo;
    filter.init(&demo);
    Bitmap source(colour);
    BITMAP* out = filterOnce(demo, filter, source);
    std::uint32_t first = pixel(out, 0, 0);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (pixel(out, x, y) != first) {
                ADD_FAILURE() << filter.name() << ": (" << x << ", " << y << ") differs";
                return first;
            }
    filter.stop();
    return first;
}

// The filtered pixel written out from the kernel as seen on screen: w[row][column] weights the
// neighbour at (x + column - 1, y + row - 1), the edge standing in for what lies beyond it.
std::uint32_t reference(BITMAP* s, int x, int y, const int w[3][3], int bias, int shift) {
    std::uint32_t p = 0;
    for (int c = 0; c < 3; ++c) {
        long long sum = bias;
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) {
                int sx = std::clamp(x + k - 1, 0, s->w - 1), sy = std::clamp(y + r - 1, 0, s->h - 1);
                sum += static_cast<long long>(w[r][k]) * ((pixel(s, sx, sy) >> (8 * c)) & 0xFF);
            }
        long long v = std::clamp(sum >> (shift & 31), 0LL, 255LL);
        p |= static_cast<std::uint32_t>(v) << (8 * c);
    }
    return p;
}

// `filter` has been initialised on `demo`.
void expectMatchesReference(HeadlessDemo& demo, Filter3x3Effect& filter, const int w[3][3]) {
    Bitmap source(0);
    scramble(source, 99);
    BITMAP* out = filterOnce(demo, filter, source);
    int wrong = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            std::uint32_t want = reference(source, x, y, w, filter.bias, filter.shift);
            if (pixel(out, x, y) != want && wrong++ < 3)
                ADD_FAILURE() << filter.name() << " at (" << x << ", " << y << "): " << std::hex << pixel(out, x, y)
                              << " instead of " << want;
        }
    EXPECT_EQ(wrong, 0);
    filter.stop();
    demo.frameCount = 1;
}

}  // namespace

TEST(Filters, CarryTheirNamesAndKernels) {
    HeadlessDemo demo;
    Filter3x3Effect plain;
    Soften3x3Effect soften;
    Blur3x3Effect blur;
    Sharpen3x3Effect sharpen;
    Emboss3x3Effect emboss;
    Edge3x3Effect edge;
    EXPECT_STREQ(plain.name(), "3x3 Filter");
    EXPECT_STREQ(soften.name(), "Soften");
    EXPECT_STREQ(blur.name(), "Blur");
    EXPECT_STREQ(sharpen.name(), "Sharpen");
    EXPECT_STREQ(emboss.name(), "Emboss");
    EXPECT_STREQ(edge.name(), "Edge");
    emboss.init(&demo);
    EXPECT_EQ(emboss.shift, 1);
    EXPECT_EQ(emboss.bias, 0);
    const int embossWeights[9] = {1, 2, 0, 2, 2, -2, 0, -2, -1};
    EXPECT_TRUE(std::equal(embossWeights, embossWeights + 9, emboss.kernel));
    EXPECT_EQ(emboss.period, 1000);
    EXPECT_EQ(emboss.demo, &demo);
}

TEST(Filters, OnUniformGreyKeepOrDarkenOrBrightenByTheirWeightSum) {
    Soften3x3Effect soften;
    Blur3x3Effect blur;
    Sharpen3x3Effect sharpen;
    Emboss3x3Effect emboss;
    Edge3x3Effect edge;
    EXPECT_EQ(uniformResult(soften, 0x646464), 0x646464u);
    EXPECT_EQ(uniformResult(sharpen, 0x646464), 0x646464u);
    EXPECT_EQ(uniformResult(emboss, 0x646464), 0x646464u);
    EXPECT_EQ(uniformResult(edge, 0x646464), 0x000000u);
    EXPECT_EQ(uniformResult(blur, 0x646464), 0x707070u);  // 1800 >> 4 = 112
    EXPECT_EQ(uniformResult(blur, 0xFFFFFF), 0xFFFFFFu);  // 4590 >> 4 clamps to 255
    // The alpha byte of a loaded picture is not carried over.
    EXPECT_EQ(uniformResult(soften, 0xFF102030), 0x102030u);
}

TEST(Filters, EdgeTurnsASingleWhitePixelBlackAndItsEightNeighboursWhite) {
    HeadlessDemo demo;
    Edge3x3Effect edge;
    edge.init(&demo);
    Bitmap source(0);
    setPixel(source, 100, 50, 0xFFFFFF);
    BITMAP* out = filterOnce(demo, edge, source);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            bool neighbour = std::abs(x - 100) <= 1 && std::abs(y - 50) <= 1 && !(x == 100 && y == 50);
            ASSERT_EQ(pixel(out, x, y), neighbour ? 0xFFFFFFu : 0u) << x << ", " << y;
        }
}

TEST(Filters, WeighTheNeighboursInTheKernelsColumnOrder) {
    HeadlessDemo demo;
    Bitmap source(0);
    setPixel(source, 10, 10, 0x0000FF);
    Filter3x3Effect lowerRight, upperLeft, right;
    lowerRight.initFilter(&demo, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    upperLeft.initFilter(&demo, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
    right.initFilter(&demo, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
    // k0 weights the lower-right neighbour, so the pixel shows up to its upper left.
    EXPECT_EQ(pixel(filterOnce(demo, lowerRight, source), 9, 9), 0xFFu);
    EXPECT_EQ(pixel(filterOnce(demo, upperLeft, source), 11, 11), 0xFFu);
    EXPECT_EQ(pixel(filterOnce(demo, right, source), 9, 10), 0xFFu);
    EXPECT_EQ(pixel(demo.frames[demo.frameCount - 1], 10, 10), 0u);
}

TEST(Filters, UseTheEdgePixelsThemselvesBeyondTheFrame) {
    HeadlessDemo demo;
    Bitmap source(0x808080);
    // A bright first column and last row: the edge stands in for its missing neighbour, so they
    // stay as they are under Soften instead of darkening into a frame line.
    for (int y = 0; y < 240; ++y) setPixel(source, 0, y, 0xF0F0F0);
    for (int x = 0; x < 320; ++x) setPixel(source, x, 239, 0x202020);
    Soften3x3Effect soften;
    soften.init(&demo);
    BITMAP* out = filterOnce(demo, soften, source);
    // Column 0, row 100: 4 x F0 + F0 (itself on the left) + 80 + 2 x F0 above and below = 7 x F0 + 80.
    EXPECT_EQ(pixel(out, 0, 100), 0xE2E2E2u);
    EXPECT_EQ(pixel(out, 319, 100), 0x808080u);
    EXPECT_EQ(pixel(out, 160, 0), 0x808080u);
    // Row 239: 4 x 20 + 2 x 20 + 20 (itself below) + 80 above = 7 x 20 + 80.
    EXPECT_EQ(pixel(out, 160, 239), 0x2C2C2Cu);
    EXPECT_EQ(pixel(out, 319, 239), 0x2C2C2Cu);
}

TEST(Filters, LeaveTheSourceUnchangedAndTheStackCountAsItWas) {
    HeadlessDemo demo;
    Bitmap source(0), copy(0);
    scramble(source, 5);
    blit(source, copy, 0, 0, 0, 0, 320, 240);
    Sharpen3x3Effect sharpen;
    sharpen.init(&demo);
    BITMAP* out = filterOnce(demo, sharpen, source);
    EXPECT_EQ(demo.frameCount, 2);
    EXPECT_EQ(out, sharpen.frame);
    EXPECT_NE(out, source.get());
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(source, x, y), pixel(copy, x, y));
    sharpen.stop();
    EXPECT_FALSE(demo.display.inUse[0]);
}

TEST(Filters, MatchTheKernelAsSeenOnScreenOverAWholePicture) {
    HeadlessDemo demo;
    Soften3x3Effect soften;
    Blur3x3Effect blur;
    Sharpen3x3Effect sharpen;
    Emboss3x3Effect emboss;
    Edge3x3Effect edge;
    for (Filter3x3Effect* f : {static_cast<Filter3x3Effect*>(&soften), static_cast<Filter3x3Effect*>(&blur),
                               static_cast<Filter3x3Effect*>(&sharpen), static_cast<Filter3x3Effect*>(&emboss),
                               static_cast<Filter3x3Effect*>(&edge)})
        f->init(&demo);
    const int softenW[3][3] = {{0, 1, 0}, {1, 4, 1}, {0, 1, 0}};
    const int blurW[3][3] = {{1, 3, 1}, {3, 2, 3}, {1, 3, 1}};
    const int sharpenW[3][3] = {{-1, -1, -1}, {-1, 16, -1}, {-1, -1, -1}};
    const int embossW[3][3] = {{-1, -2, 0}, {-2, 2, 2}, {0, 2, 1}};
    const int edgeW[3][3] = {{1, 1, 1}, {1, -8, 1}, {1, 1, 1}};
    expectMatchesReference(demo, soften, softenW);
    expectMatchesReference(demo, blur, blurW);
    expectMatchesReference(demo, sharpen, sharpenW);
    expectMatchesReference(demo, emboss, embossW);
    expectMatchesReference(demo, edge, edgeW);
}

TEST(Filters, UsedTwiceInAPassFilterTheirOwnFrameInPlaceAsTheirWindowSlides) {
    // The second event pops the filter's own frame: each row is filtered from the row above as
    // already filtered, and from its own row and the row below as they were.
    HeadlessDemo demo;
    Blur3x3Effect blur;
    blur.init(&demo);
    const int w[3][3] = {{1, 3, 1}, {3, 2, 3}, {1, 3, 1}};
    Bitmap source(0), before(0), expected(0);
    scramble(source, 3);
    BITMAP* once = filterOnce(demo, blur, source);
    blit(once, before, 0, 0, 0, 0, 320, 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            std::uint32_t p = 0;
            for (int c = 0; c < 3; ++c) {
                long long sum = 0;
                for (int r = 0; r < 3; ++r)
                    for (int k = 0; k < 3; ++k) {
                        const int sx = std::clamp(x + k - 1, 0, 319), sy = std::clamp(y + r - 1, 0, 239);
                        BITMAP* from = r == 0 && y > 0 ? expected.get() : before.get();
                        sum += w[r][k] * static_cast<long long>((pixel(from, sx, sy) >> (8 * c)) & 0xFF);
                    }
                p |= static_cast<std::uint32_t>(std::clamp(sum >> 4, 0LL, 255LL)) << (8 * c);
            }
            setPixel(expected, x, y, p);
        }
    --demo.frameCount;
    for (int threads : {1, 3}) {
        demo.workers.resize(threads);
        blit(before, blur.frame, 0, 0, 0, 0, 320, 240);
        BITMAP* twice = filterOnce(demo, blur, blur.frame);
        int wrong = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) wrong += pixel(twice, x, y) != pixel(expected, x, y);
        EXPECT_EQ(wrong, 0) << threads << " threads";
        --demo.frameCount;
    }
    blur.stop();
}

TEST(Filters, TakeAnyBiasShiftAndWeightsWithoutWrappingTheSum) {
    HeadlessDemo demo;
    // Sums far beyond 16 bits, a bias and a negative lower half: every value is clamped, none wraps.
    Filter3x3Effect strong, negative, shifted;
    strong.initFilter(&demo, 9, -70000, 3000, -200, 7, 0, 1500, 9, -4000, 11, 200);
    negative.initFilter(&demo, 0, 40, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    shifted.initFilter(&demo, 35, 0, 0, 0, 0, 0, 64, 0, 0, 0, 0);  // only the low five bits: 3
    const int strongW[3][3] = {{200, 9, 7}, {11, 1500, -200}, {-4000, 0, 3000}};
    const int negativeW[3][3] = {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
    const int shiftedW[3][3] = {{0, 0, 0}, {0, 64, 0}, {0, 0, 0}};
    expectMatchesReference(demo, strong, strongW);
    expectMatchesReference(demo, negative, negativeW);
    expectMatchesReference(demo, shifted, shiftedW);
}

TEST(Filters, FilterOnlyWhatTheSourceCoversWhenItIsSmallerThanTheFrame) {
    HeadlessDemo demo;
    Soften3x3Effect soften;
    soften.init(&demo);
    soften.start();
    clear_to_color(soften.frame, 0x0000FF);
    for (int width : {1, 2, 100}) {
        Bitmap source(0x808080, width, 3);
        demo.frameCount = 1;
        BITMAP* out = filterOnce(demo, soften, source);
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < 3; ++y) EXPECT_EQ(pixel(out, x, y), 0x808080u) << width;
        EXPECT_EQ(pixel(out, width, 0), 0x0000FFu) << width;
        EXPECT_EQ(pixel(out, 0, 3), 0x0000FFu) << width;
    }
    soften.stop();
}
