#include "effects/frame_effects.h"

#include <allegro.h>

#include <cmath>
#include <cstdlib>

#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

using pixels::Pixel;
using pixels::row;

namespace {
constexpr int RENDER_WIDTH = 320;   // specks and seeds land inside the show's render size
constexpr int RENDER_HEIGHT = 240;

// `count` pixels at random places of the render size, each x drawn before its y.
void scatter(BITMAP* target, int count, int colour) {
    for (int i = 0; i < count; ++i) {
        int x = std::rand() % RENDER_WIDTH;
        int y = std::rand() % RENDER_HEIGHT;
        putpixel(target, x, y, colour);
    }
}

}  // namespace

void BlacknessEffect::render() {
    clear_to_color(frame, 0x000000);
    push(frame);
}
const char* BlacknessEffect::name() { return "Blackness"; }

void WhitenessEffect::render() {
    clear_to_color(frame, 0xFFFFFF);
    push(frame);
}
const char* WhitenessEffect::name() { return "Whiteness"; }

void MagicPinkEffect::render() {
    clear_to_color(frame, 0xFF00FF);
    push(frame);
}
const char* MagicPinkEffect::name() { return "Magic Pink"; }

void CanvasEffect::render() { push(frame); }
const char* CanvasEffect::name() { return "Canvas"; }

void CopyEffect::render() {
    BITMAP* source = pop();
    blit(source, frame, 0, 0, 0, 0, source->w, source->h);
    push(frame);
}
const char* CopyEffect::name() { return "Copy"; }

void TrashEffect::render() { pop(); }
const char* TrashEffect::name() { return "Trash"; }

// Odd columns of the even rows are random greys, even columns the average of their left and
// right neighbours (the first one's left neighbour is the last odd pixel of the previous noisy
// row), odd rows the average of the rows above and below. The draws come from rand() in a fixed
// order: the band, the first carry, then one per pixel pair.
void NoiseEffect::render() {
    const int w = frame->w;
    const int h = frame->h;
    int bar = std::rand() & 0x1FF;
    Pixel carry = pixels::grey(static_cast<Pixel>(std::rand() & 0x7F));
    for (int y = 0; y < h; y += 2) {
        Pixel* p = row(frame, y);
        if (y == bar || y == bar + 1 || y == bar + 2) {
            for (int x = 0; x < w; ++x) p[x] = 0;
            continue;
        }
        for (int x = 0; x < w; x += 2) {
            Pixel random = pixels::grey(static_cast<Pixel>(std::rand() & 0xFF));
            Pixel half = pixels::half(random);
            p[x] = carry + half;
            if (x + 1 < w) p[x + 1] = random;
            carry = half;
        }
    }
    if (h < 2) {
        push(frame);
        return;
    }
    for (int y = 1; y < h - 1; y += 2) {
        const Pixel* above = row(frame, y - 1);
        const Pixel* below = row(frame, y + 1);
        Pixel* p = row(frame, y);
        for (int x = 0; x < w; ++x) p[x] = pixels::average(above[x], below[x]);
    }
    // The last row wraps around to the first.
    const Pixel* above = row(frame, h - 2);
    const Pixel* first = row(frame, 0);
    Pixel* p = row(frame, h - 1);
    for (int x = 0; x < w; ++x) p[x] = pixels::average(above[x], first[x]);
    push(frame);
}
const char* NoiseEffect::name() { return "Noise"; }

namespace {

// Per column of a triad: the channel kept whole, and the two whose upper nibble moves down.
constexpr Pixel RGBUG_KEEP[3] = {pixels::RED, pixels::GREEN, pixels::BLUE};
constexpr Pixel RGBUG_DIM[3] = {0x00F0F0, 0xF000F0, 0xF0F000};

constexpr Pixel rgbug(Pixel p, int column) {
    return (p & RGBUG_KEEP[column]) | ((p & RGBUG_DIM[column]) >> 4);
}

// Twelve columns are four whole triads and three whole four-pixel vectors.
constexpr int RGBUG_BLOCK = 12;

}  // namespace

void RgbugEffect::render() {
    BITMAP* t = top();
    const int w = t->w;
    const int blocks = w - w % RGBUG_BLOCK;
    for (int y = 0; y < t->h; ++y) {
        Pixel* p = row(t, y);
        for (int x = 0; x < blocks; x += RGBUG_BLOCK)
            for (int k = 0; k < RGBUG_BLOCK; ++k) p[x + k] = rgbug(p[x + k], k % 3);
        for (int x = blocks; x < w; ++x) p[x] = rgbug(p[x], x % 3);
    }
}
const char* RgbugEffect::name() { return "Rgbug"; }

void SpeckleEffect::render() {
    scatter(top(), saltCount, 0xFFFFFF);
    scatter(top(), pepperCount, 0x000000);
}
const char* SpeckleEffect::name() { return "Salt and pepper"; }

void VerticalFlipperEffect::init(Demo* owner) {
    Effect::init(owner);
    period = 8000;
    offset = 120;
}

// 200 whole turns of 240 rows per period, accelerating: back at 0 when the period wraps.
void VerticalFlipperEffect::update(int time) {
    if (period <= 0) {
        offset = 0;
        return;
    }
    double x = static_cast<double>(time) / period;
    double rows = std::fmod(std::trunc(48000.0 * x * x), 240.0);
    offset = static_cast<int>(rows < 0 ? rows + 240.0 : rows);
}

void VerticalFlipperEffect::render() {
    BITMAP* source = pop();
    const int w = source->w;
    const int h = source->h;
    // The roll wraps within the source's rows; for the show's 240-row frames this is `offset`.
    const int roll = h > 0 ? ((offset % h) + h) % h : 0;
    blit(source, frame, 0, 0, 0, roll, w, h - roll);
    blit(source, frame, 0, h - roll, 0, 0, w, roll);
    push(frame);
}
const char* VerticalFlipperEffect::name() { return "Vertical Flipper"; }

void RainbowSeed::init(Demo* owner) {
    Effect::init(owner);
    period = 1950;
}

void RainbowSeed::update(int time) {
    hue = period > 0 ? static_cast<float>(time) / static_cast<float>(period) : 0.0f;
}

void RainbowSeed::render() {
    BITMAP* t = top();
    int red, green, blue;
    hsv_to_rgb(hue * 360.0f, 1.0f, 1.0f, &red, &green, &blue);
    const int colour = makecol(red, green, blue);
    putpixel(t, RENDER_WIDTH / 2, RENDER_HEIGHT / 2, colour);
    scatter(t, 64, colour);
}
const char* RainbowSeed::name() { return "Rainbow Seed"; }

FeedbackFeederEffect::~FeedbackFeederEffect() {
    if (demo && feedbackFrame) demo->display.returnScratch(feedbackFrame);
}

void FeedbackFeederEffect::render() { push(feedbackFrame); }
const char* FeedbackFeederEffect::name() { return "Feedback Feeder"; }

void FeedbackEaterEffect::render() {
    feeder->render();
    BITMAP* stored = pop();
    blit(top(), stored, 0, 0, 0, 0, stored->w, stored->h);
}
const char* FeedbackEaterEffect::name() { return "Feedback Eater"; }

}  // namespace Zorvek
