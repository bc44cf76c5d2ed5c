#include "effects/mixers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>

#include "effects/image_effects.h"
#include "support/frame_flow.h"
#include "support/headless.h"
#include "timeline/timeline.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A picture with a different pixel everywhere, alpha byte included.
// Mixes a uniform upper frame `a` over a uniform lower frame `b` and returns the result, checking
// that every pixel got the same value.
std::uint32_t mixUniform(Effect& mixer, std::uint32_t a, std::uint32_t b) {
    HeadlessDemo demo;
    Bitmap lower(b), upper(a);
    pushFrame(demo, lower);
    pushFrame(demo, upper);
    mixer.init(&demo);
    mixer.start();
    mixer.update(0);
    mixer.render();
    mixer.stop();
    std::uint32_t first = pixel(upper, 0, 0);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (pixel(upper, x, y) != first) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs";
                return first;
            }
    return first;
}

int channel(std::uint32_t p, int c) { return (p >> (8 * c)) & 0xFF; }

// Checks a mixer over two scrambled frames against a rule written channel by channel.
void expectPerChannel(Effect& mixer, const std::function<int(int, int)>& rule) {
    HeadlessDemo demo;
    Bitmap lower(0), upper(0), before(0);
    scramble(lower, 1);
    scramble(upper, 2);
    blit(upper, before, 0, 0, 0, 0, 320, 240);
    pushFrame(demo, lower);
    pushFrame(demo, upper);
    mixer.init(&demo);
    mixer.render();
    int wrong = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            std::uint32_t a = pixel(before, x, y), b = pixel(lower, x, y), want = 0;
            for (int c = 0; c < 3; ++c)
                want |= static_cast<std::uint32_t>(rule(channel(a, c), channel(b, c))) << (8 * c);
            if (pixel(upper, x, y) != want && wrong++ < 3)
                ADD_FAILURE() << mixer.name() << " at (" << x << ", " << y << "): " << std::hex << pixel(upper, x, y)
                              << " instead of " << want;
        }
}

}  // namespace

// One of each mixer, as the show holds them.
struct AllMixers {
    MixMaxEffect max;
    MixMinEffect min;
    MixMulEffect mul;
    MixXorEffect xorMix;
    Mix5050Effect half;
    Mix2575Effect quarter;
    Mix7525Effect threeQuarters;
    Dither5050Effect dither;
    CrossfadeEffect crossfade;

    TimelineEvent event{&crossfade, 0, 999, 1000, 0};  // the crossfade is half way through

    std::array<Effect*, 9> all() {
        return {&max, &min, &mul, &xorMix, &half, &quarter, &threeQuarters, &dither, &crossfade};
    }

    // One pass of `mixer` over the frames pushed on `demo`.
    void mix(Effect* mixer, HeadlessDemo& demo) {
        mixer->init(&demo);
        mixer->event = &event;
        mixer->update(500);
        mixer->render();
    }
};

TEST(Mixers, ShowTheirNamesInTheEventList) {
    AllMixers m;
    const char* names[] = {"Mix Maximum", "Mix Minimum", "Mix Multiply", "Mix XOR", "Mix 50-50",
                           "Mix 25-75",   "Mix 75-25",   "Dither 50-50", "Effect"};
    const char** name = names;
    for (Effect* mixer : m.all()) EXPECT_STREQ(mixer->name(), *name++);
}

TEST(Mixers, PopTwoFramesAndPushTheUpperOneHoldingTheMixLeavingTheLowerOneUnchanged) {
    AllMixers m;
    for (Effect* mixer : m.all()) {
        HeadlessDemo demo;
        Bitmap bottom(0x123456), lower(0x00FF00), upper(0xFF0000);
        pushFrame(demo, bottom);
        pushFrame(demo, lower);
        pushFrame(demo, upper);
        m.mix(mixer, demo);
        EXPECT_EQ(demo.frameCount, 3) << mixer->name();
        EXPECT_EQ(demo.frames[2], upper.get()) << mixer->name();
        EXPECT_EQ(demo.frames[1], bottom.get()) << mixer->name();
        EXPECT_EQ(pixel(lower, 17, 33), 0x00FF00u) << mixer->name();
        EXPECT_EQ(pixel(bottom, 17, 33), 0x123456u) << mixer->name();
    }
}

TEST(Mixers, MaximumAndMinimumDropTheLowestBitOfEveryChannel) {
    MixMaxEffect max;
    MixMinEffect min;
    EXPECT_EQ(mixUniform(max, 0x00FF0101, 0x00000000), 0x00FE0000u);
    EXPECT_EQ(mixUniform(min, 0x00FF0101, 0x00FFFFFF), 0x00FE0000u);
    EXPECT_EQ(mixUniform(max, 0x00103080, 0x00801030), 0x00803080u);
    EXPECT_EQ(mixUniform(min, 0x00103080, 0x00801030), 0x00101030u);
    // A loaded image's alpha byte does not survive.
    EXPECT_EQ(mixUniform(max, 0xFF000000, 0x80000000), 0x00000000u);
    expectPerChannel(max, [](int a, int b) { return std::max(a, b) & 0xFE; });
    expectPerChannel(min, [](int a, int b) { return std::min(a, b) & 0xFE; });
}

TEST(Mixers, MultiplyScalesEachChannelByTheOtherOver256) {
    MixMulEffect mul;
    EXPECT_EQ(mixUniform(mul, 0x00FFFFFF, 0x00FFFFFF), 0x00FEFEFEu);
    EXPECT_EQ(mixUniform(mul, 0x00808080, 0x00FF4020), 0x007F2010u);
    EXPECT_EQ(mixUniform(mul, 0xFFFFFFFF, 0xFFFFFFFF), 0x00FEFEFEu);
    expectPerChannel(mul, [](int a, int b) { return a * b / 256; });
}

TEST(Mixers, AveragesTruncateEveryHalfAndQuarterOnItsOwn) {
    Mix5050Effect half;
    Mix2575Effect quarter;
    Mix7525Effect threeQuarters;
    EXPECT_EQ(mixUniform(half, 0x00FFFFFF, 0x00000000), 0x007F7F7Fu);
    EXPECT_EQ(mixUniform(half, 0x00FFFFFF, 0x00FFFFFF), 0x00FEFEFEu);
    EXPECT_EQ(mixUniform(quarter, 0x00FFFFFF, 0x00000000), 0x003F3F3Fu);
    EXPECT_EQ(mixUniform(quarter, 0x00000000, 0x00FFFFFF), 0x00BEBEBEu);
    EXPECT_EQ(mixUniform(quarter, 0x00FFFFFF, 0x00FFFFFF), 0x00FDFDFDu);
    EXPECT_EQ(mixUniform(threeQuarters, 0x00FFFFFF, 0x00000000), 0x00BEBEBEu);
    EXPECT_EQ(mixUniform(threeQuarters, 0x00FFFFFF, 0x00FFFFFF), 0x00FDFDFDu);
    expectPerChannel(half, [](int a, int b) { return a / 2 + b / 2; });
    expectPerChannel(quarter, [](int a, int b) { return a / 4 + b / 2 + b / 4; });
    expectPerChannel(threeQuarters, [](int a, int b) { return a / 2 + a / 4 + b / 4; });
}

TEST(Mixers, XorOfAFrameWithItselfIsBlackAndKeepsTheWholeWordOtherwise) {
    MixXorEffect xorMix;
    EXPECT_EQ(mixUniform(xorMix, 0xFF00FF00, 0x0F0F0F0F), 0xF00FF00Fu);
    HeadlessDemo demo;
    Bitmap picture(0);
    scramble(picture, 7);
    pushFrame(demo, picture);
    pushFrame(demo, picture);
    xorMix.init(&demo);
    xorMix.render();
    EXPECT_EQ(demo.frameCount, 2);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(picture, x, y), 0u) << x << ", " << y;
}

TEST(Mixers, DitherShowsTheLowerFrameShiftedOneColumnInTheOtherTwoPixelsOfEachCell) {
    HeadlessDemo demo;
    Bitmap lower(0), upper(0);
    // Lower picture: the column number in blue and the row number in green.
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) setPixel(lower, x, y, 0x010000 | y << 8 | (x & 0xFF));
    pushFrame(demo, lower);
    pushFrame(demo, upper);
    Dither5050Effect dither;
    dither.init(&demo);
    dither.render();
    EXPECT_EQ(pixel(upper, 1, 0), pixel(lower, 0, 0));
    EXPECT_EQ(pixel(upper, 3, 0), pixel(lower, 2, 0));
    EXPECT_EQ(pixel(upper, 0, 1), pixel(lower, 1, 1));
    EXPECT_EQ(pixel(upper, 2, 1), pixel(lower, 3, 1));
    EXPECT_EQ(pixel(upper, 0, 0), 0u);
    EXPECT_EQ(pixel(upper, 1, 1), 0u);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            bool fromLower = ((x ^ y) & 1) != 0;
            std::uint32_t want = !fromLower ? 0 : (y & 1) == 0 ? pixel(lower, x - 1, y) : pixel(lower, x + 1, y);
            ASSERT_EQ(pixel(upper, x, y), want) << x << ", " << y;
        }
}

TEST(Mixers, CrossfadeRunsFromTheUpperToTheLowerFrameOverItsEvent) {
    Stage stage;
    ImageEffect lower, upper;
    CrossfadeEffect crossfade;
    stage.picture("LOWER", makeFrame(0x000000FF));
    stage.picture("UPPER", makeFrame(0x00FF0000));
    lower.load(&stage.demo, "LOWER");
    upper.load(&stage.demo, "UPPER");
    crossfade.init(&stage.demo);
    EXPECT_EQ(crossfade.period, 0);
    stage.event(lower, 0, 4000);
    stage.event(upper, 0, 4000);
    stage.event(crossfade, 1000, 1000);

    // The upper picture is the result, so the mix lands in the upper image itself.
    BITMAP* frame = stage.passAt(1500);
    EXPECT_EQ(frame, upper.image);
    EXPECT_FLOAT_EQ(crossfade.weight, 0.5f);
    EXPECT_EQ(pixel(frame, 0, 0), 0x007F007Fu);
    EXPECT_EQ(pixel(frame, 319, 239), 0x007F007Fu);
    EXPECT_EQ(pixel(lower.image, 5, 5), 0x000000FFu);
    stage.end();
}

TEST(Mixers, CrossfadeKeepsTheUpperFrameAtItsStartAndNearlyReachesTheLowerOneAtItsEnd) {
    CrossfadeEffect crossfade;
    TimelineEvent event{&crossfade, 0, 99, 100, 0};
    crossfade.event = &event;
    HeadlessDemo demo;
    Bitmap lower(0x00FFFFFF), upper(0x00000000);
    crossfade.init(&demo);
    pushFrame(demo, lower);
    pushFrame(demo, upper);
    crossfade.update(0);
    crossfade.render();
    EXPECT_EQ(pixel(upper, 100, 100), 0u);
    demo.frameCount = 1;
    pushFrame(demo, lower);
    pushFrame(demo, upper);
    crossfade.update(99);  // weight 0.99: 252.45 truncates to 252
    crossfade.render();
    EXPECT_EQ(pixel(upper, 100, 100), 0x00FCFCFCu);
}

TEST(Mixers, CrossfadeTruncatesTheDoublePrecisionSumForEveryPairOfChannelValues) {
    // Every pair (a, b) of channel values once, in red, and shifted through green and blue.
    HeadlessDemo demo;
    Bitmap lower(0), upperPristine(0), upper(0);
    for (int i = 0; i < 320 * 240; ++i) {
        std::uint32_t a = i & 0xFF, b = (i >> 8) & 0xFF, x = i % 320, y = i / 320;
        setPixel(upperPristine, x, y, a << 16 | (a ^ 0x5A) << 8 | (255 - a) | 0xFF000000);
        setPixel(lower, x, y, b << 16 | (b ^ 0xA5) << 8 | (b * 7 & 0xFF));
    }
    CrossfadeEffect crossfade;
    crossfade.init(&demo);
    for (int duration : {600, 975, 1000, 3900}) {
        TimelineEvent event{&crossfade, 0, duration - 1, duration, 0};
        crossfade.event = &event;
        for (int time = 0; time < duration; time += duration / 150 + 1) {
            crossfade.update(time);
            const double w = crossfade.weight;
            blit(upperPristine, upper, 0, 0, 0, 0, 320, 240);
            demo.frameCount = 1;
            pushFrame(demo, lower);
            pushFrame(demo, upper);
            crossfade.render();
            int wrong = 0;
            for (int y = 0; y < 240; ++y)
                for (int x = 0; x < 320; ++x) {
                    std::uint32_t a = pixel(upperPristine, x, y), b = pixel(lower, x, y), want = 0;
                    for (int c = 0; c < 3; ++c)
                        want |=
                            static_cast<std::uint32_t>(static_cast<int>(w * channel(b, c) + (1.0 - w) * channel(a, c)))
                            << (8 * c);
                    wrong += pixel(upper, x, y) != want;
                }
            ASSERT_EQ(wrong, 0) << "weight " << time << " / " << duration;
        }
    }
}

TEST(Mixers, MixOnlyTheAreaBothFramesCoverWhenTheirSizesDiffer) {
    AllMixers m;
    for (Effect* mixer : m.all()) {
        HeadlessDemo demo;
        Bitmap lower(0x00FFFFFF, 100, 50), upper(0x00000000, 320, 240);
        pushFrame(demo, lower);
        pushFrame(demo, upper);
        m.mix(mixer, demo);
        EXPECT_EQ(pixel(upper, 150, 120), 0u) << mixer->name();
        EXPECT_EQ(pixel(upper, 100, 10), 0u) << mixer->name();
        EXPECT_EQ(pixel(upper, 10, 50), 0u) << mixer->name();
        if (mixer != &m.min && mixer != &m.mul) {  // black stays black under those two
            EXPECT_NE(pixel(upper, 99, 48), 0u) << mixer->name();
        }
    }
}
