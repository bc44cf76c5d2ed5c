#include "effects/image_effects.h"

#include <allegro.h>

#include <algorithm>

#include "demo/demo.h"
#include "effects/alpha_sprite.h"

namespace Zorvek {

namespace {

constexpr int RENDER_WIDTH = 320;   // the scroller crosses the show's frame width
constexpr int RENDER_HEIGHT = 240;  // height of each half of an interlaced image

// Gives a loaded image back to the cache; an effect that was never loaded holds none.
void release(Demo* demo, BITMAP* image) {
    if (demo && image) demo->loader.unloadImage(image);
}

}  // namespace

ImageEffect::~ImageEffect() { release(demo, image); }

void ImageEffect::render() { push(image); }
const char* ImageEffect::name() { return "Image"; }

void ImageEffect::load(Demo* owner, const char* objectName) {
    Effect::init(owner);
    image = owner->loader.loadImage(objectName);
}

ProtectedImageEffect::~ProtectedImageEffect() { release(demo, image); }

void ProtectedImageEffect::render() {
    blit(image, frame, 0, 0, 0, 0, image->w, image->h);
    push(frame);
}
const char* ProtectedImageEffect::name() { return "Image"; }

void ProtectedImageEffect::load(Demo* owner, const char* objectName) {
    Effect::init(owner);
    image = owner->loader.loadImage(objectName);
}

ImageBlitEffect::~ImageBlitEffect() { release(demo, image); }

void ImageBlitEffect::render() { blit(image, top(), 0, 0, x, y, image->w, image->h); }
const char* ImageBlitEffect::name() { return "Blit"; }

void ImageBlitEffect::load(Demo* owner, const char* objectName, int left, int topRow) {
    Effect::init(owner);
    image = owner->loader.loadImage(objectName);
    x = left;
    y = topRow;
}

void SpriteBlitEffect::render() { masked_blit(image, top(), 0, 0, x, y, image->w, image->h); }
const char* SpriteBlitEffect::name() { return "Sprite"; }

AlphaBlitEffect::~AlphaBlitEffect() { destroyStrips(); }

void AlphaBlitEffect::destroyStrips() {
    for (int i = 0; i < stripCount; ++i) destroy_bitmap(strips[i]);
    stripCount = 0;
    stripsOf = nullptr;
}

void AlphaBlitEffect::prepare() {
    if (!image || stripsOf == image) return;
    destroyStrips();
    const int threads = demo->workers.threads();
    if (threads == 1) return;
    const int count = std::min({MAX_STRIPS, threads * WorkerPool::BANDS_PER_THREAD, image->h});
    stripRows = (image->h + count - 1) / count;
    for (int top = 0; top < image->h; top += stripRows) {
        strips[stripCount] = create_sub_bitmap(image, 0, top, image->w, std::min(stripRows, image->h - top));
        if (!strips[stripCount]) {
            destroyStrips();
            return;
        }
        ++stripCount;
    }
    stripsOf = image;
}

// Each pixel is blended on its own, so strips of the image blended at their own rows give the
// same picture as the whole image.
void AlphaBlitEffect::render() {
    BITMAP* target = top();
    if (stripsOf != image || stripCount == 0) {
        drawAlphaSprite(target, image, x, y);
        return;
    }
    demo->workers.forEachBand(stripCount, [&](int i) { drawAlphaSprite(target, strips[i], x, y + i * stripRows); });
}
const char* AlphaBlitEffect::name() { return "Alpha Blit"; }

// The left edge goes from the frame's right edge (time 0) until the image's right edge reaches
// the frame's left edge (time = period). The crossing is computed in unsigned 32-bit arithmetic;
// once the image has travelled past 320 columns the difference wraps and reads back as a
// negative column.
void HorScrollBlitEffect::update(int time) {
    if (period == 0) {
        x = RENDER_WIDTH;  // no crossing without a duration: parked beyond the right edge
        return;
    }
    unsigned travelled =
        static_cast<unsigned>(time) * static_cast<unsigned>(image->w + RENDER_WIDTH) / static_cast<unsigned>(period);
    x = static_cast<int>(static_cast<unsigned>(RENDER_WIDTH) - travelled);
}
const char* HorScrollBlitEffect::name() { return "Scrollmap"; }

void HorScrollBlitEffect::load(Demo* owner, const char* objectName, int topRow, int crossing) {
    ImageBlitEffect::load(owner, objectName, 0, topRow);
    period = crossing;
}

int InterlaceEffect::phase = 0;

// Upper half, lower half, upper half, lower half one row lower; one step per update of any
// instance.
void InterlaceEffect::update(int) {
    const int n = phase;
    y = n == 1 ? -RENDER_HEIGHT : n == 3 ? -RENDER_HEIGHT + 1 : 0;
    phase = (n + 1) % 4;
}
const char* InterlaceEffect::name() { return "Interlace Flicker"; }

void InterlaceEffect::load(Demo* owner, const char* objectName) { ImageBlitEffect::load(owner, objectName, 0, 0); }

}  // namespace Zorvek
