#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effects/mibobo.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

bool sameImage(BITMAP* a, BITMAP* b) {
    for (int y = 0; y < a->h; ++y)
        if (std::memcmp(a->line[y], b->line[y], a->w * 4) != 0) return false;
    return true;
}

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
