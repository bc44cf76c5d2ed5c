#include "effects/menace_movie.h"

#include <allegro.h>

#include <algorithm>
#include <cstring>

#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

namespace {

// The order in which a cell's dots light up. Positions 0..15 cover the cell once; 16 repeats 7,
// so the green and blue runs, which start at 5 and 10 and wrap, light at most 15 cells.
constexpr int DOTS = 17;
constexpr int DOT_ORDER[DOTS][2] = {{2, 2}, {0, 0}, {0, 2}, {2, 0}, {3, 3}, {1, 1}, {1, 3}, {2, 1}, {3, 1},
                                    {1, 2}, {3, 0}, {1, 0}, {3, 2}, {0, 1}, {2, 3}, {0, 3}, {2, 1}};
constexpr int GREEN_START = 5, BLUE_START = 10;

// Dots for a four-bit level: no level gives 8, level 15 gives 16.
int dotCount(int level) { return level <= 7 ? level : level + 1; }

void lightDots(BITMAP* cell, int first, int count, pixels::Pixel channel) {
    for (int m = 0; m < count; ++m) {
        const auto& dot = DOT_ORDER[(first + m) % DOTS];
        pixels::row(cell, dot[1])[dot[0]] |= channel;
    }
}

}  // namespace

MenaceMovieEffect::~MenaceMovieEffect() {
    if (patterns) destroy_bitmap(patterns);
    if (movie) demo->loader.unloadImage(movie);
}

const char* MenaceMovieEffect::name() { return "Menace Movie"; }

int MenaceMovieEffect::patternIndex(std::uint32_t pix) {
    return static_cast<int>(((pix >> 20) & 0xF) << 8 | ((pix >> 12) & 0xF) << 4 | ((pix >> 4) & 0xF));
}

void MenaceMovieEffect::load(Demo* owner, const char* imageName, int ms) {
    Effect::init(owner);
    msPerFrame = ms;
    patterns = create_bitmap_ex(32, 4 * CELL, 4096);
    movie = demo->loader.loadImage(imageName);
    movieFrames = movie->h / MOVIE_H;
    period = msPerFrame * movieFrames * 2;
    buildPatterns();
}

void MenaceMovieEffect::buildPatterns() {
    BITMAP* cell = create_bitmap_ex(32, CELL, CELL);
    for (int b = 0; b < 16; ++b)
        for (int g = 0; g < 16; ++g)
            for (int r = 0; r < 16; ++r) {
                clear_to_color(cell, 0);
                lightDots(cell, 0, dotCount(r), pixels::RED);
                lightDots(cell, GREEN_START, dotCount(g), pixels::GREEN);
                lightDots(cell, BLUE_START, dotCount(b), pixels::BLUE);
                const int index = 256 * r + 16 * g + b;
                for (int k = 0; k < CELL; ++k) blit(cell, patterns, 0, k, CELL * k, index, CELL, 1);
            }
    destroy_bitmap(cell);
}

void MenaceMovieEffect::update(int time) {
    if (movieFrames <= 0 || msPerFrame <= 0) {
        movieFrame = 0;
        return;
    }
    // Forward over the first half of the period, backward over the second; times beyond one
    // period (the main loop never gives them) wrap the same way.
    const int loop = 2 * movieFrames;
    int f = (time / msPerFrame) % loop;
    if (f < 0) f += loop;
    if (f >= movieFrames) f = loop - f - 1;
    movieFrame = f % movieFrames;
}

void MenaceMovieEffect::render() {
    // A strip shorter than one movie frame has nothing to show.
    if (movieFrames <= 0) {
        clear_to_color(frame, 0);
        push(frame);
        return;
    }
    const int rows = std::min(MOVIE_H, frame->h / CELL);
    const int columns = std::min(MOVIE_W, frame->w / CELL);
    const int width = std::min(columns, movie->w);  // a narrower strip leaves black cells
    const pixels::Pixel* black = pixels::row(patterns, 0);
    for (int y = 0; y < rows; ++y) {
        const pixels::Pixel* source = pixels::row(movie, MOVIE_H * movieFrame + y);
        pixels::Pixel* out[CELL];
        for (int k = 0; k < CELL; ++k) out[k] = pixels::row(frame, CELL * y + k);
        for (int x = 0; x < columns; ++x) {
            const pixels::Pixel* cell = x < width ? pixels::row(patterns, patternIndex(source[x])) : black;
            for (int k = 0; k < CELL; ++k)
                std::memcpy(out[k] + CELL * x, cell + CELL * k, CELL * sizeof(pixels::Pixel));
        }
    }
    push(frame);
}

}  // namespace Zorvek
