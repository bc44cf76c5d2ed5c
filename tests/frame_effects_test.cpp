#include "effects/copy_and_trash.h"
#include "effects/feedback.h"
#include "effects/fills.h"
#include "effects/noise.h"
#include "effects/rgbug.h"
#include "effects/vertical_flipper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>

#include "effects/image_effects.h"
#include "support/frame_flow.h"
#include "support/headless.h"
#include "process/show_random.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

bool isGrey(std::uint32_t p) { return (p >> 16) == ((p >> 8) & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF); }

std::uint32_t halfOf(std::uint32_t p) { return (p & 0xFEFEFE) >> 1; }

void expectUniform(BITMAP* b, std::uint32_t colour) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) ASSERT_EQ(pixel(b, x, y), colour) << x << ", " << y;
}

// The positions `count` x-then-y draws of the show's generator give.
std::set<std::pair<int, int>> drawPositions(int count) {
    std::set<std::pair<int, int>> places;
    for (int i = 0; i < count; ++i) {
        int x = Zorvek::showRand() % 320;
        int y = Zorvek::showRand() % 240;
        places.insert({x, y});
    }
    return places;
}

struct NoiseSeed {
    unsigned seed;
    int bar;  // the band row the noise draws first from that seed
};

// The first seed whose band row satisfies `wanted`; the generator is left seeded with it.
template <class Wanted>
NoiseSeed seedWithBand(Wanted wanted) {
    for (unsigned seed = 1;; ++seed) {
        Zorvek::seedShowRand(seed);
        int bar = Zorvek::showRand() & 0x1FF;
        if (wanted(bar)) {
            Zorvek::seedShowRand(seed);
            return {seed, bar};
        }
    }
}

}  // namespace

TEST(FrameEffects, ShowTheirNamesInTheEventList) {
    BlacknessEffect black;
    WhitenessEffect white;
    MagicPinkEffect pink;
    CanvasEffect canvas;
    CopyEffect copy;
    TrashEffect trash;
    NoiseEffect noise;
    RgbugEffect rgbug;
    SpeckleEffect speckle;
    VerticalFlipperEffect flipper;
    RainbowSeed seed;
    FeedbackFeederEffect feeder;
    FeedbackEaterEffect eater;
    const std::pair<Effect*, const char*> names[] = {{&black, "Blackness"},
                                                     {&white, "Whiteness"},
                                                     {&pink, "Magic Pink"},
                                                     {&canvas, "Canvas"},
                                                     {&copy, "Copy"},
                                                     {&trash, "Trash"},
                                                     {&noise, "Noise"},
                                                     {&rgbug, "Rgbug"},
                                                     {&speckle, "Salt and pepper"},
                                                     {&flipper, "Vertical Flipper"},
                                                     {&seed, "Rainbow Seed"},
                                                     {&feeder, "Feedback Feeder"},
                                                     {&eater, "Feedback Eater"}};
    for (auto [effect, name] : names) EXPECT_STREQ(effect->name(), name);
}

TEST(FrameEffects, FillsPushTheirOwnFrameInOneColour) {
    Stage stage;
    BlacknessEffect black;
    WhitenessEffect white;
    MagicPinkEffect pink;
    TrashEffect trash;
    for (ProtectedFrameEffect* fill :
         {static_cast<ProtectedFrameEffect*>(&black), static_cast<ProtectedFrameEffect*>(&white),
          static_cast<ProtectedFrameEffect*>(&pink)})
        fill->init(&stage.demo);
    trash.init(&stage.demo);
    stage.event(white, 0, 1000);
    stage.event(pink, 0, 1000);
    stage.event(trash, 0, 1000);
    stage.event(black, 1000, 1000);
    BITMAP* frame = stage.passAt(0);
    EXPECT_EQ(frame, white.frame);
    expectUniform(frame, 0xFFFFFF);
    expectUniform(pink.frame, 0xFF00FF);
    frame = stage.passAt(1000);
    EXPECT_EQ(frame, black.frame);
    expectUniform(frame, 0x000000);
    EXPECT_FALSE(white.running);
    stage.end();
}

TEST(FrameEffects, TrashDropsTheTopFrameWithoutTouchingIt) {
    HeadlessDemo demo;
    Bitmap lower(0x111111), upper(0x222222);
    pushFrame(demo, lower);
    pushFrame(demo, upper);
    TrashEffect trash;
    trash.init(&demo);
    trash.render();
    EXPECT_EQ(demo.frameCount, 2);
    EXPECT_EQ(demo.frames[1], lower.get());
    expectUniform(upper, 0x222222);
}

TEST(FrameEffects, CopyPushesAPrivateFrameWithTheSamePixelsAndLeavesTheSourceAlone) {
    Stage stage;
    BITMAP* picture = stage.picture("PICTURE", makeFrame(0));
    scramble(picture, 3);
    ImageEffect image;
    CopyEffect copy;
    RgbugEffect rgbug;
    image.load(&stage.demo, "PICTURE");
    copy.init(&stage.demo);
    rgbug.init(&stage.demo);
    stage.event(image, 0, 1000);
    stage.event(copy, 0, 1000);
    stage.event(rgbug, 0, 1000);
    Bitmap before(0);
    blit(picture, before, 0, 0, 0, 0, 320, 240);
    BITMAP* frame = stage.passAt(10);
    EXPECT_EQ(frame, copy.frame);
    EXPECT_NE(frame, picture);
    // The overlay drew on the copy; the cached picture is as it was.
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(picture, x, y), pixel(before, x, y));
    EXPECT_NE(pixel(frame, 0, 0), pixel(picture, 0, 0));
    stage.end();
}

TEST(FrameEffects, CanvasPushesTheSameFrameEveryPassWithWhatWasDrawnOnIt) {
    Stage stage;
    CanvasEffect canvas;
    RainbowSeed seed;
    canvas.init(&stage.demo);
    seed.init(&stage.demo);
    stage.event(canvas, 0, 2000);
    stage.event(seed, 0, 1000);
    BITMAP* first = stage.passAt(0);
    EXPECT_EQ(pixel(first, 160, 120), 0xFF0000u);
    BITMAP* second = stage.passAt(1500);
    EXPECT_EQ(second, first);
    EXPECT_EQ(pixel(second, 160, 120), 0xFF0000u);
    stage.end();
}

TEST(FrameEffects, NoiseIsGreyWithRandomOddColumnsAveragedBetweenThemAndAcrossRows) {
    HeadlessDemo demo;
    NoiseEffect noise;
    noise.init(&demo);
    noise.start();
    // A band beyond the frame: every even row is noisy.
    unsigned seed = seedWithBand([](int bar) { return bar >= 240; }).seed;
    Zorvek::showRand();
    std::uint32_t carry = (Zorvek::showRand() & 0x7F) * 0x010101u;
    std::uint32_t draws[120][160];
    for (auto& rowDraws : draws)
        for (std::uint32_t& d : rowDraws) d = (Zorvek::showRand() & 0xFF) * 0x010101u;

    Zorvek::seedShowRand(seed);
    noise.render();
    BITMAP* f = noise.frame;
    EXPECT_EQ(demo.frames[demo.frameCount - 1], f);
    for (int y = 0; y < 240; y += 2)
        for (int x = 0; x < 320; x += 2) {
            std::uint32_t random = draws[y / 2][x / 2];
            ASSERT_EQ(pixel(f, x + 1, y), random) << x << ", " << y;
            ASSERT_EQ(pixel(f, x, y), carry + halfOf(random)) << x << ", " << y;
            carry = halfOf(random);
        }
    for (int y = 1; y < 239; y += 2)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(pixel(f, x, y), halfOf(pixel(f, x, y - 1)) + halfOf(pixel(f, x, y + 1)));
    for (int x = 0; x < 320; ++x) {
        ASSERT_EQ(pixel(f, x, 239), halfOf(pixel(f, x, 238)) + halfOf(pixel(f, x, 0)));
        for (int y = 0; y < 240; ++y) ASSERT_TRUE(isGrey(pixel(f, x, y))) << x << ", " << y;
    }
    noise.stop();
}

TEST(FrameEffects, NoiseBlacksOutABandOfEvenRowsWhenItFallsInsideTheFrame) {
    HeadlessDemo demo;
    NoiseEffect noise;
    noise.init(&demo);
    noise.start();
    const int bar = seedWithBand([](int b) { return b % 2 == 0 && b > 0 && b < 230; }).bar;
    noise.render();
    BITMAP* f = noise.frame;
    for (int x = 0; x < 320; ++x) {
        EXPECT_EQ(pixel(f, x, bar), 0u);
        EXPECT_EQ(pixel(f, x, bar + 2), 0u);
        EXPECT_EQ(pixel(f, x, bar + 1), 0u);  // between two black rows
        EXPECT_EQ(pixel(f, x, bar - 1), halfOf(pixel(f, x, bar - 2)));
    }
    int lit = 0;
    for (int x = 0; x < 320; ++x) lit += pixel(f, x, bar + 4) != 0;
    EXPECT_GT(lit, 200);
    noise.stop();
}

TEST(FrameEffects, RgbugKeepsOneChannelPerColumnAndDimsTheOtherTwo) {
    HeadlessDemo demo;
    Bitmap frame(0xFFFFFF);
    setPixel(frame, 0, 5, 0x123456);
    setPixel(frame, 1, 5, 0x123456);
    setPixel(frame, 2, 5, 0x123456);
    pushFrame(demo, frame);
    RgbugEffect rgbug;
    rgbug.init(&demo);
    rgbug.render();
    EXPECT_EQ(demo.frameCount, 2);
    const std::uint32_t triad[3] = {0xFF0F0F, 0x0FFF0F, 0x0F0FFF};
    for (int y = 0; y < 240; ++y) {
        if (y == 5) continue;
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(frame, x, y), triad[x % 3]) << x << ", " << y;
    }
    EXPECT_EQ(pixel(frame, 318, 0), 0xFF0F0Fu);
    EXPECT_EQ(pixel(frame, 319, 0), 0x0FFF0Fu);
    EXPECT_EQ(pixel(frame, 0, 5), 0x120305u);
    EXPECT_EQ(pixel(frame, 1, 5), 0x013405u);
    EXPECT_EQ(pixel(frame, 2, 5), 0x010356u);
}

TEST(FrameEffects, SpeckleSetsSaltThenPepperAtRandomPlacesAndNothingElse) {
    HeadlessDemo demo;
    Bitmap frame(0x808080);
    pushFrame(demo, frame);
    SpeckleEffect speckle;
    speckle.init(&demo);
    speckle.render();
    expectUniform(frame, 0x808080);

    speckle.saltCount = 32;
    speckle.pepperCount = 32;
    Zorvek::seedShowRand(42);
    auto salt = drawPositions(32);
    auto pepper = drawPositions(32);
    Zorvek::seedShowRand(42);
    speckle.render();
    int white = 0, black = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            std::uint32_t p = pixel(frame, x, y);
            bool isPepper = pepper.count({x, y}) > 0, isSalt = salt.count({x, y}) > 0;
            ASSERT_EQ(p, isPepper ? 0u : isSalt ? 0xFFFFFFu : 0x808080u) << x << ", " << y;
            white += p == 0xFFFFFF;
            black += p == 0;
        }
    EXPECT_LE(white, 32);
    EXPECT_GT(white, 0);
    EXPECT_EQ(black, static_cast<int>(pepper.size()));
    EXPECT_EQ(demo.frameCount, 2);
}

TEST(FrameEffects, FlipperRollsFasterAndFasterThroughItsPeriod) {
    HeadlessDemo demo;
    VerticalFlipperEffect flipper;
    flipper.init(&demo);
    EXPECT_EQ(flipper.period, 8000);
    EXPECT_EQ(flipper.offset, 120);
    const std::pair<int, int> offsets[] = {{0, 0}, {1000, 30}, {4000, 0}, {2000, 120}, {100, 7}, {7999, 228}};
    for (auto [time, offset] : offsets) {
        flipper.update(time);
        EXPECT_EQ(flipper.offset, offset) << time;
    }
    flipper.update(7990);  // 47880.012 turns to 47880, 120 rows short of a whole turn
    EXPECT_EQ(flipper.offset, 120);
}

TEST(FrameEffects, FlipperWritesTheSourceRolledDownWithWrapAround) {
    Stage stage;
    BITMAP* picture = stage.picture("ROWS", makeFrame(0));
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) setPixel(picture, x, y, y << 8 | (x & 0xFF));
    ImageEffect image;
    VerticalFlipperEffect flipper;
    image.load(&stage.demo, "ROWS");
    flipper.init(&stage.demo);
    stage.event(image, 0, 8000);
    stage.event(flipper, 0, 8000);
    BITMAP* frame = stage.passAt(1000);  // 30 rows down
    EXPECT_EQ(frame, flipper.frame);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; x += 31)
            ASSERT_EQ(pixel(frame, x, (y + 30) % 240), pixel(picture, x, y)) << x << ", " << y;
    stage.end();
}

TEST(FrameEffects, RainbowSeedPlantsOneHueAtTheCentreAndAtSixtyFourRandomPlaces) {
    HeadlessDemo demo;
    Bitmap frame(0);
    pushFrame(demo, frame);
    RainbowSeed seed;
    seed.init(&demo);
    EXPECT_EQ(seed.period, 1950);
    seed.update(0);
    Zorvek::seedShowRand(7);
    auto places = drawPositions(64);
    places.insert({160, 120});
    Zorvek::seedShowRand(7);
    seed.render();
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            ASSERT_EQ(pixel(frame, x, y), places.count({x, y}) ? 0xFF0000u : 0u) << x << ", " << y;
    seed.update(975);  // half way round: cyan
    seed.render();
    EXPECT_EQ(pixel(frame, 160, 120), 0x00FFFFu);
    EXPECT_EQ(demo.frameCount, 2);
}

TEST(FrameEffects, FeedbackCarriesThePictureOnTopWhenTheEaterRanIntoTheFeedersNextPass) {
    Stage stage;
    FeedbackFeederEffect feeder;
    FeedbackEaterEffect eater;
    ImageEffect image;
    BITMAP* picture = stage.picture("PICTURE", makeFrame(0));
    scramble(picture, 11);
    image.load(&stage.demo, "PICTURE");
    feeder.init(&stage.demo);
    feeder.feedbackFrame = stage.demo.display.borrowScratch();
    eater.init(&stage.demo);
    eater.feeder = &feeder;
    stage.event(image, 0, 1000);
    stage.event(eater, 0, 1000);
    stage.event(feeder, 1000, 1000);

    EXPECT_EQ(stage.passAt(0), picture);
    BITMAP* fed = stage.passAt(1000);
    EXPECT_EQ(fed, feeder.feedbackFrame);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(fed, x, y), pixel(picture, x, y));
    stage.end();
}

TEST(FrameEffects, FeederGivesItsFrameBackWhenDestroyed) {
    HeadlessDemo demo;
    {
        FeedbackFeederEffect feeder;
        feeder.init(&demo);
        feeder.feedbackFrame = demo.display.borrowScratch();
        EXPECT_TRUE(demo.display.inUse[0]);
    }
    EXPECT_FALSE(demo.display.inUse[0]);
}

TEST(FrameEffects, StayInsideFramesOfOtherSizes) {
    HeadlessDemo demo;
    RgbugEffect rgbug;
    VerticalFlipperEffect flipper;
    CopyEffect copy;
    rgbug.init(&demo);
    flipper.init(&demo);
    copy.init(&demo);
    for (int width : {1, 2, 4, 5}) {
        Bitmap narrow(0xFFFFFF, width, 2);
        demo.frameCount = 1;
        pushFrame(demo, narrow);
        rgbug.render();
        const std::uint32_t triad[3] = {0xFF0F0F, 0x0FFF0F, 0x0F0FFF};
        for (int x = 0; x < width; ++x) EXPECT_EQ(pixel(narrow, x, 1), triad[x % 3]) << width;
    }
    // A source shorter than the roll is rolled within its own rows: 30 rows of 20 are 10.
    Bitmap shallow(0x123456, 320, 20);
    flipper.start();
    clear_to_color(flipper.frame, 0);
    flipper.update(1000);  // 30 rows
    demo.frameCount = 1;
    setPixel(shallow, 0, 0, 0xABCDEF);
    setPixel(shallow, 0, 19, 0xFEDCBA);
    pushFrame(demo, shallow);
    flipper.render();
    EXPECT_EQ(pixel(flipper.frame, 0, 10), 0xABCDEFu);
    EXPECT_EQ(pixel(flipper.frame, 0, 9), 0xFEDCBAu);
    EXPECT_EQ(pixel(flipper.frame, 5, 19), 0x123456u);
    EXPECT_EQ(pixel(flipper.frame, 0, 20), 0u);
    flipper.stop();
    // A larger source is copied as far as the own frame reaches.
    Bitmap wide(0x654321, 400, 300);
    copy.start();
    demo.frameCount = 1;
    pushFrame(demo, wide);
    copy.render();
    EXPECT_EQ(pixel(copy.frame, 319, 239), 0x654321u);
    copy.stop();
}
