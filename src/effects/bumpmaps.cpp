#include "effects/bumpmaps.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

namespace {

using pixels::Pixel;

constexpr Pixel RED_BLUE = pixels::RED | pixels::BLUE;
constexpr int LIGHT_WINDOW = 256;
// Where the relief is flat, the light image's pixel (128, 127) lands on the light position.
constexpr int LIGHT_CENTRE_U = 128;
constexpr int LIGHT_CENTRE_V = 127;

// Each channel times depth / 256, truncated: 255 at depth 255 becomes 254.
inline Pixel darken(Pixel light, Pixel depth) {
    return (((light & RED_BLUE) * depth) >> 8 & RED_BLUE) | (((light & pixels::GREEN) * depth) >> 8 & pixels::GREEN);
}

// The part of the light image that can be read: the 256 x 256 window, cut to a smaller image.
struct LightWindow {
    BITMAP* image;
    unsigned lastU, lastV;

    explicit LightWindow(BITMAP* light)
        : image(light),
          lastU(static_cast<unsigned>(std::min(LIGHT_WINDOW, light->w) - 1)),
          lastV(static_cast<unsigned>(std::min(LIGHT_WINDOW, light->h) - 1)) {}
    bool outside(int u, int v) const { return static_cast<unsigned>(u) > lastU || static_cast<unsigned>(v) > lastV; }
};

// Height through the library's clipped read, which gives -1 outside the image: 255 there.
inline int clippedHeight(BITMAP* bump, int x, int y) {
    return pixels::blueOf(static_cast<Pixel>(getpixel(bump, x, y)));
}

inline int heightAt(const Pixel* row, int x) { return pixels::blueOf(row[x]); }

template <bool DEPTH>
inline Pixel shade(Pixel light, int depth) {
    if constexpr (DEPTH) return darken(light, static_cast<Pixel>(depth));
    else return light & pixels::COLOUR_BITS;  // drops a PNG's alpha
}

// One pixel with every read clipped: the right and bottom edges, and images of other depths.
template <bool DEPTH>
Pixel clippedPixel(BITMAP* bump, const LightWindow& light, int x, int y, int lightX, int lightY) {
    const int h = clippedHeight(bump, x, y);
    const int u = x - lightX + LIGHT_CENTRE_U + ((h - clippedHeight(bump, x + 2, y)) >> 1);
    const int v = y - lightY + LIGHT_CENTRE_V + ((h - clippedHeight(bump, x, y + 2)) >> 1);
    if (light.outside(u, v)) return 0;
    const int depth = DEPTH ? clippedHeight(bump, x + 1, y + 1) : 0;
    return shade<DEPTH>(static_cast<Pixel>(getpixel(light.image, u, v)), depth);
}

// Lights the relief into out. Inside the part of the bump image where every height read falls
// within it (all but its last two columns and rows), heights and light come straight from the
// rows; elsewhere each read is clipped. Shifts of negative slopes round toward minus infinity.
template <bool DEPTH>
void lightRelief(BITMAP* out, BITMAP* bump, BITMAP* lightImage, int lightX, int lightY, WorkerPool& workers) {
    const LightWindow light(lightImage);
    const bool direct = bitmap_color_depth(bump) == 32 && bitmap_color_depth(lightImage) == 32;
    const int innerWidth = direct ? std::clamp(bump->w - 2, 0, out->w) : 0;
    const int innerHeight = direct ? std::clamp(bump->h - 2, 0, out->h) : 0;
    const Pixel* const* lightRows = reinterpret_cast<const Pixel* const*>(lightImage->line);
    workers.forEachRowBand(0, out->h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            Pixel* o = pixels::row(out, y);
            int x = 0;
            if (y < innerHeight) {
                const Pixel* here = pixels::row(bump, y);
                const Pixel* below = pixels::row(bump, y + 2);
                const Pixel* diagonal = pixels::row(bump, y + 1) + 1;
                const int u0 = LIGHT_CENTRE_U - lightX;
                const int v0 = y - lightY + LIGHT_CENTRE_V;
                for (; x < innerWidth; ++x) {
                    const int h = heightAt(here, x);
                    const int u = x + u0 + ((h - heightAt(here, x + 2)) >> 1);
                    const int v = v0 + ((h - heightAt(below, x)) >> 1);
                    o[x] = light.outside(u, v) ? 0 : shade<DEPTH>(lightRows[v][u], DEPTH ? heightAt(diagonal, x) : 0);
                }
            }
            for (; x < out->w; ++x) o[x] = clippedPixel<DEPTH>(bump, light, x, y, lightX, lightY);
        }
    });
}

}  // namespace

BumpmapEffect::~BumpmapEffect() {
    if (bumpmap) demo->loader.unloadImage(bumpmap);
    if (lightmap) demo->loader.unloadImage(lightmap);
}

void BumpmapEffect::load(Demo* owner, const char* bumpName, const char* lightName) {
    Effect::init(owner);
    bumpmap = demo->loader.loadImage(bumpName);
    lightmap = demo->loader.loadImage(lightName);
    lightX = 160;
    lightY = 120;
    period = 975;
}

void BumpmapEffect::update(int time) {
    const float angle = static_cast<float>(2.0 * std::numbers::pi * time / period);
    lightX = static_cast<int>(std::sin(angle) * 120.0 + 160.0);
    lightY = static_cast<int>(std::cos(angle) * 80.0 + 120.0);
}

void BumpmapEffect::render() {
    lightRelief<false>(frame, bumpmap, lightmap, lightX, lightY, demo->workers);
    push(frame);
}

const char* BumpmapEffect::name() { return "2D Bumpmap"; }

void BumpmapMixEffect::render() {
    lightRelief<true>(frame, bumpmap, lightmap, lightX, lightY, demo->workers);
    push(frame);
}

const char* BumpmapMixEffect::name() { return "2D Depthmap"; }

}  // namespace Zorvek
