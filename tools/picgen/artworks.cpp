// The full-screen artworks: abstract, generative scenes of shapes, light, landscapes and
// machines. They are smeared through feedback, filtered and mixed, so each is built from a few
// large, high-contrast forms.

#include <cmath>
#include <numbers>

#include "backgrounds.h"
#include "lettering.h"
#include "pictures.h"

namespace picgen {

namespace {

constexpr int W = 320, H = 240;

// A chrome sphere over a checkerboard at sunset. `step` moves it on: the floor runs towards the
// viewer by that much of a tile, the sphere turns its reflection by twice that, and the sunset
// glows a little higher.
Image sphereScene(float step) {
    Image img(W, H);
    float horizon = 130;
    verticalGradient(img, {rgb(0x000020), rgb(0x301060), rgb(0xFF4080), rgb(0xFFE070)}, -40 * step, horizon);
    starfield(img, 41, 120, 60);
    checkerFloor(img, horizon, rgb(0x000000), rgb(0xFF20A0), rgb(0x402050), 8, step);
    floorShadow(img, 170, 205, 70, 12, 0.8f);
    SphereLook look;
    look.chrome = true;
    look.skyTop = rgb(0x301060);
    look.skyLow = rgb(0xFF70B0);
    look.floorA = rgb(0x000000);
    look.floorB = rgb(0xFF20A0);
    look.spin = 2 * step;
    sphere(img, 160, 140, 62, look);
    return img;
}

// Pyramids on a plain under a huge disk; `night` is the same place in blue moonlight.
Image pyramidScene(bool night) {
    Image img(W, H);
    float horizon = 160;
    if (!night) verticalGradient(img, {rgb(0x200830), rgb(0xC02050), rgb(0xFF9030), rgb(0xFFE090)}, 0, horizon);
    else verticalGradient(img, {rgb(0x000008), rgb(0x041040), rgb(0x1050A0), rgb(0x60C0E0)}, 0, horizon);
    if (night) starfield(img, 51, 260, horizon - 20);
    Mask disk = circleMask(W, H, 118, 72, 50);
    glow(img, blurred(circleMask(W, H, 118, 72, 62), 30), night ? rgb(0x6090FF) : rgb(0xFFA040), 0.5f);
    paint(img, disk, night ? rgb(0xE0F0FF) : rgb(0xFFF0A0));
    if (night)  // craters
        for (auto [x, y, r] : {std::tuple{104.f, 60.f, 9.f}, {132.f, 86.f, 11.f}, {138.f, 56.f, 6.f}})
            paint(img, circleMask(W, H, x, y, r), rgb(0xA0B8E0), 0.7f);
    for (int y = int(horizon); y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float t = (y - horizon) / (H - horizon);
            img.at(x, y) = night ? mix(rgb(0x081830), rgb(0x000008), t) : mix(rgb(0xA04020), rgb(0x200810), t);
        }
    struct Pyramid {
        float cx, base, half, height;
    };
    for (Pyramid p : {Pyramid{70, 182, 70, 96}, Pyramid{250, 172, 50, 64}, Pyramid{160, 200, 90, 112}}) {
        float apexX = p.cx + p.half * 0.15f, apexY = p.base - p.height;
        Mask lit = polygonMask(W, H, {apexX, apexY, p.cx - p.half, p.base, apexX, p.base + 6});
        Mask dark = polygonMask(W, H, {apexX, apexY, apexX, p.base + 6, p.cx + p.half, p.base});
        paint(img, lit, night ? rgb(0x5070B0) : rgb(0xFFB050));
        paint(img, dark, night ? rgb(0x101830) : rgb(0x601818));
        // Long shadow on the plain.
        Mask shade = polygonMask(W, H, {apexX, p.base + 6, p.cx + p.half, p.base, p.cx + p.half * 2.6f, p.base + 14});
        paint(img, shade, Colour{0, 0, 0}, 0.5f);
    }
    return img;
}

// A toothed wheel as a mask.
Mask gear(int w, int h, float cx, float cy, float r, int teeth, float phase, float hole) {
    std::vector<float> xy;
    int steps = teeth * 8;
    for (int i = 0; i < steps; ++i) {
        float a = phase + i * 2 * std::numbers::pi_v<float> / steps;
        float k = float(i % 8);
        float rr = (k >= 1 && k <= 3) ? r : (k == 0 || k == 4) ? r * 0.93f : r * 0.84f;
        xy.insert(xy.end(), {cx + rr * std::cos(a), cy + rr * std::sin(a)});
    }
    Mask m = polygonMask(w, h, xy);
    subtract(m, circleMask(w, h, cx, cy, hole));
    for (int s = 0; s < 5; ++s) {  // spoke windows
        float a = phase + s * 2 * std::numbers::pi_v<float> / 5 + 0.6f;
        subtract(m, circleMask(w, h, cx + std::cos(a) * r * 0.55f, cy + std::sin(a) * r * 0.55f, r * 0.16f));
    }
    return m;
}

void metalPaint(Image& img, const Mask& m, Colour base, float cx, float cy, float r) {
    Mask shadowM = shifted(m, 6, 6);
    paint(img, shadowM, Colour{0, 0, 0}, 0.7f);
    paint(img, grown(m, 1), Colour{0, 0, 0});
    paint(img, m, [&](int x, int y) {
        // Conical brushed sheen around the axle.
        float a = std::atan2(y - cy, x - cx);
        float sheen = 0.55f + 0.45f * std::cos(a * 2 + 0.8f);
        float d = std::hypot(x - cx, y - cy) / r;
        return base * (0.4f + 0.7f * sheen) + Colour{1, 1, 1} * (std::pow(sheen, 8.0f) * 0.5f * d);
    });
}

}  // namespace

Image zvkNude1() {
    // The interlace alternates the halves every frame: the second is the first a moment later,
    // so that the picture shimmers as it runs rather than flickers between two.
    Image out(W, 2 * H);
    Image a = sphereScene(0), b = sphereScene(0.15f);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            out.at(x, y) = a.at(x, y);
            out.at(x, y + H) = b.at(x, y);
        }
    return out;
}

Image zvkNude2() { return pyramidScene(false); }
Image zvkNude2b() { return pyramidScene(true); }

Image zvkNude3() {
    // A machine: meshing gears in brass and steel against a blueprint grid.
    Image img(W, H, rgb(0x04143A));
    for (int x = 0; x < W; x += 16) paint(img, rectMask(W, H, float(x), 0, x + 1.0f, H), rgb(0x2050A0), 0.5f);
    for (int y = 0; y < H; y += 16) paint(img, rectMask(W, H, 0, float(y), W, y + 1.0f), rgb(0x2050A0), 0.5f);
    struct G {
        float cx, cy, r;
        int teeth;
        float phase;
        Colour c;
    };
    for (G g : {G{110, 120, 78, 16, 0.1f, rgb(0xFFB040)}, G{210, 58, 50, 10, 0.3f, rgb(0xC0D0E0)},
                G{205, 175, 42, 9, 0.0f, rgb(0xFF6030)}, G{50, 206, 36, 8, 0.2f, rgb(0xC0D0E0)}}) {
        Mask m = gear(W, H, g.cx, g.cy, g.r, g.teeth, g.phase, g.r * 0.14f);
        metalPaint(img, m, g.c, g.cx, g.cy, g.r);
        paint(img, circleMask(W, H, g.cx, g.cy, g.r * 0.22f), Colour{0, 0, 0}, 0.3f);
    }
    return img;
}

Image zvkNude4() {
    // An op-art tunnel: rings in alternating colours receding towards a bright core.
    Image img(W, H);
    shade(img, [](float x, float y) {
        float dx = x - 168, dy = y - 112;
        float d = std::hypot(dx, dy) + 1;
        float depth = 900 / d;  // rings get thinner towards the centre
        float a = std::atan2(dy, dx);
        int ring = int(std::floor(depth + std::sin(a * 3) * 0.5f));
        bool seg = (int(std::floor((a / std::numbers::pi_v<float> + 1) * 8)) + ring) & 1;
        Colour c = ring & 1 ? (seg ? rgb(0xFF1090) : rgb(0x2000A0)) : (seg ? rgb(0x00E0FF) : rgb(0x000000));
        return mix(c, rgb(0xFFFFFF), clamp01(1.4f - d / 24));
    });
    return img;
}

Image dancers() {
    // Three dancers of light in coloured spotlights on a stage: each a ribbon that loops in a
    // figure of its own (Lissajous curves of three ratios), bright at its core.
    Image img(W, H);
    verticalGradient(img, {rgb(0x080010), rgb(0x200040), rgb(0x400050)}, 0, 190);
    const float spots[] = {70, 160, 250};
    const Colour colours[] = {rgb(0xFF2080), rgb(0x20E0FF), rgb(0xFFC020)};
    for (int i = 0; i < 3; ++i) {
        Mask beam = polygonMask(W, H, {spots[i] - 8, 0, spots[i] + 8, 0, spots[i] + 52, 200, spots[i] - 52, 200});
        glow(img, blurred(beam, 6), colours[i], 0.7f);
    }
    for (int y = 190; y < H; ++y)
        for (int x = 0; x < W; ++x) img.at(x, y) = mix(rgb(0x301030), rgb(0x080008), (y - 190) / 50.0f);
    for (int i = 0; i < 3; ++i) glow(img, blurred(ellipseMask(W, H, spots[i], 200, 56, 10), 4), colours[i], 0.8f);
    const struct {
        float a, b, phase, lean;
    } figures[3] = {{3, 2, 0.5f, -0.3f}, {5, 4, 1.2f, 0.0f}, {2, 3, 0.2f, 0.3f}};
    for (int i = 0; i < 3; ++i) {
        Mask ribbon(W, H), core(W, H);
        const int steps = 240;
        float px = 0, py = 0;
        for (int k = 0; k <= steps; ++k) {
            float t = k * 2 * std::numbers::pi_v<float> / steps;
            float u = std::sin(figures[i].a * t + figures[i].phase), v = std::sin(figures[i].b * t);
            // a figure about 70 wide and 110 high, standing on the stage and leaning a little
            float x = spots[i] + 34 * u + figures[i].lean * 40 * v, y = 128 + 56 * v;
            if (k > 0) {
                addInto(ribbon, lineMask(W, H, px, py, x, y, 7));
                addInto(core, lineMask(W, H, px, py, x, y, 2.5f));
            }
            px = x, py = y;
        }
        glow(img, blurred(ribbon, 12), colours[i], 0.9f);
        paint(img, ribbon, colours[i]);
        paint(img, core, mix(colours[i], Colour{1, 1, 1}, 0.8f));
        // where it touches the stage, a pool of its light
        glow(img, blurred(ellipseMask(W, H, spots[i], 192, 30, 5), 6), colours[i], 0.8f);
    }
    return img;
}

Image neon() {
    // Neon tubes on a dark brick wall: each shape is a bright core in a wide coloured glow.
    Image img(W, H);
    shade(img, [](float x, float y) {
        int row = int(y) / 12;
        float bx = std::fmod(x + (row & 1) * 14, 28.0f), by = std::fmod(y, 12.0f);
        bool mortar = bx < 2 || by < 2;
        return mortar ? rgb(0x050308) : rgb(0x1A0C14);
    });
    auto tube = [&](const Mask& shape, Colour c) {
        glow(img, blurred(shape, 18), c, 1.6f);
        glow(img, blurred(shape, 4), c, 0.9f);
        paint(img, shape, mix(c, Colour{1, 1, 1}, 0.75f));
    };
    auto outline = [](const Mask& m, int width) {
        Mask o = grown(m, width);
        subtract(o, m);
        return o;
    };
    tube(outline(circleMask(W, H, 80, 90, 50), 3), rgb(0xFF20A0));
    tube(outline(polygonMask(W, H, {240, 30, 296, 130, 184, 130}), 3), rgb(0x20E0FF));
    Mask zig(W, H);
    for (int i = 0; i < 6; ++i)
        addInto(zig, lineMask(W, H, 30 + i * 45.0f, i & 1 ? 160 : 180, 75 + i * 45.0f, i & 1 ? 180 : 160, 4));
    tube(zig, rgb(0xFFD020));
    Mask word = textMask(W, H, "DEMO", {FONT_BOLD, 40, 1, 0.15f, 4}, 160, 228);
    tube(outline(word, 2), rgb(0x40FF60));
    return img;
}

Image equaliserPicture() {
    // A spectrum analyser: columns of lamps, green to red, with peak marks and a floor mirror.
    Image img(W, H, Colour{0, 0, 0});
    verticalGradient(img, {rgb(0x000000), rgb(0x080020), rgb(0x000000)}, 0, H);
    const int bands = 16, floorY = 176;
    const Colour lampColours[3] = {rgb(0x20FF40), rgb(0xFFE020), rgb(0xFF2020)};  // low, middle, top
    Mask halo[3] = {Mask(W, H), Mask(W, H), Mask(W, H)};  // lit lamps by colour, glowed at the end
    Random rnd(9);
    for (int b = 0; b < bands; ++b) {
        // A falling spectrum with some life: bass high, treble lower.
        float level = clamp01(0.9f - b * 0.035f + rnd.range(-0.25f, 0.15f));
        int lit = int(level * 20);
        float x0 = 10 + b * 19.0f;
        for (int k = 0; k < 20; ++k) {
            float y1 = floorY - k * 8.0f, y0 = y1 - 6;
            int band = k < 11 ? 0 : k < 16 ? 1 : 2;
            Colour c = lampColours[band];
            bool on = k < lit;
            Mask lamp = rectMask(W, H, x0, y0, x0 + 16, y1);
            paint(img, lamp, on ? c : c * 0.12f);
            if (on) addInto(halo[band], lamp);
            // Mirror on the floor.
            Mask refl =
                rectMask(W, H, x0, floorY + (floorY - y1) * 0.5f + 2, x0 + 16, floorY + (floorY - y0) * 0.5f + 2);
            if (on) paint(img, refl, c, 0.35f * (1 - k / 20.0f));
        }
        float peak = floorY - std::min(19, lit + 1) * 8.0f - 3;
        paint(img, rectMask(W, H, x0, peak - 2, x0 + 16, peak), Colour{1, 1, 1});
    }
    for (int i = 0; i < 3; ++i) glow(img, blurred(halo[i], 4), lampColours[i], 0.25f);
    paint(img, rectMask(W, H, 0, floorY + 1.0f, W, floorY + 2.0f), rgb(0x6060A0));
    return img;
}

Image mrsHollow() {
    // A hollow: a square corridor in perspective, checkered floor, lit ceiling strips and ribbed
    // walls, running to a glowing far end.
    Image img(W, H);
    const float cx = 168, cy = 108;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            Colour sum{};
            for (int s = 0; s < 4; ++s) {  // 2 x 2 samples per pixel
                float dx = x + 0.25f + 0.5f * (s & 1) - cx, dy = y + 0.25f + 0.5f * (s >> 1) - cy;
                // Which wall the ray meets first, and how far along the corridor.
                bool side = std::abs(dx) * 0.75f > std::abs(dy);
                float z = side ? 120.0f / std::abs(dx) : 90.0f / std::abs(dy);
                float across = side ? dy * z / 90 : dx * z / 120;  // -1..1 over the wall's width
                float along = z * 2;
                Colour c;
                if (!side && dy > 0) {  // floor
                    bool odd = (int(std::floor(along)) + int(std::floor(across * 4 + 4))) & 1;
                    c = odd ? rgb(0xFF2090) : rgb(0x100020);
                } else if (!side) {  // ceiling with strip lights
                    bool lamp = std::abs(across) < 0.18f && std::fmod(along, 2.0f) < 1.0f;
                    c = lamp ? rgb(0xFFFFE0) : rgb(0x180840);
                } else {  // walls with ribs
                    bool rib = std::fmod(along, 1.0f) < 0.18f;
                    c = rib ? rgb(0x40F0FF) : mix(rgb(0x2030A0), rgb(0x080418), clamp01(across * across));
                }
                sum = sum + mix(c, rgb(0xFFE8FF), clamp01((z - 3.0f) / 9.0f));  // haze at the far end
            }
            img.at(x, y) = sum * 0.25f;
        }
    glow(img, blurred(rectMask(W, H, cx - 14, cy - 10, cx + 14, cy + 10), 16), rgb(0xFFFFFF), 0.8f);
    return img;
}

Image miboboPhoto() {
    // A city skyline at night over water, with a moon; the spinning card turns in front of it.
    Image img(W, H);
    float water = 170;
    verticalGradient(img, {rgb(0x000010), rgb(0x101050), rgb(0x602080), rgb(0xFF6080)}, 0, water);
    starfield(img, 61, 140, 90);
    paint(img, circleMask(W, H, 250, 50, 22), rgb(0xFFF4D0));
    glow(img, blurred(circleMask(W, H, 250, 50, 26), 20), rgb(0xFFC0A0), 0.4f);
    Random rnd(62);
    Mask city(W, H);
    Image lights(W, H, Colour{0, 0, 0});
    for (float x = -4; x < W;) {
        float bw = rnd.range(14, 34), bh = rnd.range(30, 110);
        Mask b = rectMask(W, H, x, water - bh, x + bw, water);
        addInto(city, b);
        for (float wy = water - bh + 5; wy < water - 4; wy += 7)
            for (float wx = x + 3; wx < x + bw - 3; wx += 6)
                if (rnd.uniform() < 0.45f)
                    paint(lights, rectMask(W, H, wx, wy, wx + 3, wy + 3),
                          rnd.uniform() < 0.7f ? rgb(0xFFD060) : rgb(0x60E0FF));
        x += bw + rnd.range(-4, 3);
    }
    paint(img, city, rgb(0x080418));
    for (std::size_t i = 0; i < img.px.size(); ++i)
        if (city.v[i] > 0.5f) img.px[i] = img.px[i] + lights.px[i];
    // Reflection: the scene above the water line mirrored, darkened, with ripples.
    for (int y = int(water); y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int sy = int(2 * water - y - 1);
            int sx = std::clamp(x + int(2 * std::sin(y * 0.5f)), 0, W - 1);
            img.at(x, y) = img.at(sx, std::max(0, sy)) * 0.45f + rgb(0x000818);
        }
    return img;
}

Image miboboTexture() {
    // The card: columns 0-127 its front (emblem), 128-255 its back (pattern and name), rows
    // 0-177. The scene renderer wraps texture coordinates with masks of the texture's width and
    // height, so the texture is 256 x 256; rows below the card repeat its last row.
    constexpr int w = 256, h = 178, textureH = 256;
    Image img(w, textureH);
    // Front.
    Image front(128, h);
    verticalGradient(front, {rgb(0x1030C0), rgb(0x000830)}, 0, h);
    Mask border = roundRectMask(128, h, 3, 3, 125, h - 3.0f, 10);
    Mask hole = roundRectMask(128, h, 9, 9, 119, h - 9.0f, 6);
    subtract(border, hole);
    paint(front, border, rgb(0xFFC040));
    Mask z = textMask(128, h, "Z", {FONT_BOLD, 110, 1.1f, 0.2f, 0}, 64, 120);
    glow(front, blurred(grown(z, 3), 10), rgb(0x40E0FF), 0.7f);
    ChromeStyle s;
    s.shadowDx = s.shadowDy = 3;
    s.bevel = 4;
    chromeLettering(front, z, s);
    Mask name = textMask(128, h, "ZORVEK", fitted("ZORVEK", {FONT_BOLD, 18, 1, 0, 2}, 100), 64, 156);
    paint(front, name, rgb(0xFFE080));
    // Back.
    Image back(128, h);
    shade(back, [](float x, float y) {
        bool diamond = (int(std::floor((x + y) / 16)) + int(std::floor((x - y) / 16))) & 1;
        return diamond ? rgb(0xD01070) : rgb(0x500040);
    });
    paint(back, border, rgb(0x40E0FF));
    paint(back, roundRectMask(128, h, 14, 74, 114, 104, 6), Colour{0, 0, 0}, 0.85f);
    Mask title = textMask(128, h, "VELMORA", fitted("VELMORA", {FONT_BOLD, 20, 1, 0.2f, 1}, 96), 64, 97);
    paint(back, title, rgb(0xFFFFFF));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 128; ++x) {
            img.at(x, y) = front.at(x, y);
            img.at(x + 128, y) = back.at(x, y);
        }
    for (int y = h; y < textureH; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = img.at(x, h - 1);
    return img;
}

}  // namespace picgen
