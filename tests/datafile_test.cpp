// The generated datafile as the show reads it: every picture opened with load_png on
// "oldskool.dat#NAME_PNG" at 32 bits, checked against what the show relies on (sizes, alpha,
// the magenta mask, grey heights, light centres, movie frames) and against what survives the
// show's filters (contrast, bold movie colours).

#include <allegro.h>
#include <loadpng.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "resources/loader.h"
#include "support/images.h"

namespace {

constexpr std::uint32_t MAGENTA = 0xFF00FF;

enum class Kind { Opaque, Alpha, Magenta, Grey, OneBit };
enum class Fit {
    Exact,    // exactly w x h
    AtMost,   // at most w x h
    AtLeast,  // at least w x h
    Strip,    // any width, at most h rows
    Movie,    // w wide, a whole number (at least 2) of h-row frames
};

struct Expected {
    const char* name;
    Kind kind;
    Fit fit;
    int w, h;
};

// The show's catalogue of pictures.
const std::vector<Expected> CATALOGUE = {
    {"ZVKLOGO1_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ZVKLOGO2_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ZVKLOGO8_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ZVKLOGO4_PNG", Kind::Magenta, Fit::AtMost, 256, 144},
    {"ZVKTAG_1BIT_PNG", Kind::OneBit, Fit::Exact, 320, 240},
    {"ZVKTAG_PNG", Kind::Alpha, Fit::Exact, 320, 240},
    {"FRAME_PNG", Kind::Alpha, Fit::Exact, 320, 240},
    {"TESTED_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"VELMORA1_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"VELMORA2_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"WARNING_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"WELCOME_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"BREAK_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ENDSCREEN_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ZVKNUDE1_PNG", Kind::Opaque, Fit::Exact, 320, 480},
    {"ZVKNUDE2_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ZVKNUDE2B_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ZVKNUDE3_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"ZVKNUDE4_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"DANCERS_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"NEON_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"SPECS_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"MRSHOLLOW_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"MIBOBO_PHOTO_PNG", Kind::Opaque, Fit::Exact, 320, 240},
    {"MIBOBO_TEXTURE_PNG", Kind::Opaque, Fit::AtLeast, 256, 178},
    {"BUMPMAP1_PNG", Kind::Grey, Fit::Exact, 320, 240},
    {"BUMPMAP2_PNG", Kind::Grey, Fit::Exact, 320, 240},
    {"PHONGMAP1_PNG", Kind::Opaque, Fit::Exact, 256, 256},
    {"PHONGMAP2_PNG", Kind::Opaque, Fit::Exact, 256, 256},
    {"MELON_PNG", Kind::Magenta, Fit::Exact, 64, 64},
    {"LIVE_PNG", Kind::Magenta, Fit::AtMost, 56, 24},
    {"QR_PNG", Kind::Opaque, Fit::Strip, 0, 88},
    {"CREDITS_PNG", Kind::Magenta, Fit::Strip, 0, 100},
    {"GOGO1_PNG", Kind::Opaque, Fit::Exact, 80, 600},
    {"GOGO2_PNG", Kind::Opaque, Fit::Movie, 80, 60},
    {"GOGO3_PNG", Kind::Opaque, Fit::Movie, 80, 60},
    {"BRUTAL_PNG", Kind::Opaque, Fit::Movie, 80, 60},
};

// Allegro without a screen, at the show's colour depth, in the directory of the datafile, so
// that pictures are opened by exactly the paths the show uses.
class DatafileEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(install_allegro(SYSTEM_NONE, &errno, atexit), 0);
        set_color_depth(32);
        // Red in bits 16-23 and blue in 0-7, as the show's display sets them: without a graphics
        // mode the library would put red and blue the other way round.
        _rgb_r_shift_32 = 16;
        _rgb_g_shift_32 = 8;
        _rgb_b_shift_32 = 0;
        _rgb_a_shift_32 = 24;
        std::vector<std::string> dirs = {".", ".."};
        if (const char* d = std::getenv("VELMORA_DATAFILE_DIR")) dirs.insert(dirs.begin(), d);
        for (const std::string& dir : dirs)
            if (access((dir + "/oldskool.dat").c_str(), R_OK) == 0) {
                ASSERT_EQ(chdir(dir.c_str()), 0);
                return;
            }
        FAIL() << "oldskool.dat not found beside the tests or the program (build the datafile target)";
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new DatafileEnvironment);

struct BitmapDeleter {
    void operator()(BITMAP* b) const { destroy_bitmap(b); }
};
using Picture = std::unique_ptr<BITMAP, BitmapDeleter>;

Picture load(const std::string& object) { return Picture(load_png(("oldskool.dat#" + object).c_str(), nullptr)); }

std::uint32_t at(BITMAP* b, int x, int y) { return reinterpret_cast<std::uint32_t*>(b->line[y])[x]; }
int red(std::uint32_t p) { return (p >> 16) & 0xFF; }
int green(std::uint32_t p) { return (p >> 8) & 0xFF; }
int blue(std::uint32_t p) { return p & 0xFF; }
int alpha(std::uint32_t p) { return p >> 24; }
int luma(std::uint32_t p) { return (2 * red(p) + 5 * green(p) + blue(p)) / 8; }

template <class Visit>
void forEachPixel(BITMAP* b, Visit visit) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) visit(x, y, at(b, x, y));
}

std::vector<const Expected*> ofKind(Kind kind) {
    std::vector<const Expected*> out;
    for (const Expected& e : CATALOGUE)
        if (e.kind == kind) out.push_back(&e);
    return out;
}

// --- what every picture must be -------------------------------------------------------------

TEST(Datafile, everyCatalogueObjectLoadsAs32BitsAtItsSize) {
    for (const Expected& e : CATALOGUE) {
        SCOPED_TRACE(e.name);
        Picture p = load(e.name);
        ASSERT_TRUE(p) << "load_png could not open it";
        EXPECT_EQ(bitmap_color_depth(p.get()), 32);
        int w = p->w, h = p->h;
        switch (e.fit) {
            case Fit::Exact:
                EXPECT_EQ(w, e.w);
                EXPECT_EQ(h, e.h);
                break;
            case Fit::AtMost:
                EXPECT_LE(w, e.w);
                EXPECT_LE(h, e.h);
                break;
            case Fit::AtLeast:
                EXPECT_GE(w, e.w);
                EXPECT_GE(h, e.h);
                break;
            case Fit::Strip:
                EXPECT_GT(w, 0);
                EXPECT_LE(h, e.h);
                break;
            case Fit::Movie:
                EXPECT_EQ(w, e.w);
                EXPECT_EQ(h % e.h, 0);
                EXPECT_GE(h / e.h, 2);
                break;
        }
    }
}

TEST(Datafile, theShowsLoaderFindsEveryPictureByItsObjectNameWithThePixelsOfThePngAddOn) {
    auto loader = std::make_unique<Zorvek::Loader>();
    loader->datafile = "oldskool.dat";
    for (const Expected& e : CATALOGUE) {
        BITMAP* image = loader->loadImage(e.name);
        ASSERT_NE(image, nullptr) << e.name;
        EXPECT_EQ(loader->loadImage(e.name), image) << e.name << " is loaded once and shared";
        // The loader checks the datafile and decodes from memory; load_png reads the datafile
        // through the library's own packfile layer. Every pixel must be the same.
        EXPECT_TRUE(Zorvek::testing::sameImage(image, load(e.name).get())) << e.name;
    }
    EXPECT_EQ(loader->count, 37);
    for (const Expected& e : CATALOGUE) {
        BITMAP* image = loader->loadImage(e.name);
        for (int i = 0; i < 3; ++i) loader->unloadImage(image);
    }
    EXPECT_EQ(loader->count, 0);
}

TEST(Datafile, picturesWithoutAlphaLoadWithAZeroTopByte) {
    // Mixers and XOR work on whole words: a stray alpha byte would leak into every frame.
    for (const Expected& e : CATALOGUE) {
        if (e.kind == Kind::Alpha) continue;
        SCOPED_TRACE(e.name);
        Picture p = load(e.name);
        ASSERT_TRUE(p);
        int nonZero = 0;
        forEachPixel(p.get(), [&](int, int, std::uint32_t c) { nonZero += alpha(c) != 0; });
        EXPECT_EQ(nonZero, 0);
    }
}

TEST(Datafile, fullScreenPicturesHaveTheContrastToSurviveTheFilters) {
    // Blur, emboss, XOR and RGB masking leave nothing of a flat or mid-grey picture.
    for (const Expected& e : CATALOGUE) {
        if (e.kind != Kind::Opaque || e.fit != Fit::Exact || e.w != 320) continue;
        SCOPED_TRACE(e.name);
        Picture p = load(e.name);
        ASSERT_TRUE(p);
        double sum = 0, sum2 = 0;
        int dark = 0, bright = 0, n = p->w * p->h;
        forEachPixel(p.get(), [&](int, int, std::uint32_t c) {
            int l = luma(c);
            sum += l;
            sum2 += double(l) * l;
            dark += l < 48;
            bright += l > 200;
        });
        double mean = sum / n, deviation = std::sqrt(sum2 / n - mean * mean);
        EXPECT_GT(deviation, 40.0) << "too flat";
        EXPECT_GT(dark, n / 50) << "no deep shadows";
        EXPECT_GT(bright, n / 200) << "no highlights";
    }
}

// --- alpha and the mask colour --------------------------------------------------------------

TEST(Datafile, alphaPicturesHaveTransparentAndOpaquePixels) {
    for (const Expected* e : ofKind(Kind::Alpha)) {
        SCOPED_TRACE(e->name);
        Picture p = load(e->name);
        ASSERT_TRUE(p);
        int clear = 0, solid = 0;
        forEachPixel(p.get(), [&](int, int, std::uint32_t c) {
            clear += alpha(c) == 0;
            solid += alpha(c) == 255;
        });
        EXPECT_GT(clear, 100);
        EXPECT_GT(solid, 100);
    }
}

TEST(Datafile, theFrameHasAClearCentreAndTranslucentEdges) {
    Picture p = load("FRAME_PNG");
    ASSERT_TRUE(p);
    EXPECT_EQ(alpha(at(p.get(), 160, 120)), 0);
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 239}, {319, 239}, {160, 2}, {2, 120}})
        EXPECT_EQ(alpha(at(p.get(), x, y)), 255) << x << "," << y;
    int translucent = 0;
    forEachPixel(p.get(), [&](int, int, std::uint32_t c) { translucent += alpha(c) > 0 && alpha(c) < 255; });
    EXPECT_GT(translucent, 2000);
}

TEST(Datafile, maskedSpritesHoldExactMagentaAndOpaquePixelsWithoutAPinkFringe) {
    for (const Expected* e : ofKind(Kind::Magenta)) {
        SCOPED_TRACE(e->name);
        Picture p = load(e->name);
        ASSERT_TRUE(p);
        int magenta = 0, drawn = 0, fringe = 0;
        forEachPixel(p.get(), [&](int, int, std::uint32_t c) {
            c &= 0xFFFFFF;
            if (c == MAGENTA) {
                ++magenta;
                return;
            }
            ++drawn;
            // Nearly magenta: an antialiased edge blended with the mask colour.
            fringe += (255 - red(c)) + green(c) + (255 - blue(c)) < 120;
        });
        EXPECT_GT(magenta, 0);
        EXPECT_GT(drawn, 0);
        EXPECT_EQ(fringe, 0);
    }
}

TEST(Datafile, spritesLeaveTheirCornersToTheMaskColour) {
    // A round melon and a rounded badge: their corners must not draw a square.
    for (const char* name : {"MELON_PNG", "LIVE_PNG"}) {
        SCOPED_TRACE(name);
        Picture p = load(name);
        ASSERT_TRUE(p);
        int r = p->w - 1, b = p->h - 1;
        for (auto [x, y] : {std::pair{0, 0}, {r, 0}, {0, b}, {r, b}}) EXPECT_EQ(at(p.get(), x, y) & 0xFFFFFF, MAGENTA);
    }
}

TEST(Datafile, creditsAreExactMagentaWhereverTheyAreNotText) {
    Picture p = load("CREDITS_PNG");
    ASSERT_TRUE(p);
    int magenta = 0, text = 0, nearlyMagenta = 0;
    forEachPixel(p.get(), [&](int, int, std::uint32_t c) {
        c &= 0xFFFFFF;
        if (c == MAGENTA) ++magenta;
        else {
            ++text;
            nearlyMagenta += (255 - red(c)) + green(c) + (255 - blue(c)) < 200;
        }
    });
    EXPECT_EQ(nearlyMagenta, 0) << "text edges blended into the background";
    EXPECT_GT(text, p->w * p->h / 20);
    EXPECT_GT(magenta, p->w * p->h / 2);
    // The scroll begins and ends on bare magenta, and the strip is framed by it.
    for (int y = 0; y < p->h; ++y) {
        EXPECT_EQ(at(p.get(), 0, y) & 0xFFFFFF, MAGENTA);
        EXPECT_EQ(at(p.get(), p->w - 1, y) & 0xFFFFFF, MAGENTA);
    }
    for (int x = 0; x < p->w; ++x) {
        EXPECT_EQ(at(p.get(), x, 0) & 0xFFFFFF, MAGENTA);
        EXPECT_EQ(at(p.get(), x, p->h - 1) & 0xFFFFFF, MAGENTA);
    }
}

// --- maps for the bump mapper ---------------------------------------------------------------

TEST(Datafile, heightMapsAreGreyAndUseTheWholeRange) {
    for (const Expected* e : ofKind(Kind::Grey)) {
        SCOPED_TRACE(e->name);
        Picture p = load(e->name);
        ASSERT_TRUE(p);
        int coloured = 0, low = 255, high = 0;
        forEachPixel(p.get(), [&](int, int, std::uint32_t c) {
            coloured += red(c) != blue(c) || green(c) != blue(c);
            low = std::min(low, blue(c));
            high = std::max(high, blue(c));
        });
        EXPECT_EQ(coloured, 0);
        EXPECT_LE(low, 20);
        EXPECT_GE(high, 200);
    }
}

TEST(Datafile, theDepthMapsHeightsAreZeroInItsLowAreas) {
    // The depth map multiplies by height, so its low areas show black.
    Picture p = load("BUMPMAP1_PNG");
    ASSERT_TRUE(p);
    int zero = 0;
    forEachPixel(p.get(), [&](int, int, std::uint32_t c) { zero += blue(c) == 0; });
    EXPECT_GT(zero, p->w * p->h / 20);
}

TEST(Datafile, lightImagesAreBrightestAtTheLightCentreAndBlackAtTheEdges) {
    for (const char* name : {"PHONGMAP1_PNG", "PHONGMAP2_PNG"}) {
        SCOPED_TRACE(name);
        Picture p = load(name);
        ASSERT_TRUE(p);
        // Every pixel of the brightest value lies at the centre, not on a clipped plateau.
        int best = 0, farthest = 0;
        forEachPixel(p.get(), [&](int, int, std::uint32_t c) { best = std::max(best, red(c) + green(c) + blue(c)); });
        forEachPixel(p.get(), [&](int x, int y, std::uint32_t c) {
            if (red(c) + green(c) + blue(c) == best)
                farthest = std::max(farthest, std::abs(x - 128) + std::abs(y - 127));
        });
        EXPECT_LE(farthest, 1);
        EXPECT_GT(best, 600);
        for (auto [x, y] : {std::pair{0, 0}, {255, 0}, {0, 255}, {255, 255}, {0, 127}, {128, 0}})
            EXPECT_EQ(at(p.get(), x, y) & 0xFFFFFF, 0u) << x << "," << y;
        // Falling off along a row to the right of the centre.
        for (int x = 129; x < 255; ++x)
            EXPECT_LE(luma(at(p.get(), x + 1, 127)), luma(at(p.get(), x, 127))) << "at column " << x;
        // A wide pool, so that the relief is lit wherever the light moves over it: bright half
        // way out in every direction, and still lit near the rim.
        for (int step = 0; step < 64; ++step) {
            const double a = step * 3.14159265358979 / 32;
            for (auto [radius, least] : {std::pair{64, 120}, {112, 50}}) {
                const int x = 128 + static_cast<int>(std::lround(radius * std::cos(a)));
                const int y = 127 + static_cast<int>(std::lround(radius * std::sin(a)));
                EXPECT_GE(luma(at(p.get(), x, y)), least) << "radius " << radius << " at " << x << "," << y;
            }
        }
    }
    Picture a = load("PHONGMAP1_PNG"), b = load("PHONGMAP2_PNG");
    EXPECT_NE(at(a.get(), 128, 100) & 0xFFFFFF, at(b.get(), 128, 100) & 0xFFFFFF) << "two colourings";
}

// --- pictures with a particular use ---------------------------------------------------------

TEST(Datafile, theOneBitTagIsOnlyBlackAndWhite) {
    Picture p = load("ZVKTAG_1BIT_PNG");
    ASSERT_TRUE(p);
    int black = 0, white = 0, other = 0;
    forEachPixel(p.get(), [&](int, int, std::uint32_t c) {
        c &= 0xFFFFFF;
        black += c == 0;
        white += c == 0xFFFFFF;
        other += c != 0 && c != 0xFFFFFF;
    });
    EXPECT_EQ(other, 0);
    EXPECT_GT(black, p->w * p->h / 10);
    EXPECT_GT(white, p->w * p->h / 10);
}

TEST(Datafile, theInterlacedPictureHoldsTwoRelatedHalves) {
    Picture p = load("ZVKNUDE1_PNG");
    ASSERT_TRUE(p);
    int same = 0, differ = 0;
    long change = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            std::uint32_t a = at(p.get(), x, y), b = at(p.get(), x, y + 240);
            int d = std::abs(luma(a) - luma(b));
            same += d < 24;
            change += d;
            differ += (a & 0xFFFFFF) != (b & 0xFFFFFF);
        }
    EXPECT_GT(differ, 320 * 240 / 3) << "alternating must change the picture";
    EXPECT_GT(same, 320 * 240 / 5) << "the two halves share a shape";
    // The interlace shows them in turn every frame: more change than this flickers.
    EXPECT_LE(change / (320.0 * 240), 15.0) << "the halves differ so much that the picture flickers";
}

TEST(Datafile, theCardTextureHasADifferentFrontAndBackAtAPowerOfTwoSize) {
    Picture p = load("MIBOBO_TEXTURE_PNG");
    ASSERT_TRUE(p);
    // The scene renderer wraps u and v with masks of width - 1 and height - 1: any other size
    // would scramble the rows of the card.
    EXPECT_EQ(p->w & (p->w - 1), 0) << p->w;
    EXPECT_EQ(p->h & (p->h - 1), 0) << p->h;
    int differ = 0;
    for (int y = 0; y < 178; ++y)
        for (int x = 0; x < 128; ++x) differ += (at(p.get(), x, y) & 0xFFFFFF) != (at(p.get(), x + 128, y) & 0xFFFFFF);
    EXPECT_GT(differ, 128 * 178 / 2);
}

TEST(Datafile, theGroupMovieHasExactlyTenFrames) {
    Picture p = load("GOGO1_PNG");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->w, 80);
    EXPECT_EQ(p->h, 600);
}

TEST(Datafile, movieFramesMoveAndUseBoldColours) {
    for (const char* name : {"GOGO1_PNG", "GOGO2_PNG", "GOGO3_PNG", "BRUTAL_PNG"}) {
        SCOPED_TRACE(name);
        Picture p = load(name);
        ASSERT_TRUE(p);
        int frames = p->h / 60;
        for (int f = 0; f < frames; ++f) {
            int changed = 0, strong = 0;
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 80; ++x) {
                    std::uint32_t c = at(p.get(), x, f * 60 + y);
                    if (f + 1 < frames) changed += (c & 0xFFFFFF) != (at(p.get(), x, (f + 1) * 60 + y) & 0xFFFFFF);
                    // At four bits a channel, a channel at 0xC0 or more lights most dots of a cell.
                    strong += red(c) >= 0xC0 || green(c) >= 0xC0 || blue(c) >= 0xC0;
                }
            if (f + 1 < frames) {
                EXPECT_GT(changed, 40) << "frame " << f << " to " << f + 1;
            }
            EXPECT_GT(strong, 80 * 60 / 5) << "frame " << f;
        }
    }
}

}  // namespace
