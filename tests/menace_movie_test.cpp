#include <gtest/gtest.h>

#include <vector>

#include "effects/menace_movie.h"
#include "support/allocations.h"
#include "support/headless.h"

using namespace Zorvek;
using namespace Zorvek::testing;

namespace {

// A demo whose loader holds one movie strip under the path loadImage builds for "MOVIE_PNG".
struct MovieDemo {
    HeadlessDemo demo;
    BITMAP* strip;

    MovieDemo(int width, int height) : strip(makeFrame(0, width, height)) {
        demo.loader.datafile = "test.dat";
        demo.loader.insert("test.dat#MOVIE_PNG", strip, 0, Loader::KIND_IMAGE);
        // Movie frame n shows colour n in its top-left pixel, to tell the frames apart.
        for (int n = 0; n < height / 60; ++n) setPixel(strip, 0, 60 * n, 0x101010u * n);
    }
    ~MovieDemo() { demo.loader.unloadImage(strip); }
};

// The cell drawn for the pixel at (x, y) of the movie frame, as 16 pixels row by row.
std::vector<std::uint32_t> cellAt(BITMAP* f, int x, int y) {
    std::vector<std::uint32_t> cell;
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 4; ++i) cell.push_back(pixel(f, 4 * x + i, 4 * y + k));
    return cell;
}

int dotsOf(const std::vector<std::uint32_t>& cell, std::uint32_t channel) {
    int n = 0;
    for (std::uint32_t p : cell) n += (p & channel) == channel;
    return n;
}

}  // namespace

TEST(MenaceMovie, PlaysForwardThenBackwardShowingTheEndFramesTwiceAtTheTurns) {
    MovieDemo m(80, 600);
    {
        MenaceMovieEffect movie;
        movie.load(&m.demo, "MOVIE_PNG", 49);
        EXPECT_EQ(movie.movieFrames, 10);
        EXPECT_EQ(movie.period, 980);
        EXPECT_STREQ(movie.name(), "Menace Movie");
        const int expected[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
        for (int f = 0; f < 20; ++f) {
            movie.update(49 * f + 48);
            EXPECT_EQ(movie.movieFrame, expected[f]) << "time " << 49 * f + 48;
        }
        movie.update(980);  // the wrap of the period: frame 0 again
        EXPECT_EQ(movie.movieFrame, 0);
        movie.update(-49);  // never given by the main loop, but stays inside the strip
        EXPECT_EQ(movie.movieFrame, 0);
        EXPECT_EQ(m.demo.loader.entries[0].refCount, 2);
    }
    EXPECT_EQ(m.demo.loader.entries[0].refCount, 1) << "destruction gives the strip back";
}

TEST(MenaceMovie, CellsCountDotsPerChannelInTheFixedOrder) {
    MovieDemo m(80, 120);
    MenaceMovieEffect movie;
    movie.load(&m.demo, "MOVIE_PNG", 49);
    movie.start();
    setPixel(m.strip, 3, 2, 0x000F0F);  // every channel below 0x10: black cell
    setPixel(m.strip, 4, 2, 0xFFFFFF);  // index 4095
    setPixel(m.strip, 5, 2, 0x10F080);  // red 1, green 15, blue 8
    setPixel(m.strip, 6, 2, 0x700000);  // red 7
    setPixel(m.strip, 7, 2, 0x800000);  // red 8: nine dots
    movie.update(0);
    movie.render();
    ASSERT_EQ(m.demo.frameCount, 2);
    BITMAP* f = m.demo.frames[1];
    EXPECT_EQ(f, movie.frame);
    for (std::uint32_t p : cellAt(f, 3, 2)) EXPECT_EQ(p, 0u);

    // White: sixteen red dots; green's run wraps past the repeated position and misses (3, 3),
    // blue's misses (1, 2).
    const auto white = cellAt(f, 4, 2);
    EXPECT_EQ(white[3 * 4 + 3], 0xFF00FFu);
    EXPECT_EQ(white[2 * 4 + 1], 0xFFFF00u);
    EXPECT_EQ(dotsOf(white, 0xFFFFFF), 14);
    EXPECT_EQ(MenaceMovieEffect::patternIndex(0xFFFFFF), 4095);

    const auto mixed = cellAt(f, 5, 2);
    EXPECT_EQ(dotsOf(mixed, 0xFF0000), 1);
    EXPECT_EQ(mixed[2 * 4 + 2] & 0xFF0000, 0xFF0000u) << "the first dot is (2, 2)";
    EXPECT_EQ(dotsOf(mixed, 0x00FF00), 15);
    EXPECT_EQ(dotsOf(mixed, 0x0000FF), 9);
    EXPECT_EQ(dotsOf(cellAt(f, 6, 2), 0xFF0000), 7);
    EXPECT_EQ(dotsOf(cellAt(f, 7, 2), 0xFF0000), 9);
    m.demo.frameCount = 1;
    movie.stop();
}

TEST(MenaceMovie, EachMovieFrameFillsTheWholeFrameFromItsOwnRows) {
    MovieDemo m(80, 180);
    MenaceMovieEffect movie;
    movie.load(&m.demo, "MOVIE_PNG", 49);
    movie.start();
    setPixel(m.strip, 79, 60 + 59, 0xF0F0F0);  // movie frame 1, bottom-right pixel
    movie.update(49);
    movie.render();
    BITMAP* f = m.demo.frames[1];
    // Frame 1's corner colour 0x101010 is index 0x111: one dot per channel; its neighbour is black.
    const auto corner = cellAt(f, 0, 0);
    EXPECT_EQ(dotsOf(corner, 0xFF0000) + dotsOf(corner, 0x00FF00) + dotsOf(corner, 0x0000FF), 3);
    EXPECT_EQ(dotsOf(cellAt(f, 1, 0), 0xFFFFFF) + dotsOf(cellAt(f, 1, 0), 0xFF0000), 0);
    EXPECT_EQ(dotsOf(cellAt(f, 79, 59), 0xFF0000), 16);
    EXPECT_EQ(pixel(f, 319, 239), 0xFF00FFu) << "dot (3, 3) of a white cell has no green";
    m.demo.frameCount = 1;
    movie.stop();
}

TEST(MenaceMovie, AShortOrNarrowStripStaysInsideItsRows) {
    {
        MovieDemo m(80, 130);  // two whole movie frames and a partial one
        MenaceMovieEffect movie;
        movie.load(&m.demo, "MOVIE_PNG", 49);
        EXPECT_EQ(movie.movieFrames, 2);
        EXPECT_EQ(movie.period, 196);
    }
    {
        MovieDemo m(80, 59);  // not one whole movie frame: black, never a division by zero
        MenaceMovieEffect movie;
        movie.load(&m.demo, "MOVIE_PNG", 49);
        EXPECT_EQ(movie.movieFrames, 0);
        movie.start();
        clear_to_color(movie.frame, 0x123456);  // what the frame held before
        movie.update(1234);
        movie.render();
        BITMAP* f = m.demo.frames[1];
        for (int y = 0; y < 240; y += 13)
            for (int x = 0; x < 320; x += 7) ASSERT_EQ(pixel(f, x, y), 0u);
        m.demo.frameCount = 1;
        movie.stop();
    }
    {
        MovieDemo m(40, 60);  // half as wide: the right half of the frame is black
        clear_to_color(m.strip, 0xFFFFFF);
        MenaceMovieEffect movie;
        movie.load(&m.demo, "MOVIE_PNG", 49);
        movie.start();
        movie.update(0);
        movie.render();
        BITMAP* f = m.demo.frames[1];
        EXPECT_EQ(pixel(f, 159, 0), 0xFFFFFFu);
        EXPECT_EQ(pixel(f, 160, 0), 0u);
        EXPECT_EQ(pixel(f, 319, 239), 0u);
        m.demo.frameCount = 1;
        movie.stop();
    }
}

TEST(MenaceMovie, APassAllocatesNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in this build";
    MovieDemo m(80, 600);
    MenaceMovieEffect movie;
    movie.load(&m.demo, "MOVIE_PNG", 49);
    movie.start();
    EXPECT_EQ(allocationsDuring([&] {
                  for (int time = 0; time < 980; time += 49) {
                      movie.update(time);
                      movie.render();
                      m.demo.frameCount = 1;
                  }
              }),
              0);
    movie.stop();
}
