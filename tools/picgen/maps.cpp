// Height maps and light images for the bump mapper, and the melon sprite.
// Heights are grey (the bump mapper reads the blue channel). The light images put their
// brightest pixel at (128, 127), which the bump mapper places under the light.

#include <cmath>

#include "backgrounds.h"
#include "lettering.h"
#include "pictures.h"

namespace picgen {

namespace {

constexpr int W = 320, H = 240;

Image fromHeight(const Mask& height) {
    Image img(height.w, height.h);
    for (std::size_t i = 0; i < img.px.size(); ++i) {
        float g = clamp01(height.v[i]);
        img.px[i] = {g, g, g};
    }
    return img;
}

// A dome profile: 1 at the centre, 0 at radius r.
float dome(float dx, float dy, float r) {
    float d = (dx * dx + dy * dy) / (r * r);
    return d >= 1 ? 0 : std::sqrt(1 - d);
}

Image lightImage(const std::vector<Colour>& colours) {
    Image img(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            // Distance from the light centre, 1 at the rim of the 256-pixel window; strictly
            // falling, so (128, 127) is the brightest. The pool of light is wide, to light the
            // relief wherever the light moves, and falls to black only near the rim.
            float d = std::hypot(float(x - 128), float(y - 127)) / 127.0f;
            float fall = clamp01(1 - d);
            float diffuse = clamp01((1 - std::pow(std::min(d, 1.0f), 8.0f)) * (1 - 0.3f * d)),
                  specular = std::pow(fall, 10.0f);
            // Mixed, not added, towards white: nothing clips, so the peak stays one pixel.
            img.at(x, y) = mix(ramp(colours, diffuse), Colour{1, 1, 1}, specular * 0.4f);
        }
    return img;
}

}  // namespace

Image bumpmap1() {
    // Domes on a hexagonal grid with the group's tag raised above them; the gaps are at height
    // 0, so the depth map turns them black.
    Mask height(W, H);
    const float r = 14, dx = 30, dy = 26;
    for (int row = -1; row * dy < H + dy; ++row)
        for (int col = -1; col * dx < W + dx; ++col) {
            float cx = col * dx + (row & 1 ? dx / 2 : 0), cy = row * dy + 8;
            for (int y = std::max(0, int(cy - r)); y < std::min(H, int(cy + r) + 1); ++y)
                for (int x = std::max(0, int(cx - r)); x < std::min(W, int(cx + r) + 1); ++x)
                    height.at(x, y) = std::max(height.at(x, y), 0.75f * dome(x + 0.5f - cx, y + 0.5f - cy, r));
        }
    TextStyle style = fitted("ZVK", {FONT_BOLD, 130, 1.1f, 0.2f, 2}, 270);
    Mask tag = textMask(W, H, "ZVK", style, 160, 170);
    Mask plinth = blurred(grown(tag, 7), 6);
    Mask raised = blurred(tag, 6);
    for (std::size_t i = 0; i < height.v.size(); ++i) {
        float base = height.v[i] * (1 - plinth.v[i]) + 0.18f * plinth.v[i];
        height.v[i] = std::max(base, tag.v[i] * (0.3f + 0.7f * smoothstep(0.0f, 0.9f, raised.v[i])));
    }
    return fromHeight(height);
}

Image bumpmap2() {
    // Bevelled metal tiles with rivets, and a round boss with the initial in its centre.
    Mask height(W, H);
    const int tile = 40;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float u = float(x % tile) + 0.5f, v = float(y % tile) + 0.5f;
            float edge = std::min(std::min(u, tile - u), std::min(v, tile - v));
            float h = 0.35f + 0.25f * smoothstep(1.0f, 7.0f, edge);
            float rv = 0;
            for (float cx : {6.0f, tile - 6.0f})
                for (float cy : {6.0f, tile - 6.0f}) rv = std::max(rv, dome(u - cx, v - cy, 3.0f));
            height.at(x, y) = rv > 0 ? std::max(h, 0.6f + 0.3f * rv) : h;
            if (edge < 2.0f) height.at(x, y) = 0;  // the grooves between tiles
        }
    Mask boss = blurred(circleMask(W, H, 160, 120, 78), 10);
    Mask ring = circleMask(W, H, 160, 120, 66);
    subtract(ring, circleMask(W, H, 160, 120, 58));
    Mask letter = blurred(textMask(W, H, "Z", {FONT_BOLD, 120, 1, 0.2f, 0}, 160, 163), 3);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float b = boss.at(x, y);
            float domeH = 0.5f + 0.3f * dome(x + 0.5f - 160, y + 0.5f - 120, 80);
            float h = mix(Colour{height.at(x, y), 0, 0}, Colour{domeH, 0, 0}, b).r;
            h -= 0.4f * ring.at(x, y);
            h = std::max(h, b * letter.at(x, y) * (0.55f + 0.45f * letter.at(x, y)));
            height.at(x, y) = h;
        }
    return fromHeight(blurred(height, 2));
}

Image phongmap1() { return lightImage({rgb(0x000000), rgb(0xC02050), rgb(0xFF6090), rgb(0xFFC070), rgb(0xFFF6D8)}); }

Image phongmap2() { return lightImage({rgb(0x000000), rgb(0x2078E8), rgb(0x30B8FF), rgb(0x80F4FF), rgb(0xF0FFFF)}); }

Image melon() {
    constexpr int s = 64;
    Image img(s, s, rgb(0x082008));
    Mask body = circleMask(s, s, 32, 33, 29.5f);
    paint(img, body, [](int x, int y) {
        float nx = (x + 0.5f - 32) / 29.5f, ny = (y + 0.5f - 33) / 29.5f;
        float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
        // Dark stripes run from pole to pole, bending with the ball.
        float lon = std::atan2(nx, nz);
        float f = std::fmod(std::abs(lon * 5 + 0.4f * std::sin(ny * 6)), 1.0f);
        float stripe = smoothstep(0.28f, 0.36f, f) * (1 - smoothstep(0.9f, 0.98f, f));
        Colour base = mix(rgb(0x0E5A12), rgb(0x58C030), stripe);
        float light = 0.3f + 0.8f * std::max(0.0f, -0.45f * nx - 0.55f * ny + 0.7f * nz);
        float specular = std::pow(std::max(0.0f, -0.45f * nx - 0.55f * ny + 0.7f * nz), 12.0f);
        return base * light + Colour{1, 1, 0.9f} * specular;
    });
    paint(img, circleMask(s, s, 32, 5, 3.5f), rgb(0x6A4A20));  // the stalk end
    Mask keep = grown(body, 1);
    maskWithMagenta(img, keep);
    return img;
}

}  // namespace picgen
