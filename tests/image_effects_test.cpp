#include "effects/image_effects.h"

#include <gtest/gtest.h>

#include <utility>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "effects/fills.h"
#include "effects/mixers.h"
#include "support/frame_flow.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A picture whose every pixel tells where it is: x in the low byte and y in the middle one, over
// a fixed top byte of red.
BITMAP* coordinates(int width, int height) {
    BITMAP* b = makeFrame(0, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) setPixel(b, x, y, 0x800000 | (y & 0xFF) << 8 | (x & 0xFF));
    return b;
}

int countNot(BITMAP* b, std::uint32_t colour) {
    int n = 0;
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) n += pixel(b, x, y) != colour;
    return n;
}

// Runs an overlay once on a grey frame.
void drawOnGrey(HeadlessDemo& demo, Effect& overlay, BITMAP* frame) {
    clear_to_color(frame, 0x404040);
    demo.frameCount = 1;
    pushFrame(demo, frame);
    overlay.start();
    overlay.update(0);
    overlay.render();
    overlay.stop();
    EXPECT_EQ(demo.frameCount, 2) << overlay.name();
}

}  // namespace

TEST(ImageEffects, ShowTheirNamesInTheEventList) {
    ImageEffect image;
    ProtectedImageEffect protectedImage;
    ImageBlitEffect blitter;
    SpriteBlitEffect sprite;
    AlphaBlitEffect alpha;
    HorScrollBlitEffect scroller;
    InterlaceEffect interlace;
    EXPECT_STREQ(image.name(), "Image");
    EXPECT_STREQ(protectedImage.name(), "Image");
    EXPECT_STREQ(blitter.name(), "Blit");
    EXPECT_STREQ(sprite.name(), "Sprite");
    EXPECT_STREQ(alpha.name(), "Alpha Blit");
    EXPECT_STREQ(scroller.name(), "Scrollmap");
    EXPECT_STREQ(interlace.name(), "Interlace Flicker");
}

TEST(ImageEffects, ImagePushesTheCachedPictureItselfAndProtectedImageACopyInItsOwnFrame) {
    Stage stage;
    BITMAP* picture = stage.picture("SMALL_PNG", coordinates(100, 50));
    ImageEffect image;
    ProtectedImageEffect protectedImage;
    image.load(&stage.demo, "SMALL_PNG");
    protectedImage.load(&stage.demo, "SMALL_PNG");
    EXPECT_EQ(image.image, picture);
    EXPECT_EQ(protectedImage.image, picture);
    EXPECT_EQ(image.period, 1000);
    stage.event(image, 0, 1000);
    stage.event(protectedImage, 1000, 1000);
    EXPECT_EQ(stage.passAt(0), picture);

    // The scratch frame is lent as it was left; what the picture does not cover stays.
    clear_to_color(stage.demo.display.scratch[0], 0x00FF00);
    BITMAP* frame = stage.passAt(1000);
    EXPECT_EQ(frame, protectedImage.frame);
    EXPECT_EQ(pixel(frame, 99, 49), pixel(picture, 99, 49));
    EXPECT_EQ(pixel(frame, 0, 0), pixel(picture, 0, 0));
    EXPECT_EQ(pixel(frame, 100, 0), 0x00FF00u);
    EXPECT_EQ(pixel(frame, 0, 50), 0x00FF00u);
    stage.end();
    EXPECT_FALSE(stage.demo.display.inUse[0]);
}

TEST(ImageEffects, BlitsAreClippedToTheFrameNotWrapped) {
    Stage stage;
    Bitmap frame(0);
    stage.picture("TILE_PNG", coordinates(100, 60));
    stage.picture("HUGE_PNG", coordinates(400, 300));
    ImageBlitEffect tile, huge;
    tile.load(&stage.demo, "TILE_PNG", -30, -20);
    huge.load(&stage.demo, "HUGE_PNG", 0, 0);
    EXPECT_EQ(tile.x, -30);
    EXPECT_EQ(tile.y, -20);

    drawOnGrey(stage.demo, tile, frame);
    EXPECT_EQ(pixel(frame, 0, 0), 0x801400u | 30);
    EXPECT_EQ(pixel(frame, 69, 39), 0x803B00u | 99);
    EXPECT_EQ(pixel(frame, 70, 0), 0x404040u);
    EXPECT_EQ(pixel(frame, 0, 40), 0x404040u);
    EXPECT_EQ(countNot(frame, 0x404040), 70 * 40);

    tile.x = 300;  // hangs over the right and bottom edges
    tile.y = 200;
    drawOnGrey(stage.demo, tile, frame);
    EXPECT_EQ(pixel(frame, 319, 239), 0x802700u | 19);
    EXPECT_EQ(countNot(frame, 0x404040), 20 * 40);
    EXPECT_EQ(pixel(frame, 0, 0), 0x404040u);

    for (auto [x, y] : {std::pair{320, 0}, {-100, 0}, {0, 240}, {0, -60}}) {
        tile.x = x;
        tile.y = y;
        drawOnGrey(stage.demo, tile, frame);
        EXPECT_EQ(countNot(frame, 0x404040), 0) << x << ", " << y;
    }

    drawOnGrey(stage.demo, huge, frame);
    EXPECT_EQ(pixel(frame, 319, 239), 0x80EF00u | (319 & 0xFF));
    EXPECT_EQ(countNot(frame, 0x404040), 320 * 240);
}

TEST(ImageEffects, SpriteLeavesMagentaPixelsOut) {
    Stage stage;
    Bitmap frame(0);
    BITMAP* picture = stage.picture("SPRITE_PNG", makeFrame(0xFF00FF, 10, 10));
    setPixel(picture, 3, 4, 0x123456);
    setPixel(picture, 0, 0, 0xFE00FF);  // close to the mask colour is not the mask colour
    SpriteBlitEffect sprite;
    sprite.load(&stage.demo, "SPRITE_PNG", 50, 60);
    drawOnGrey(stage.demo, sprite, frame);
    EXPECT_EQ(pixel(frame, 53, 64), 0x123456u);
    EXPECT_EQ(pixel(frame, 50, 60), 0xFE00FFu);
    EXPECT_EQ(countNot(frame, 0x404040), 2);
}

// Allegro's own draw_trans_sprite is the oracle: on one thread and in strips on a pool, clipped
// on every side, over a frame whose top bytes are set, with the sprite's mask colour in it.
TEST(ImageEffects, AlphaBlitBlendsAsAllegrosAlphaSpriteOnOneThreadAndInStripsOnAPool) {
    for (int threads : {1, 3}) {
        Stage stage;
        stage.demo.workers.resize(threads);
        BITMAP* picture = stage.picture("GLASS_PNG", makeFrame(0, 320, 240));
        scramble(picture, 11);  // every alpha from 0 to 255
        for (int x = 0; x < 320; x += 7)
            setPixel(picture, x, x % 240, static_cast<std::uint32_t>(bitmap_mask_color(picture)));
        for (auto [x, y] : {std::pair{-7, 13}, {5, -9}, {0, 0}, {301, 230}, {-320, 0}}) {
            AlphaBlitEffect alpha;
            alpha.load(&stage.demo, "GLASS_PNG", x, y);
            alpha.prepare();
            Bitmap expected(0), frame(0);
            scramble(expected, 12);
            blit(expected, frame, 0, 0, 0, 0, 320, 240);
            draw_trans_sprite(expected, picture, x, y);
            stage.demo.frameCount = 1;
            pushFrame(stage.demo, frame);
            alpha.render();
            int wrong = 0;
            for (int py = 0; py < 240; ++py)
                for (int px = 0; px < 320; ++px) wrong += pixel(frame, px, py) != pixel(expected, px, py);
            EXPECT_EQ(wrong, 0) << threads << " threads, at " << x << ", " << y;
        }
    }
}

TEST(ImageEffects, AlphaBlitBlendsEachPixelByItsOwnAlpha) {
    Stage stage;
    Bitmap frame(0);
    BITMAP* picture = stage.picture("GLASS_PNG", makeFrame(0x00FFFFFF, 3, 1));
    setPixel(picture, 1, 0, 0xFFC08000);
    setPixel(picture, 2, 0, 0x80FFFFFF);
    AlphaBlitEffect alpha;
    alpha.load(&stage.demo, "GLASS_PNG", 10, 20);
    drawOnGrey(stage.demo, alpha, frame);
    EXPECT_EQ(pixel(frame, 10, 20), 0x404040u);    // alpha 0: nothing of the picture
    EXPECT_EQ(pixel(frame, 11, 20), 0x00C08000u);  // alpha 255: the picture's colour
    std::uint32_t half = pixel(frame, 12, 20);     // alpha 128: half way from 0x40 to 0xFF
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(static_cast<int>((half >> (8 * c)) & 0xFF), 0x40 + (0xFF - 0x40) / 2, 1);
    EXPECT_EQ(half >> 24, 0u);
    EXPECT_EQ(countNot(frame, 0x404040), 2);
}

TEST(ImageEffects, ScrollerCrossesTheFrameFromRightToLeftOncePerPeriod) {
    Stage stage;
    stage.picture("QR_PNG", coordinates(320, 40));
    HorScrollBlitEffect scroller;
    BlacknessEffect black;
    black.init(&stage.demo);
    scroller.load(&stage.demo, "QR_PNG", 152, 1000);
    EXPECT_EQ(scroller.period, 1000);
    EXPECT_EQ(scroller.y, 152);
    stage.event(black, 0, 3000);
    stage.event(scroller, 0, 3000);

    BITMAP* frame = stage.passAt(0);
    EXPECT_EQ(scroller.x, 320);
    EXPECT_EQ(countNot(frame, 0), 0);
    frame = stage.passAt(500);
    EXPECT_EQ(scroller.x, 0);
    EXPECT_EQ(pixel(frame, 0, 152), 0x800000u);
    EXPECT_EQ(pixel(frame, 319, 191), 0x802700u | 63);
    EXPECT_EQ(pixel(frame, 0, 151), 0u);
    stage.passAt(999);
    EXPECT_EQ(scroller.x, 320 - 639);
    stage.passAt(1250);  // the second crossing of a longer event
    EXPECT_EQ(scroller.x, 160);
    stage.end();
}

TEST(ImageEffects, ScrollerWithoutACrossingTimeStaysOutOfSight) {
    Stage stage;
    stage.picture("QR_PNG", coordinates(320, 40));
    HorScrollBlitEffect scroller;
    scroller.load(&stage.demo, "QR_PNG", 10, 0);
    scroller.update(123);
    EXPECT_EQ(scroller.x, 320);
}

TEST(ImageEffects, InterlaceAlternatesHalvesThroughOneCounterSharedByAllInstances) {
    Stage stage;
    BITMAP* picture = stage.picture("NUDE_PNG", coordinates(320, 480));
    InterlaceEffect first, second;
    BlacknessEffect black;
    black.init(&stage.demo);
    first.load(&stage.demo, "NUDE_PNG");
    second.load(&stage.demo, "NUDE_PNG");
    EXPECT_EQ(first.image, picture);
    EXPECT_EQ(first.x, 0);
    stage.event(black, 0, 1000);
    stage.event(first, 0, 1000);
    stage.event(second, 0, 1000);
    InterlaceEffect::phase = 0;

    BITMAP* frame = stage.passAt(0);
    EXPECT_EQ(first.y, 0);
    EXPECT_EQ(second.y, -240);
    EXPECT_EQ(pixel(frame, 5, 0), pixel(picture, 5, 240));  // the lower half, drawn last
    frame = stage.passAt(1);
    EXPECT_EQ(first.y, 0);
    EXPECT_EQ(second.y, -239);
    EXPECT_EQ(pixel(frame, 5, 0), pixel(picture, 5, 239));
    EXPECT_EQ(pixel(frame, 5, 1), pixel(picture, 5, 240));
    EXPECT_EQ(InterlaceEffect::phase, 0);

    InterlaceEffect::phase = -3;  // remainder keeps the dividend's sign: -2, then -1, then 0
    first.update(0);
    EXPECT_EQ(first.y, 0);
    EXPECT_EQ(InterlaceEffect::phase, -2);
    stage.end();
}

TEST(ImageEffects, EffectsLoadingOneNameShareOneBitmapUntilTheLastGivesItBack) {
    Stage stage;
    BITMAP* melon = stage.picture("MELON_PNG", coordinates(64, 64));
    auto first = std::make_unique<SpriteBlitEffect>();
    ImageBlitEffect second;
    first->load(&stage.demo, "MELON_PNG", 0, 0);
    second.load(&stage.demo, "MELON_PNG", 0, 0);
    EXPECT_EQ(first->image, second.image);
    EXPECT_EQ(stage.demo.loader.entries[0].refCount, 3);  // the stage holds one too
    first.reset();
    EXPECT_EQ(stage.demo.loader.entries[0].refCount, 2);
    EXPECT_EQ(pixel(second.image, 10, 20), 0x80140Au);
    EXPECT_EQ(second.image, melon);
}

TEST(ImageEffects, AnImageUsedAsTheLowerInputOfAMixerStaysUnchanged) {
    Stage stage;
    BITMAP* picture = stage.picture("LOGO_PNG", coordinates(320, 240));
    ImageEffect image;
    WhitenessEffect white;
    Mix5050Effect mix;
    image.load(&stage.demo, "LOGO_PNG");
    white.init(&stage.demo);
    mix.init(&stage.demo);
    stage.event(image, 0, 1000);
    stage.event(white, 0, 1000);
    stage.event(mix, 0, 1000);
    BITMAP* frame = stage.passAt(0);
    EXPECT_EQ(frame, white.frame);
    EXPECT_EQ(pixel(frame, 7, 9), 0x7F7F7Fu + ((0x800907u & 0xFEFEFE) >> 1));
    EXPECT_EQ(pixel(picture, 7, 9), 0x800907u);
    stage.end();
}
