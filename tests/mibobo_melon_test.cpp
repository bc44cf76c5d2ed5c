#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "effects/melon.h"
#include "effects/mibobo.h"
#include "support/allocations.h"
#include "support/headless.h"
#include "support/images.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A demo whose loader holds the card's photo and a texture of the given size: red front (columns
// 0..127), blue back (128..255), rows 0..177, anything beyond black. The edges u = 128 (shared)
// and u = 256 (wrapping to column 0) are sampled by both sides, the perspective steps overshoot
// them by a texel or two, so the columns around them are grey.
struct CardDemo {
    HeadlessDemo demo;
    BITMAP* photo;
    BITMAP* texture;

    explicit CardDemo(int textureW = 256, int textureH = 256)
        : photo(makeFrame(0x20A040)), texture(makeFrame(0, textureW, textureH)) {
        rectfill(texture, 0, 0, 127, 177, 0xC03030);
        rectfill(texture, 128, 0, 255, 177, 0x3030C0);
        rectfill(texture, 125, 0, 130, 177, 0x808080);
        rectfill(texture, 0, 0, 2, 177, 0x808080);
        rectfill(texture, 253, 0, 255, 177, 0x808080);
        demo.loader.datafile = "test.dat";
        demo.loader.insert("test.dat#MIBOBO_PHOTO_PNG", photo, 0, Loader::KIND_IMAGE);
        demo.loader.insert("test.dat#MIBOBO_TEXTURE_PNG", texture, 0, Loader::KIND_IMAGE);
    }
    ~CardDemo() {
        demo.loader.unloadImage(photo);
        demo.loader.unloadImage(texture);
    }

    // Counts pixels of the pushed frame that show the front (red) and the back (blue).
    struct Sides {
        int front = 0, back = 0, other = 0;
    };
    Sides sides(BITMAP* f) {
        Sides s;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const std::uint32_t p = pixel(f, x, y) & 0xFFFFFF;
                if (p == 0xC03030) ++s.front;
                else if (p == 0x3030C0) ++s.back;
                else if (p != 0x20A040) ++s.other;
            }
        return s;
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Card

TEST(Card, ShowsExactlyOneSideOverThePhotoAsItTurns) {
    CardDemo c;
    MiboboEffect card;
    card.init(&c.demo);
    EXPECT_STREQ(card.name(), "3D Model Car");
    EXPECT_EQ(card.model->vertexCount, 4);
    EXPECT_EQ(card.model->faceCount, 4);
    card.start();
    int fronts = 0, backs = 0;
    for (int time = 0; time < 1000; time += 25) {
        card.update(time);
        EXPECT_EQ(card.clock, time);
        card.render();
        ASSERT_EQ(c.demo.frameCount, 2);
        BITMAP* f = c.demo.frames[1];
        c.demo.frameCount = 1;
        const MeshFace* faces = card.model->faces;
        const bool backShown = faces[0].normalZ > 0 && faces[1].normalZ > 0;
        const bool frontShown = faces[2].normalZ > 0 && faces[3].normalZ > 0;
        EXPECT_NE(backShown, frontShown) << "time " << time;
        SCOPED_TRACE(time);
        const auto s = c.sides(f);
        // Nearly edge-on, the perspective steps can reach a texel or two past the grey edges.
        if (frontShown) {
            ++fronts;
            EXPECT_GT(s.front, 10 * s.back + 10);
        } else {
            ++backs;
            EXPECT_GT(s.back, 10 * s.front + 10);
        }
        EXPECT_EQ(pixel(f, 319, 239), 0x20A040u) << "the card stays in the upper left";
    }
    EXPECT_GT(fronts, 0);
    EXPECT_GT(backs, 0);
    card.stop();
}

TEST(Card, WithNoSideFacingTheViewerOnlyThePhotoIsDrawn) {
    CardDemo c;
    MiboboEffect card;
    card.init(&c.demo);
    card.start();
    // Edge-on in the limit: every corner on one point leaves every face normal at 0.
    for (int v = 0; v < 4; ++v) card.model->vertices[v] = {10, 20, 0, 0, 0, 0};
    card.update(300);
    card.render();
    for (int f = 0; f < 4; ++f) EXPECT_EQ(card.model->faces[f].normalZ, 0.0f);
    EXPECT_TRUE(sameImage(c.demo.frames[1], c.photo));
    c.demo.frameCount = 1;
    card.stop();
}

TEST(Card, ATextureWithoutPowerOfTwoSidesShowsTheSameCardAsOneWithThem) {
    std::vector<std::uint32_t> reference;
    {
        CardDemo c(256, 256);
        MiboboEffect card;
        card.init(&c.demo);
        card.start();
        card.update(130);
        card.render();
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) reference.push_back(pixel(c.demo.frames[1], x, y));
        c.demo.frameCount = 1;
        card.stop();
    }
    {
        CardDemo c(256, 178);  // the area the faces address, and no more
        MiboboEffect card;
        card.init(&c.demo);
        card.start();
        card.update(130);
        card.render();
        std::size_t differing = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) differing += pixel(c.demo.frames[1], x, y) != reference[320 * y + x];
        EXPECT_EQ(differing, 0u);
        c.demo.frameCount = 1;
        card.stop();
    }
    {
        CardDemo c(200, 100);  // smaller than the card: never read outside it
        MiboboEffect card;
        card.init(&c.demo);
        card.start();
        for (int time = 0; time < 1000; time += 100) {
            card.update(time);
            card.render();
            c.demo.frameCount = 1;
        }
        card.stop();
    }
}

TEST(Card, APassAllocatesNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in this build";
    CardDemo c;
    MiboboEffect card;
    card.init(&c.demo);
    card.start();
    EXPECT_EQ(allocationsDuring([&] {
                  for (int time = 0; time < 1000; time += 50) {
                      card.update(time);
                      card.render();
                      c.demo.frameCount = 1;
                  }
              }),
              0);
    card.stop();
}

TEST(Card, GivesBothImagesBackWhenDestroyed) {
    CardDemo c;
    {
        MiboboEffect card;
        card.init(&c.demo);
        EXPECT_EQ(c.demo.loader.entries[0].refCount, 2);
        EXPECT_EQ(c.demo.loader.entries[1].refCount, 2);
    }
    EXPECT_EQ(c.demo.loader.entries[0].refCount, 1);
    EXPECT_EQ(c.demo.loader.entries[1].refCount, 1);
}

// ---------------------------------------------------------------------------------------------
// Melon

namespace {

// A demo with a 64 x 64 melon of one colour whose top-left quarter is the mask colour.
struct MelonDemo {
    HeadlessDemo demo;
    BITMAP* melon;
    BouncyMelonEffect effect;

    MelonDemo() : melon(makeFrame(0x30C030, 64, 64)) {
        rectfill(melon, 0, 0, 31, 31, 0xFF00FF);
        demo.loader.datafile = "test.dat";
        demo.loader.insert("test.dat#MELON_PNG", melon, 0, Loader::KIND_IMAGE);
        effect.load(&demo, "MELON_PNG", 100, 12);
    }
    ~MelonDemo() { demo.loader.unloadImage(melon); }

    struct Box {
        int left = 320, top = 240, right = -1, bottom = -1, masked = 0;
        std::uint32_t topLeft = 0;  // the frame pixel under the melon's top-left corner
    };
    // Where the melon lands on a black frame at `time`.
    Box drawAt(int time) {
        Bitmap below(0);
        pushFrame(demo, below);
        effect.update(time);
        effect.render();
        EXPECT_EQ(demo.frameCount, 2) << "an overlay leaves the stack as it is";
        demo.frameCount = 1;
        Box b;
        b.topLeft = pixel(below, 90, 180);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const std::uint32_t p = pixel(below, x, y);
                if (p == 0xFF00FF) ++b.masked;
                if (p != 0x30C030) continue;
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
        return b;
    }
};

}  // namespace

TEST(Melon, OnTheFloorItIsSquashedTo84By24AroundItsCentre) {
    MelonDemo m;
    EXPECT_STREQ(m.effect.name(), "Bouncy Melon");
    const auto b = m.drawAt(0);
    EXPECT_EQ(m.effect.bounce, 0.0f);
    EXPECT_EQ(b.left, 90);
    EXPECT_EQ(b.right, 90 + 83);
    EXPECT_EQ(b.top, 180);
    EXPECT_EQ(b.bottom, 203);
    EXPECT_EQ(b.masked, 0) << "mask-coloured pixels are skipped";
    EXPECT_EQ(b.topLeft, 0u);
}

TEST(Melon, APassAllocatesNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in this build";
    MelonDemo m;
    Bitmap below(0);
    EXPECT_EQ(allocationsDuring([&] {
                  for (int time = 0; time < 975; time += 25) {
                      pushFrame(m.demo, below);
                      m.effect.update(time);
                      m.effect.render();
                      m.demo.frameCount = 1;
                  }
              }),
              0);
}

TEST(Melon, HighUpItIsDrawnUnscaledAndTheBottomStaysOnTheFloorWhileSquashed) {
    MelonDemo m;
    const auto high = m.drawAt(487);  // the middle of the bounce: top row 20
    EXPECT_EQ(high.left, 100);
    EXPECT_EQ(high.right, 163);
    EXPECT_EQ(high.top, 20);
    EXPECT_EQ(high.bottom, 83);
    for (int time = 0; time < 975; time += 15) {
        const int topRow = static_cast<int>(180 - 160 * std::sin(std::numbers::pi * (time / 975.0)));
        const auto b = m.drawAt(time);
        if (topRow > 140) {
            EXPECT_EQ(b.bottom, 203) << "time " << time;
        } else {
            EXPECT_EQ(b.right - b.left, 63) << "time " << time;
            EXPECT_EQ(b.bottom, topRow + 63) << "time " << time;
        }
    }
    m.drawAt(975 + 487);  // a second bounce repeats the first
    EXPECT_EQ(m.effect.bounce, static_cast<float>(487 / 975.0));
}
