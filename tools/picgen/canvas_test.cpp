// The picture generator's drawing primitives: coverage that adds up to the shapes' areas, blur
// that keeps what it spreads, text that fits where it is asked to, the magenta mask, and PNG
// files of the declared colour type with exactly rounded bytes.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <numeric>
#include <string>

#include "canvas.h"
#include "lettering.h"
#include "pictures.h"

namespace picgen {
namespace {

float total(const Mask& m) { return std::accumulate(m.v.begin(), m.v.end(), 0.0f); }

TEST(Shapes, coverageAddsUpToTheAreaOfTheShape) {
    // Edges on fractional positions, so partial pixels must count by their fraction.
    EXPECT_NEAR(total(rectMask(64, 64, 10.25f, 8.5f, 40.75f, 30.0f)), 30.5f * 21.5f, 2.0f);
    EXPECT_NEAR(total(polygonMask(64, 64, {10.3f, 5.1f, 50.7f, 12.2f, 22.4f, 55.9f})),
                0.5f * std::abs((50.7f - 10.3f) * (55.9f - 5.1f) - (22.4f - 10.3f) * (12.2f - 5.1f)), 3.0f);
    EXPECT_NEAR(total(circleMask(64, 64, 31.3f, 30.8f, 20)), std::numbers::pi_v<float> * 400, 4.0f);
    EXPECT_NEAR(total(lineMask(64, 64, 10, 20, 50, 20, 6)), 40 * 6 + std::numbers::pi_v<float> * 9, 4.0f);
}

TEST(Shapes, coverageStaysBetweenZeroAndOne) {
    // A polygon that overlaps itself is still filled once (non-zero winding), never twice.
    Mask m = polygonMask(32, 32, {2, 2, 30, 2, 30, 30, 2, 30, 2, 2, 30, 2, 30, 30, 2, 30});
    for (float v : m.v) {
        EXPECT_GE(v, 0.0f);
        EXPECT_LE(v, 1.0f);
    }
    EXPECT_FLOAT_EQ(m.at(16, 16), 1.0f);
}

TEST(Shapes, shapesOutsideThePictureAreClippedNotWrapped) {
    Mask m = circleMask(40, 30, -5, 15, 10);
    EXPECT_GT(m.at(0, 15), 0.9f);
    EXPECT_EQ(m.at(39, 15), 0.0f);
    Mask p = polygonMask(40, 30, {-20, -20, 60, -20, 60, 5, -20, 5});
    EXPECT_FLOAT_EQ(p.at(0, 0), 1.0f);
    EXPECT_FLOAT_EQ(p.at(39, 4), 1.0f);
    EXPECT_EQ(p.at(20, 10), 0.0f);
}

TEST(MaskArithmetic, blurSpreadsButKeepsTheAmountAwayFromTheEdges) {
    // Radius 8: three box passes of half-width 4 reach 12 pixels.
    Mask m = rectMask(100, 100, 20, 20, 80, 80);
    Mask b = blurred(m, 8);
    EXPECT_NEAR(total(b), total(m), 1.0f);
    EXPECT_LT(b.at(20, 50), 0.9f);  // the edge softened
    EXPECT_GT(b.at(10, 50), 0.0f);  // and spread outwards
    EXPECT_LT(b.at(6, 50), 1e-5f);  // but no farther than its reach
    EXPECT_NEAR(b.at(50, 50), 1.0f, 1e-4f);
}

TEST(MaskArithmetic, grownAndHardenedMasks) {
    Mask dot = circleMask(40, 40, 20, 20, 5);
    Mask g = grown(dot, 3);
    EXPECT_GT(total(g), total(dot));
    EXPECT_GT(g.at(20, 27), 0.5f);  // three pixels beyond the rim
    EXPECT_EQ(g.at(20, 35), 0.0f);
    for (float v : hardened(g).v) EXPECT_TRUE(v == 0.0f || v == 1.0f);
    Mask s = shifted(dot, 10, -4);
    EXPECT_FLOAT_EQ(s.at(30, 16), dot.at(20, 20));
}

TEST(Lettering, fittedTextFitsTheWidthAndUsesMostOfIt) {
    for (float width : {60.0f, 150.0f, 300.0f}) {
        TextStyle s = fitted("ZORVEK", {FONT_BOLD, 200, 1.1f, 0.2f, 2}, width);
        float w = textWidth("ZORVEK", s);
        EXPECT_LE(w, width);
        EXPECT_GT(w, width * 0.85f);
    }
    TextStyle small{FONT_BOLD, 10, 1, 0, 0};
    EXPECT_EQ(fitted("HI", small, 300).size, 10) << "never enlarged";
}

TEST(Lettering, textIsCentredOnItsPoint) {
    Mask m = textMask(200, 60, "VELMORA", {FONT_BOLD, 30, 1, 0, 0}, 100, 45);
    auto [left, right] = coveredColumns(m);
    auto [top, bottom] = coveredRows(m);
    EXPECT_NEAR((left + right) / 2.0f, 100.0f, 3.0f);
    EXPECT_LE(bottom, 46);  // capitals sit on the baseline
    EXPECT_GT(top, 10);
}

TEST(Sprites, everythingOutsideTheKeptAreaBecomesExactMagenta) {
    Image img(8, 1, Colour{0.2f, 0.3f, 0.4f});
    Mask keep(8, 1);
    keep.v = {0, 0.2f, 0.49f, 0.5f, 0.8f, 1, 1, 0};
    maskWithMagenta(img, keep);
    for (int x : {0, 1, 2, 7}) EXPECT_TRUE(img.at(x, 0).r == 1 && img.at(x, 0).g == 0 && img.at(x, 0).b == 1) << x;
    for (int x : {3, 4, 5, 6}) EXPECT_FLOAT_EQ(img.at(x, 0).g, 0.3f) << x;
}

TEST(Random, aSeedGivesOneSequenceInTheUnitInterval) {
    Random a(7), b(7), c(8);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        float u = a.uniform();
        EXPECT_EQ(u, b.uniform());
        differs = differs || u != c.uniform();
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
    EXPECT_TRUE(differs);
}

// Reads a PNG back with libpng: colour type and the bytes of row y.
struct ReadBack {
    int colourType = -1, width = 0, height = 0;
    std::vector<png_byte> row;
};
ReadBack readPng(const std::string& path, int y) {
    ReadBack out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    out.colourType = (image.format & PNG_FORMAT_FLAG_ALPHA) ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    out.width = int(image.width);
    out.height = int(image.height);
    std::vector<png_byte> all(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, all.data(), 0, nullptr);
    std::size_t stride = PNG_IMAGE_ROW_STRIDE(image);
    out.row.assign(all.begin() + std::ptrdiff_t(stride * y), all.begin() + std::ptrdiff_t(stride * (y + 1)));
    return out;
}

TEST(Png, opaquePicturesAreWrittenAsRgbWithRoundedClampedBytes) {
    Image img(3, 2, Colour{0, 0, 0});
    img.at(0, 1) = {0.5f, 1.0f, 0.0f};
    img.at(1, 1) = {1.7f, -0.3f, 0.2f};  // out of range: clamped
    img.at(2, 1) = {0.1f, 0.9f, 0.999f};
    std::string path = "picgen_canvas_test_rgb_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(writePng(img, path, PngKind::Rgb));
    ReadBack r = readPng(path, 1);
    std::remove(path.c_str());
    EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 2);
    std::vector<png_byte> expected = {128, 255, 0, 255, 0, 51, 26, 230, 255};
    EXPECT_EQ(r.row, expected);
}

TEST(Png, alphaPicturesKeepTheirAlpha) {
    Image img(2, 1, Colour{1, 0, 0});
    img.alpha = {0.0f, 0.5f};
    std::string path = "picgen_canvas_test_rgba_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(writePng(img, path, PngKind::Rgba));
    ReadBack r = readPng(path, 0);
    std::remove(path.c_str());
    EXPECT_EQ(r.colourType, PNG_COLOR_TYPE_RGBA);
    ASSERT_EQ(r.row.size(), 8u);
    EXPECT_EQ(r.row[3], 0);
    EXPECT_EQ(r.row[7], 128);
}

TEST(Png, anUnwritablePathIsReportedNotIgnored) {
    Image img(2, 2);
    EXPECT_FALSE(writePng(img, "/nonexistent-directory/x.png", PngKind::Rgb));
}

}  // namespace
}  // namespace picgen
