// The movie strips: 80 x 60 frames stacked downwards. The show plays each forward and then
// backward, so every movie is a motion that reads well both ways. Each movie pixel becomes a
// 4 x 4 cell of dots at four bits per channel: bold shapes, full colours, dark outlines.

#include <algorithm>
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
            return mix(rgb(0x00F0FF), rgb(0x3000C8), clamp01(d));
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
    // A cube turning a quarter turn about its upright axis; forward and backward it rocks.
    constexpr int frames = 12;
    // Corners and faces (corner indices in order around the face) with their colours.
    const float corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                 {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    struct Face {
        int c[4];
        Colour colour;
    };
    const Face faces[6] = {{{0, 1, 2, 3}, rgb(0xFF2090)}, {{4, 5, 6, 7}, rgb(0x4060FF)},
                           {{0, 1, 5, 4}, rgb(0x40FFFF)}, {{3, 2, 6, 7}, rgb(0x8000C0)},
                           {{1, 2, 6, 5}, rgb(0xFFD000)}, {{0, 3, 7, 4}, rgb(0x30FF40)}};
    return strip(frames, [&](int f) {
        float angle = easeInOut(f / float(frames - 1)) * PI / 2 + PI / 8;
        Image img(FW, FH);
        verticalGradient(img, {rgb(0x000030), rgb(0x400060), rgb(0xFF6000)}, 0, FH);
        const float tilt = 0.45f, s = 16;
        float px[8], py[8], pz[8];
        for (int i = 0; i < 8; ++i) {
            float x = corners[i][0], y = corners[i][1], z = corners[i][2];
            float x1 = x * std::cos(angle) - z * std::sin(angle), z1 = x * std::sin(angle) + z * std::cos(angle);
            // Tilted towards the viewer, so its top shows (y grows downwards on screen).
            float y1 = y * std::cos(tilt) - z1 * std::sin(tilt), z2 = y * std::sin(tilt) + z1 * std::cos(tilt);
            float k = 5 / (5 + z2);
            px[i] = 40 + x1 * s * k, py[i] = 30 + y1 * s * k, pz[i] = z2;
        }
        // Painter's order: the farthest face first; a convex solid needs nothing more.
        int order[6] = {0, 1, 2, 3, 4, 5};
        auto depth = [&](const Face& face) { return pz[face.c[0]] + pz[face.c[1]] + pz[face.c[2]] + pz[face.c[3]]; };
        std::sort(order, order + 6, [&](int a, int b) { return depth(faces[a]) > depth(faces[b]); });
        for (int i : order) {
            std::vector<float> xy;
            for (int c : faces[i].c) {
                xy.push_back(px[c]);
                xy.push_back(py[c]);
            }
            Mask m = polygonMask(FW, FH, xy);
            paint(img, grown(m, 1), Colour{0, 0, 0});
            paint(img, m, faces[i].colour);
        }
        return img;
    });
}

Image brutal() {
    // A heavy block drops and smashes into the ground: flash, shake, flying rubble, cracks.
    constexpr int frames = 12, impact = 5;
    constexpr float ground = 46;
    return strip(frames, [&](int f) {
        Image img(FW, FH);
        verticalGradient(img, {rgb(0x500000), rgb(0xC01000), rgb(0xFF7000)}, 0, ground);
        paint(img, rectMask(FW, FH, 0, ground, FW, FH), [&](int, int y) {
            return mix(rgb(0x604020), rgb(0x201008), (y - ground) / (FH - ground));
        });
        float after = float(f - impact);  // frames since the hit
        float k = clamp01((after + 1) / float(frames - impact));
        // Falling under gravity until the hit, then crushed a little and sunk into the ground.
        float fall = std::min(1.0f, (f + 1) / float(impact + 1));
        float bottom = f <= impact ? -4 + (ground + 4) * fall * fall : ground + 2 + after * 0.5f;
        float squash = f < impact ? 0 : 4 * std::exp(-after * 0.5f);
        float height = 28 - squash, half = 18 + squash;
        float top = bottom - height;
        if (f >= impact) {
            glow(img, blurred(ellipseMask(FW, FH, 40, ground, 14 + 34 * k, 6 + 22 * k), 6), rgb(0xFFE060),
                 1.4f * (1 - 0.7f * k));
            for (int c = 0; c < 4; ++c) {  // cracks spreading from the point of impact
                float dir = c < 2 ? -1.0f : 1.0f, reach = (12 + 26 * k) * (c % 2 ? 0.7f : 1.0f);
                float ex = 40 + dir * reach, ey = ground + 3 + (c % 2 ? 10 : 4) * k;
                paint(img, lineMask(FW, FH, 40 + dir * 8, ground + 1, ex, ey, 2.5f), rgb(0xFF8020));
                paint(img, lineMask(FW, FH, 40 + dir * 8, ground + 1, ex, ey, 1.2f), Colour{0, 0, 0});
            }
        }
        Mask block = rectMask(FW, FH, 40 - half, top, 40 + half, bottom);
        paint(img, grown(block, 1), Colour{0, 0, 0});
        paint(img, block, [&](int x, int y) {
            float u = (x - (40 - half)) / (2 * half), v = (y - top) / height;
            return mix(rgb(0xC0C8E0), rgb(0x404858), clamp01(u * 0.6f + v * 0.5f));
        });
        Mask word = textMask(FW, FH, "ZVK", {FONT_BOLD, 13, 1.1f, 0, 0}, 40, top + height * 0.72f);
        paint(img, word, rgb(0xFF2000));
        if (f >= impact) {
            Random rnd(77);
            for (int i = 0; i < 12; ++i) {  // rubble on ballistic paths, large enough to read as dots
                float vx = (i & 1 ? 1 : -1) * rnd.range(1.5f, 4.5f), vy = rnd.range(-6.0f, -3.0f), r = rnd.range(1.8f, 3.2f);
                float t = (after + 1) * 1.3f;
                float x = 40 + vx * t + (vx < 0 ? -half : half) * 0.6f, y = ground + vy * t + 0.3f * t * t;
                if (y > FH - 2) continue;
                Mask chunk = rectMask(FW, FH, x - r, y - r, x + r, y + r);
                paint(img, grown(chunk, 1), Colour{0, 0, 0});
                paint(img, chunk, i % 3 ? rgb(0xA07040) : rgb(0xFFE040));
            }
        }
        // The screen shakes after the hit, less every frame.
        if (f >= impact) {
            int shake = int(std::lround(3 * std::exp(-after * 0.45f)));
            img = crop(img, f & 1 ? shake : -shake, f & 1 ? -shake / 2 : shake / 2, FW, FH);
        }
        return img;
    });
}

}  // namespace picgen
