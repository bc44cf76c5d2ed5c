#include <gtest/gtest.h>

#include <allegro.h>

#include <cstdint>
#include <random>

#include "effects/bumpmaps.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A demo whose loader holds a bump image "BUMP" and a light image "LIGHT", each with one
// reference of the test's own, as the datafile would give them.
class BumpDemo : public HeadlessDemo {
public:
    BITMAP* bump;
    BITMAP* light;

    BumpDemo(int bumpWidth = 320, int bumpHeight = 240, int lightSize = 256)
        : bump(makeFrame(0, bumpWidth, bumpHeight)), light(makeFrame(0, lightSize, lightSize)) {
        loader.datafile = "test.dat";
        loader.insert("test.dat#BUMP", bump, 0, Loader::KIND_IMAGE);
        loader.insert("test.dat#LIGHT", light, 0, Loader::KIND_IMAGE);
        // Every light pixel names its own position: red = column, green = row.
        for (int v = 0; v < light->h; ++v)
            for (int u = 0; u < light->w; ++u) setPixel(light, u, v, lightColour(u, v));
    }
    ~BumpDemo() override {
        loader.unloadImage(light);
        loader.unloadImage(bump);
    }
    static std::uint32_t lightColour(int u, int v) {
        return static_cast<std::uint32_t>((u & 0xFF) << 16 | (v & 0xFF) << 8 | 0x40);
    }
    void fillHeights(int height) { clear_to_color(bump, height * 0x010101); }
    int refCount(BITMAP* image) const {
        for (int i = 0; i < loader.count; ++i)
            if (loader.entries[i].data == image) return loader.entries[i].refCount;
        return 0;
    }
};

// One pass as the main loop would run it, with the light put where the test wants it.
template <class Bump>
BITMAP* pass(Demo& demo, Bump& effect, int lightX, int lightY) {
    demo.frameCount = 1;
    effect.lightX = lightX;
    effect.lightY = lightY;
    effect.render();
    EXPECT_EQ(demo.frameCount, 2);
    EXPECT_EQ(demo.frames[1], effect.frame);
    return demo.frames[1];
}

// The relief lit pixel by pixel with the library's clipped reads, as the rule states it, with
// no read outside the light image's 256 x 256 window or the image itself.
std::uint32_t expectedPixel(BITMAP* bump, BITMAP* light, int x, int y, int lightX, int lightY, bool depth) {
    auto height = [bump](int px, int py) { return getpixel(bump, px, py) & 0xFF; };
    const int u = x - lightX + 128 + ((height(x, y) - height(x + 2, y)) >> 1);
    const int v = y - lightY + 127 + ((height(x, y) - height(x, y + 2)) >> 1);
    if (u < 0 || v < 0 || u > 255 || v > 255 || u >= light->w || v >= light->h) return 0;
    const std::uint32_t l = static_cast<std::uint32_t>(getpixel(light, u, v));
    if (!depth) return l & 0xFFFFFF;
    const std::uint32_t d = static_cast<std::uint32_t>(height(x + 1, y + 1));
    return ((((l & 0xFF00FF) * d) >> 8) & 0xFF00FF) | ((((l & 0x00FF00) * d) >> 8) & 0x00FF00);
}

template <class Bump>
void expectRuleEverywhere(BumpDemo& demo, bool depth) {
    Bump effect;
    effect.load(&demo, "BUMP", "LIGHT");
    effect.start();
    for (auto [lx, ly] : {std::pair{160, 120}, {160, 200}, {0, 0}, {319, 239}, {280, 130}, {40, 60}}) {
        BITMAP* f = pass(demo, effect, lx, ly);
        int wrong = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (pixel(f, x, y) != expectedPixel(demo.bump, demo.light, x, y, lx, ly, depth) && ++wrong < 5)
                    ADD_FAILURE() << "light (" << lx << ", " << ly << "), pixel (" << x << ", " << y << ")";
        EXPECT_EQ(wrong, 0);
    }
    effect.stop();
}

void fillRandomRelief(BITMAP* bump, unsigned seed) {
    std::mt19937 random(seed);
    for (int y = 0; y < bump->h; ++y)
        for (int x = 0; x < bump->w; ++x) setPixel(bump, x, y, random() & 0xFFFFFF);
}

}  // namespace

TEST(BumpmapEffect, LoadTakesBothImagesAndCentresTheLight) {
    BumpDemo demo;
    BumpmapEffect bump;
    bump.load(&demo, "BUMP", "LIGHT");
    EXPECT_STREQ(bump.name(), "2D Bumpmap");
    EXPECT_EQ(bump.bumpmap, demo.bump);
    EXPECT_EQ(bump.lightmap, demo.light);
    EXPECT_EQ(bump.lightX, 160);
    EXPECT_EQ(bump.lightY, 120);
    EXPECT_EQ(bump.period, 975);
    EXPECT_EQ(bump.demo, &demo);
    BumpmapMixEffect depth;
    depth.load(&demo, "BUMP", "LIGHT");
    EXPECT_STREQ(depth.name(), "2D Depthmap");
}

TEST(BumpmapEffect, TwoInstancesShareOneImageAndGiveItBackWhenDestroyed) {
    BumpDemo demo;
    {
        BumpmapEffect first;
        first.load(&demo, "BUMP", "LIGHT");
        {
            BumpmapMixEffect second;
            second.load(&demo, "BUMP", "LIGHT");
            EXPECT_EQ(second.lightmap, first.lightmap);
            EXPECT_EQ(demo.refCount(demo.light), 3);
            EXPECT_EQ(demo.refCount(demo.bump), 3);
        }
        EXPECT_EQ(demo.refCount(demo.light), 2);
    }
    EXPECT_EQ(demo.refCount(demo.light), 1);
    EXPECT_EQ(demo.refCount(demo.bump), 1);
    EXPECT_EQ(demo.loader.count, 2);
}

TEST(BumpmapEffect, TheLightCirclesAnEllipseFromBelowTheCentreTowardsTheRight) {
    BumpDemo demo;
    BumpmapEffect bump;
    bump.load(&demo, "BUMP", "LIGHT");
    bump.update(0);
    EXPECT_EQ(bump.lightX, 160);
    EXPECT_EQ(bump.lightY, 200);
    bump.update(100);
    EXPECT_GT(bump.lightX, 160);
    EXPECT_LT(bump.lightY, 200);
    bump.update(244);  // a quarter period: the right end of the ellipse
    EXPECT_EQ(bump.lightX, 279);
    EXPECT_EQ(bump.lightY, 119);
    bump.update(488);
    EXPECT_EQ(bump.lightX, 159);
    EXPECT_EQ(bump.lightY, 40);
}

TEST(BumpmapEffect, AFlatReliefShowsTheLightWindowCentredOnTheLightWithBlackAround) {
    BumpDemo demo;
    demo.fillHeights(0x40);
    BumpmapEffect bump;
    bump.load(&demo, "BUMP", "LIGHT");
    bump.start();
    bump.update(0);
    bump.render();
    ASSERT_EQ(demo.frameCount, 2);
    BITMAP* f = demo.frames[1];
    // The light image's pixel (128, 127) sits on the light at (160, 200).
    EXPECT_EQ(pixel(f, 160, 200), BumpDemo::lightColour(128, 127));
    EXPECT_EQ(pixel(f, 32, 73), BumpDemo::lightColour(0, 0));
    EXPECT_EQ(pixel(f, 287, 200), BumpDemo::lightColour(255, 127));
    EXPECT_EQ(pixel(f, 31, 100), 0u);   // left of the window
    EXPECT_EQ(pixel(f, 288, 100), 0u);  // right of it
    EXPECT_EQ(pixel(f, 100, 72), 0u);   // above it
    // Where the relief is flat (all but the last two columns and rows) the window is exact.
    int wrong = 0;
    for (int y = 0; y < 238; ++y)
        for (int x = 0; x < 318; ++x) {
            const int u = x - 160 + 128, v = y - 200 + 127;
            const bool inside = u >= 0 && u <= 255 && v >= 0 && v <= 255;
            if (pixel(f, x, y) != (inside ? BumpDemo::lightColour(u, v) : 0u)) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    bump.stop();
}

TEST(BumpmapEffect, BeyondTheRightAndBottomEdgesHeightsReadAsFullAndPullTheLight) {
    BumpDemo demo;
    demo.fillHeights(0);
    BumpmapEffect bump;
    bump.load(&demo, "BUMP", "LIGHT");
    bump.start();
    BITMAP* f = pass(demo, bump, 300, 100);
    // Column 318 looks two columns right, past the edge: (0 - 255) >> 1 = -128.
    EXPECT_EQ(pixel(f, 318, 100), BumpDemo::lightColour(318 - 300 + 128 - 128, 127));
    EXPECT_EQ(pixel(f, 317, 100), BumpDemo::lightColour(317 - 300 + 128, 127));
    f = pass(demo, bump, 150, 200);
    EXPECT_EQ(pixel(f, 150, 239), BumpDemo::lightColour(128, 239 - 200 + 127 - 128));
    EXPECT_EQ(pixel(f, 150, 237), BumpDemo::lightColour(128, 237 - 200 + 127));
    // A relief as high as the outside has no slope there.
    demo.fillHeights(255);
    f = pass(demo, bump, 300, 100);
    EXPECT_EQ(pixel(f, 318, 100), BumpDemo::lightColour(318 - 300 + 128, 127));
    bump.stop();
}

TEST(BumpmapEffect, ADownhillSlopeOfOddHeightRoundsTowardMinusInfinity) {
    BumpDemo demo;
    // Heights rise by 3 every two columns: the slope term is (-3) >> 1 = -2, not -1.
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) setPixel(demo.bump, x, y, static_cast<std::uint32_t>((3 * x / 2) & 0xFF));
    BumpmapEffect bump;
    bump.load(&demo, "BUMP", "LIGHT");
    bump.start();
    BITMAP* f = pass(demo, bump, 60, 120);
    for (int x : {10, 11, 100, 150}) EXPECT_EQ(pixel(f, x, 120), BumpDemo::lightColour(x - 60 + 128 - 2, 127)) << x;
    bump.stop();
}

TEST(BumpmapEffect, EveryPixelFollowsTheRuleOnARandomRelief) {
    BumpDemo demo;
    fillRandomRelief(demo.bump, 3);
    expectRuleEverywhere<BumpmapEffect>(demo, false);
}

TEST(BumpmapEffect, SmallerImagesAreReadOnlyInsideThemselves) {
    BumpDemo demo(200, 150, 180);
    fillRandomRelief(demo.bump, 4);
    expectRuleEverywhere<BumpmapEffect>(demo, false);
    expectRuleEverywhere<BumpmapMixEffect>(demo, true);
}

TEST(BumpmapEffect, TheLightImagesAlphaStaysOutOfTheFrame) {
    BumpDemo demo;
    demo.fillHeights(0x80);
    setPixel(demo.light, 128, 127, 0xFF123456);
    BumpmapEffect bump;
    bump.load(&demo, "BUMP", "LIGHT");
    bump.start();
    EXPECT_EQ(pixel(pass(demo, bump, 160, 120), 160, 120), 0x00123456u);
    bump.stop();
}

TEST(BumpmapMixEffect, DarkensEachPixelByTheHeightDiagonallyBelowIt) {
    BumpDemo demo;
    BumpmapMixEffect depth;
    depth.load(&demo, "BUMP", "LIGHT");
    depth.start();
    clear_to_color(demo.light, 0xFFFFFF);
    demo.fillHeights(255);
    BITMAP* f = pass(demo, depth, 160, 120);
    EXPECT_EQ(pixel(f, 160, 120), 0xFEFEFEu);
    EXPECT_EQ(pixel(f, 20, 20), 0u);  // outside the light window still black
    demo.fillHeights(0);
    EXPECT_EQ(pixel(pass(demo, depth, 160, 120), 160, 120), 0u);
    // Each channel times 128 / 256; the depth is read one pixel right and one down.
    clear_to_color(demo.light, 0x804021);
    setPixel(demo.bump, 101, 51, 128);
    f = pass(demo, depth, 100, 50);
    EXPECT_EQ(pixel(f, 100, 50), 0x402010u);
    depth.stop();
}

TEST(BumpmapMixEffect, EveryPixelFollowsTheRuleOnARandomRelief) {
    BumpDemo demo;
    fillRandomRelief(demo.bump, 5);
    expectRuleEverywhere<BumpmapMixEffect>(demo, true);
}
