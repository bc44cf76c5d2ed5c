#include <gtest/gtest.h>

#include <initializer_list>

#include "effects/metaball_field.h"
#include "effects/metaballs.h"
#include "reference/metaball_reference.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;
using metaballField::Kernel;

namespace {

// A plain effect with the given balls, started so that it holds its frame.
struct Field {
    HeadlessDemo demo;
    MetaBallsEffect effect;
    Field(std::initializer_list<Ball> balls, int mode = 0) {
        effect.init(&demo);
        effect.renderMode = mode;
        for (const Ball& b : balls) effect.balls[effect.ballCount++] = b;
        effect.start();
    }
    ~Field() { effect.stop(); }
    BITMAP* render() {
        effect.render();
        --demo.frameCount;
        return effect.frame;
    }
};

Ball ball(int x, int y, int radius, int red, int green, int blue) { return {x, y, radius, red, green, blue, 0, 0, 0}; }

// Every pixel of the frame against the plain evaluation of the same balls: the field through
// every kernel, and the effect's own render in its mode.
void expectSameAsPlain(MetaBallsEffect& effect, const char* what, int time) {
    Bitmap expected(0x123456);
    Ball balls[MetaBallsEffect::MAX_BALLS];
    std::copy_n(effect.balls, effect.ballCount, balls);
    metaballField::computeWeights(balls, effect.ballCount);
    const reference::PlainMetaballs plain{expected, balls, effect.ballCount};
    static pixels::Pixel field[240][320];
    for (int n = 0; n < 240; ++n)
        for (int i = 0; i < 320; ++i) field[n][i] = plain.field(i, n);
    for (Kernel kernel : {Kernel::Plain, Kernel::Vector, Kernel::VectorAvx2}) {
        if (!metaballField::available(kernel)) continue;
        const metaballField::RowEvaluator evaluator(balls, effect.ballCount, 320, 240, kernel);
        int wrong = 0;
        for (int n = 0; n < 240; ++n) {
            pixels::Pixel line[320];
            evaluator.run(n - 120, -160, 1, 320, line);
            for (int i = 0; i < 320; ++i) wrong += line[i] != field[n][i];
        }
        EXPECT_EQ(wrong, 0) << what << " at " << time << ", kernel " << static_cast<int>(kernel);
    }
    for (int mode : {0, 1, 2}) {
        plain.render(mode);
        effect.renderMode = mode;
        effect.render();
        --effect.demo->frameCount;
        int wrong = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) wrong += pixel(effect.frame, x, y) != pixel(expected, x, y);
        EXPECT_EQ(wrong, 0) << what << " at " << time << " in render mode " << mode;
    }
}

}  // namespace

TEST(MetaballField, ABallCentredOnAPixelAddsItsWholeWeightThere) {
    Field f({ball(3, -2, 2, 10, 20, 30)});
    BITMAP* frame = f.render();
    EXPECT_EQ(pixel(frame, 163, 118), 0x285078u);  // radius² × colour: 40, 80, 120
    EXPECT_EQ(pixel(frame, 164, 118), 0x285078u);  // one pixel away: divided by 1
    EXPECT_EQ(pixel(frame, 165, 118), 0x0A141Eu);  // two away: by 4
    EXPECT_EQ(pixel(frame, 166, 119), 0x04080Cu);  // 9 + 1: 40/10, 80/10, 120/10
    EXPECT_EQ(pixel(frame, 166, 121), 0x020406u);  // 9 + 9: 40/18, 80/18, 120/18 truncated
}

TEST(MetaballField, ABallOfRadiusZeroAddsNothing) {
    // The same frame as the other ball alone, every pixel written over what the frame held.
    Field f({ball(-20, 10, 3, 40, 0, 90), ball(0, 0, 0, 255, 255, 255), ball(50, 50, 0, 100, 0, 0)});
    f.effect.ballCount = 1;
    Bitmap alone(0);
    blit(f.render(), alone, 0, 0, 0, 0, 320, 240);
    EXPECT_EQ(pixels::blueOf(pixel(alone, 140, 130)), 255);  // the ball's centre
    f.effect.ballCount = 3;
    clear_to_color(f.effect.frame, 0x123456);
    BITMAP* frame = f.render();
    int wrong = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) wrong += pixel(frame, x, y) != pixel(alone, x, y);
    EXPECT_EQ(wrong, 0);
}

TEST(MetaballField, NegativeSumsAreBlackAndBrightOnesScaleDownWithTheirRatios) {
    // Far enough apart (distance² 32500) that neither adds anything on the other's centre.
    Field f({ball(0, 0, 1, 510, 255, 0), ball(-150, 100, 10, -5, 300, -7)});
    BITMAP* frame = f.render();
    EXPECT_EQ(pixel(frame, 160, 120), 0xFF7F00u);      // (510, 255, 0) → (255, 127, 0)
    EXPECT_EQ(pixel(frame, 10, 220), 0x00FF00u);       // (−500, 30000, −700) → (0, 255, 0)
    EXPECT_EQ(pixel(frame, 10 + 30, 220), 0x002100u);  // (−500, 30000, −700) / 900
    // Blue is negative or zero everywhere on the row between them.
    for (int x = 0; x < 320; ++x) EXPECT_EQ(pixels::blueOf(pixel(frame, x, 220)), 0) << x;
}

TEST(MetaballField, BallsFarOutsideTheFrameAddNothingAndABallCountBeyondTheTableIsCut) {
    // Distances whose squares do not fit in 32 bits: the weight divides to nothing.
    Field f({ball(70000, 0, 10, 255, 0, 0), ball(0, -70000, 10, 0, 255, 0), ball(-3, 5, 3, 0, 0, 20)});
    f.effect.ballCount = 200;  // only the 16 records of the table exist
    BITMAP* frame = f.render();
    EXPECT_EQ(pixel(frame, 157, 125), 0x0000B4u);
    EXPECT_EQ(pixel(frame, 319, 120), 0u);
    EXPECT_EQ(pixel(frame, 160, 0), 0u);
}

TEST(MetaballField, WithNoBallsTheFrameIsBlack) {
    Field f({});
    clear_to_color(f.effect.frame, 0x123456);  // what the frame held before
    BITMAP* frame = f.render();
    int lit = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) lit += pixel(frame, x, y) != 0u;
    EXPECT_EQ(lit, 0);
}

TEST(MetaballRenderers, HalfColumnsAverageNeighboursAndRepeatTheLastColumn) {
    Field f({ball(-40, 10, 30, 200, 100, 50), ball(90, -30, 20, 20, 90, 255)}, 1);
    BITMAP* frame = f.render();
    for (int y = 0; y < 240; ++y) {
        EXPECT_EQ(pixel(frame, 319, y), pixel(frame, 318, y));
        for (int x = 1; x < 317; x += 2)
            ASSERT_EQ(pixel(frame, x, y), pixels::average(pixel(frame, x - 1, y), pixel(frame, x + 1, y)));
    }
}

TEST(MetaballRenderers, QuarterResolutionAveragesRowsHalvesTheEdgeAndRepeatsTheBottomRow) {
    Field f({ball(-40, 10, 30, 200, 100, 50), ball(150, -30, 20, 20, 90, 255)}, 2);
    BITMAP* frame = f.render();
    for (int x = 0; x < 320; ++x) EXPECT_EQ(pixel(frame, x, 239), pixel(frame, x, 238));
    for (int y = 0; y < 239; y += 2) {
        EXPECT_EQ(pixel(frame, 319, y), pixels::half(pixel(frame, 318, y))) << y;
        EXPECT_NE(pixel(frame, 318, y), 0u);
    }
    for (int y = 1; y < 238; y += 2)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(pixel(frame, x, y), pixels::average(pixel(frame, x, y - 1), pixel(frame, x, y + 1)));
}

TEST(MetaballVariants, TheFirstRendersAtHalfWidthOnlyWhenThePassIsLight) {
    HeadlessDemo demo;
    MetaBalls101 effect;
    effect.init(&demo);
    for (int active : {1, 2, 3, 8, 0}) {
        demo.timeline.activeCount = active;
        effect.update(500);
        EXPECT_EQ(effect.renderMode, active == 1 || active == 2 ? 1 : 2) << active << " active";
    }
}

TEST(MetaballVariants, TheFourthIsBlackAtMidPeriod) {
    HeadlessDemo demo;
    MetaBalls104 effect;
    effect.init(&demo);
    effect.start();
    clear_to_color(effect.frame, 0x123456);  // what the frame held before
    effect.update(5850 / 2);
    effect.render();
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(effect.frame, x, y), 0u);
    effect.update(0);  // largest at the period's ends
    EXPECT_EQ(effect.balls[0].radius, 50);
    EXPECT_EQ(effect.balls[0].x, -154);
    EXPECT_EQ(effect.balls[14].x, 154);
    effect.stop();
}

TEST(MetaballVariants, SetUpTheirBallsAndPeriods) {
    HeadlessDemo demo;
    MetaBalls101 first;
    MetaBalls102 second;
    MetaBalls103 third;
    MetaBalls104 fourth;
    first.init(&demo);
    second.init(&demo);
    third.init(&demo);
    fourth.init(&demo);
    EXPECT_STREQ(first.name(), "Metaballs");
    EXPECT_EQ(first.period, 2000);
    EXPECT_EQ(first.ballCount, 5);
    EXPECT_EQ(second.period, 16000);
    EXPECT_EQ(second.ballCount, 8);
    EXPECT_EQ(second.renderMode, 2);
    EXPECT_EQ(third.period, 10000);
    EXPECT_EQ(fourth.period, 5850);
    EXPECT_EQ(fourth.ballCount, 15);
    // The eight colours, and the third variant's in reverse order.
    EXPECT_EQ(second.balls[0].red, 248);
    EXPECT_EQ(second.balls[3].green, 63);
    EXPECT_EQ(second.balls[4].green, 0);
    EXPECT_EQ(second.balls[7].blue, 112);
    EXPECT_EQ(third.balls[0].red, second.balls[7].red);
    EXPECT_EQ(third.balls[7].green, second.balls[0].green);
    // The third's column runs from 60 down to −60, truncated toward zero.
    third.update(0);
    EXPECT_EQ(third.balls[0].y, 60);
    EXPECT_EQ(third.balls[1].y, 42);
    EXPECT_EQ(third.balls[5].y, -25);
    EXPECT_EQ(third.balls[7].y, -60);
    first.update(0);  // cos 0 = 1: the warm balls at their outermost
    EXPECT_EQ(first.balls[0].x, -115);
    EXPECT_EQ(first.balls[1].x, 115);
    EXPECT_EQ(first.balls[3].y, 135);
    EXPECT_EQ(first.balls[3].radius, 140);
    EXPECT_EQ(first.balls[4].radius, 60);
}

TEST(MetaballVariants, MatchThePlainEvaluationPixelForPixelThroughTheirPeriods) {
    HeadlessDemo demo;
    MetaBalls101 first;
    MetaBalls102 second;
    MetaBalls103 third;
    MetaBalls104 fourth;
    MetaBallsEffect* variants[] = {&first, &second, &third, &fourth};
    const char* names[] = {"MetaBalls101", "MetaBalls102", "MetaBalls103", "MetaBalls104"};
    for (int v = 0; v < 4; ++v) {
        MetaBallsEffect& effect = *variants[v];
        effect.init(&demo);
        effect.start();
        for (int step = 0; step < 12; ++step) {
            const int time = effect.period * step / 12 + step * 7;
            demo.timeline.activeCount = step % 4;
            effect.update(time);
            expectSameAsPlain(effect, names[v], time);
        }
        effect.stop();
    }
}
