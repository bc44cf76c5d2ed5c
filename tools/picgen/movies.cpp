// The movie strips: 80 x 60 frames stacked downwards. The show plays each forward and then
// backward, so every movie is a motion that reads well both ways. Each movie pixel becomes a
// 4 x 4 cell of dots at four bits per channel: bold shapes, full colours, dark outlines.

#include <cmath>

#include "backgrounds.h"
#include "figure.h"
#include "lettering.h"
#include "pictures.h"

namespace picgen {

namespace {

constexpr int FW = 80, FH = 60;
constexpr float PI = 3.14159265f;

template <class DrawFrame>
Image strip(int frames, DrawFrame draw) {
    Image out(FW, FH * frames);
    for (int f = 0; f < frames; ++f) {
        Image frame = draw(f);
        for (int y = 0; y < FH; ++y)
            for (int x = 0; x < FW; ++x) out.at(x, f * FH + y) = frame.at(x, y);
    }
    return out;
}

float easeInOut(float t) { return t * t * (3 - 2 * t); }

}  // namespace

Image gogo1() {
    // A dancer swinging from one pose into its mirror; played back and forth it keeps dancing.
    Pose a, b;
    a.hipX = 36, a.hipY = 36, a.lean = -0.25f;
    a.armUpper[0] = 2.6f, a.armLower[0] = 0.5f, a.armUpper[1] = -0.5f, a.armLower[1] = -1.6f;
    a.legUpper[0] = 0.15f, a.legLower[0] = 0.0f, a.legUpper[1] = -0.9f, a.legLower[1] = 1.4f;
    b.hipX = 44, b.hipY = 35, b.lean = 0.25f;
    b.armUpper[0] = 0.5f, b.armLower[0] = 1.6f, b.armUpper[1] = -2.6f, b.armLower[1] = -0.5f;
    b.legUpper[0] = 0.9f, b.legLower[0] = -1.4f, b.legUpper[1] = -0.15f, b.legLower[1] = 0.0f;
    return strip(10, [&](int f) {
        float t = easeInOut(f / 9.0f);
        Image img(FW, FH);
        shade(img, [&](float x, float y) {
            // Disco floor below, spot-lit wall above, a light that follows the dancer.
            if (y > 50) return ((int(x) / 10 + int(y) / 5 + f) & 1) ? rgb(0xFF00C0) : rgb(0x2000A0);
            float d = std::hypot((x - (36 + 8 * t)) / 30, (y - 28) / 34);
            return mix(rgb(0x00E0FF), rgb(0x100040), clamp01(d));
        });
        Pose p = blend(a, b, t);
        p.hipY -= 3 * std::sin(t * PI);  // a small hop in mid-swing
        Mask body = figureMask(FW, FH, p, 13);
        paint(img, grown(body, 1), Colour{0, 0, 0});
        paint(img, body, rgb(0xFFF000));
        return img;
    });
}

Image gogo2() {
    // A chequered ball falling to the floor and squashing; backward, it bounces up again.
    constexpr int frames = 12;
    return strip(frames, [&](int f) {
        float t = f / float(frames - 1);
        Image img(FW, FH);
        shade(img, [](float x, float y) {
            bool line = int(x) % 10 == 0 || int(y) % 10 == 0;
            return line ? rgb(0xC000C0) : rgb(0xB0B0B0);
        });
        float r = 13;
        float squash = t > 0.85f ? (t - 0.85f) / 0.15f * 0.35f : 0;
        float ry = r * (1 - squash), rx = r * (1 + squash * 0.8f);
        float cy = 13 + (56 - 13 - r) * t * t + squash * r;  // falling under gravity
        float cx = 24 + 32 * t;
        floorShadow(img, cx + 6, 57, rx, 3, 0.6f);
        Mask ball = ellipseMask(FW, FH, cx, cy, rx, ry);
        float spin = t * 1.2f;
        paint(img, ball, [&](int x, int y) {
            float u = (x + 0.5f - cx) / rx, v = (y + 0.5f - cy) / ry;
            float z = std::sqrt(std::max(0.0f, 1 - u * u - v * v));
            float lon = std::atan2(u, z) + spin, lat = std::asin(std::clamp(v, -1.0f, 1.0f)) + 0.3f;
            bool red = (int(std::floor(lon * 8 / PI)) + int(std::floor(lat * 8 / PI))) & 1;
            float light = 0.45f + 0.55f * std::max(0.0f, -0.5f * u - 0.5f * v + 0.7f * z);
            return (red ? rgb(0xFF1010) : rgb(0xFFFFFF)) * light;
        });
        return img;
    });
}

Image gogo3() {
    // A cube turning a quarter; forward and backward it rocks.
    constexpr int frames = 12;
    return strip(frames, [&](int f) {
        float angle = easeInOut(f / float(frames - 1)) * PI / 2 + PI / 8;
        Image img(FW, FH);
        verticalGradient(img, {rgb(0x000030), rgb(0x400060), rgb(0xFF6000)}, 0, FH);
        const float tilt = 0.5f, s = 15;
        auto project = [&](float x, float y, float z, float& px, float& py) {
            float x1 = x * std::cos(angle) - z * std::sin(angle), z1 = x * std::sin(angle) + z * std::cos(angle);
            float y1 = y * std::cos(tilt) - z1 * std::sin(tilt), z2 = y * std::sin(tilt) + z1 * std::cos(tilt);
            float k = 60 / (60 + z2 * s * 0.8f);
            px = 40 + x1 * s * k;
            py = 30 + y1 * s * k;
        };
        // Visible faces of a cube seen from above: top and the two faces towards the viewer.
        struct Face {
            float c[4][3];
            Colour colour;
        };
        const Face faces[] = {
            {{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, rgb(0x40FFFF)},  // top
            {{{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}}, rgb(0xFF2090)},
            {{{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}}, rgb(0xFFD000)},
            {{{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}, rgb(0x30FF40)},
            {{{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}, rgb(0x4060FF)},
        };
        for (const Face& face : faces) {
            std::vector<float> xy;
            for (const auto& c : face.c) {
                float px, py;
                project(c[0], c[1], c[2], px, py);
                xy.insert(xy.end(), {px, py});
            }
            // Back faces wind the other way on screen; skip them.
            float area = 0;
            for (int i = 0; i < 4; ++i) {
                int j = (i + 1) % 4;
                area += xy[2 * i] * xy[2 * j + 1] - xy[2 * j] * xy[2 * i + 1];
            }
            bool top = &face == &faces[0];
            if (!top && area > 0) continue;
            if (top && area < 0) continue;
            Mask m = polygonMask(FW, FH, xy);
            paint(img, grown(m, 1), Colour{0, 0, 0});
            paint(img, m, face.colour);
        }
        return img;
    });
}

Image brutal() {
    // A heavy block drops and smashes into the ground, throwing out debris and a flash.
    constexpr int frames = 12;
    return strip(frames, [&](int f) {
        Image img(FW, FH);
        verticalGradient(img, {rgb(0x200000), rgb(0x800000), rgb(0xFF4000)}, 0, 48);
        paint(img, rectMask(FW, FH, 0, 48, FW, FH), rgb(0x302010));
        int impact = 6;
        float blockBottom = f < impact ? 48 * (f + 1) / float(impact) * (f + 1) / float(impact) : 48 + (f - impact) * 0.7f;
        float top = blockBottom - 26;
        if (f >= impact) {
            float k = (f - impact + 1) / float(frames - impact);
            Mask flash = blurred(circleMask(FW, FH, 40, 48, 10 + 30 * k), 6);
            glow(img, flash, rgb(0xFFE060), 1.2f * (1 - k * 0.6f));
            Random rnd(77);
            for (int i = 0; i < 14; ++i) {  // debris on ballistic paths
                float vx = rnd.range(-3.5f, 3.5f), vy = rnd.range(-4.5f, -1.5f);
                float s = (f - impact + 1) * 1.4f;
                float x = 40 + vx * s, y = 48 + vy * s + 0.35f * s * s;
                float r = rnd.range(1.5f, 3.0f);
                if (y < 58) paint(img, rectMask(FW, FH, x - r, y - r, x + r, y + r), rgb(0xC0C0C0));
            }
            for (int c = 0; c < 3; ++c) {  // cracks in the ground
                float a = -0.6f + c * 0.6f;
                paint(img, lineMask(FW, FH, 40, 50, 40 + std::sin(a) * 30 * k, 50 + 9 * k, 2), Colour{0, 0, 0});
            }
        }
        Mask block = rectMask(FW, FH, 22, top, 58, blockBottom);
        paint(img, grown(block, 1), Colour{0, 0, 0});
        paint(img, block, [&](int x, int y) {
            float u = (x - 22) / 36.0f, v = (y - top) / 26.0f;
            return mix(rgb(0xA0A8C0), rgb(0x404858), clamp01(u * 0.5f + v * 0.5f));
        });
        Mask word = textMask(FW, FH, "ZVK", {FONT_BOLD, 14, 1, 0, 0}, 40, top + 19);
        paint(img, word, rgb(0xFF2000));
        return img;
    });
}

}  // namespace picgen
