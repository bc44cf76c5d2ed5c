// The movie strips: 80 x 60 frames stacked downwards. The show plays each forward and then
// backward, so every movie is a motion that reads well both ways. Each movie pixel becomes a
// 4 x 4 cell of dots at four bits per channel: bold shapes, full colours, dark outlines.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "backgrounds.h"
#include "figure.h"
#include "lettering.h"
#include "pictures.h"

namespace picgen {

namespace {

constexpr int FW = 80, FH = 60;

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
        p.hipY -= 3 * std::sin(t * std::numbers::pi_v<float>);  // a small hop in mid-swing
        Mask body = figureMask(FW, FH, p, 13);
        paint(img, grown(body, 1), Colour{0, 0, 0});
        paint(img, body, rgb(0xFFF000));
        return img;
    });
}

Image gogo2() {
    // A chequered ball falling to a disco floor and squashing; backward, it bounces up again.
    constexpr int frames = 12;
    constexpr float floorY = 44;
    return strip(frames, [&](int f) {
        float t = f / float(frames - 1);
        Image img(FW, FH);
        shade(img, [&](float x, float y) {
            if (y < floorY) {  // a deep blue sky with a band of magenta light above the floor
                Colour sky = mix(rgb(0x0010A0), rgb(0x00C8FF), clamp01(y / floorY));
                return mix(sky, rgb(0xFF20C0), smoothstep(floorY - 10, floorY, y));
            }
            // three rows of tiles, larger towards the viewer
            int row = y < floorY + 4 ? 0 : y < floorY + 9 ? 1 : 2;
            float width = 12.0f + 6 * row;
            bool odd = (int(std::floor((x - 40) / width + 0.5f * row)) + row) & 1;
            return odd ? rgb(0xFFE000) : rgb(0x6000C0);
        });
        float r = 13;
        float squash = t > 0.85f ? (t - 0.85f) / 0.15f * 0.35f : 0;
        float ry = r * (1 - squash), rx = r * (1 + squash * 0.8f);
        float cy = 13 + (54 - 13 - r) * t * t + squash * r;  // falling under gravity
        float cx = 24 + 32 * t;
        floorShadow(img, cx + 4, cy + ry + 1, rx, 2.5f, 0.7f);
        Mask ball = ellipseMask(FW, FH, cx, cy, rx, ry);
        paint(img, grown(ball, 1), Colour{0, 0, 0});
        float spin = t * 1.2f;
        paint(img, ball, [&](int x, int y) {
            float u = (x + 0.5f - cx) / rx, v = (y + 0.5f - cy) / ry;
            float z = std::sqrt(std::max(0.0f, 1 - u * u - v * v));
            float lon = std::atan2(u, z) + spin, lat = std::asin(std::clamp(v, -1.0f, 1.0f)) + 0.3f;
            bool red = (int(std::floor(lon * 8 / std::numbers::pi_v<float>)) +
                        int(std::floor(lat * 8 / std::numbers::pi_v<float>))) &
                       1;
            float light = 0.5f + 0.5f * std::max(0.0f, -0.5f * u - 0.5f * v + 0.7f * z);
            float shine = std::pow(std::max(0.0f, -0.5f * u - 0.5f * v + 0.7f * z), 16.0f);
            return (red ? rgb(0xFF1010) : rgb(0xFFF060)) * light + Colour{1, 1, 1} * shine;
        });
        return img;
    });
}

namespace {

// A cube of half-side `half` at `centre`, turned by `angle` about the upright axis (the whole
// scene turns about the origin) and tilted towards the viewer, as polygons with a depth each.
struct Face {
    std::vector<float> xy;
    float depth;
    Colour colour;
};
// The faces of one cube, the farthest first; returns the depth of its centre.
float cubeFaces(std::vector<Face>& out, const float centre[3], float half, float angle) {
    const float corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                 {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    const struct {
        int c[4];
        Colour colour;
    } faces[6] = {{{0, 1, 2, 3}, rgb(0xFF2090)}, {{4, 5, 6, 7}, rgb(0x4060FF)}, {{0, 1, 5, 4}, rgb(0x40FFFF)},
                  {{3, 2, 6, 7}, rgb(0x8000C0)}, {{1, 2, 6, 5}, rgb(0xFFD000)}, {{0, 3, 7, 4}, rgb(0x30FF40)}};
    const float tilt = 0.45f, s = 14;
    float px[8], py[8], pz[8];
    for (int i = 0; i < 8; ++i) {
        float x = centre[0] + corners[i][0] * half, y = centre[1] + corners[i][1] * half,
              z = centre[2] + corners[i][2] * half;
        float x1 = x * std::cos(angle) - z * std::sin(angle), z1 = x * std::sin(angle) + z * std::cos(angle);
        // Tilted towards the viewer, so its top shows (y grows downwards on screen).
        float y1 = y * std::cos(tilt) - z1 * std::sin(tilt), z2 = y * std::sin(tilt) + z1 * std::cos(tilt);
        float k = 8 / (8 + z2);
        px[i] = 40 + x1 * s * k, py[i] = 30 + y1 * s * k, pz[i] = z2;
    }
    out.clear();
    float depth = 0;
    for (const auto& f : faces) {
        Face face{{}, 0, f.colour};
        for (int c : f.c) {
            face.xy.insert(face.xy.end(), {px[c], py[c]});
            face.depth += pz[c];
        }
        depth += face.depth / 24;
        out.push_back(face);
    }
    // A convex solid needs nothing more than its faces from far to near.
    std::sort(out.begin(), out.end(), [](const Face& a, const Face& b) { return a.depth > b.depth; });
    return depth;
}

}  // namespace

Image gogo3() {
    // Three shapes in one cycle: a cube turns, bursts into its eight corners, and they swing
    // round into a ring about a star; backward, the ring closes up into the cube again.
    constexpr int frames = 24;
    return strip(frames, [&](int f) {
        float t = f / float(frames - 1);
        float angle = std::numbers::pi_v<float> / 8 + t * std::numbers::pi_v<float> * 0.75f;
        float burst = easeInOut(clamp01((t - 0.3f) / 0.35f));  // the corners fly apart
        float ring = easeInOut(clamp01((t - 0.6f) / 0.4f));    // and settle on a ring
        Image img(FW, FH);
        verticalGradient(img, {rgb(0x000030), rgb(0x400060), rgb(0xFF6000)}, 0, FH);
        std::vector<std::pair<float, std::vector<Face>>> cubes(8);
        for (int i = 0; i < 8; ++i) {
            const float corner[3] = {i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f};
            const float a = i * std::numbers::pi_v<float> / 4;
            const float onRing[3] = {2.0f * std::cos(a), 0, 2.0f * std::sin(a)};
            float centre[3];
            for (int k = 0; k < 3; ++k) centre[k] = corner[k] * (1 + 1.3f * burst) * (1 - ring) + onRing[k] * ring;
            // whole, the corners are one cube; apart, each is a smaller cube of its own
            cubes[i].first = cubeFaces(cubes[i].second, centre, 0.5f - 0.12f * burst, angle);
        }
        // Painter's order: the farthest cube first.
        std::sort(cubes.begin(), cubes.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        std::vector<Face> faces;
        for (const auto& cube : cubes) faces.insert(faces.end(), cube.second.begin(), cube.second.end());
        if (ring > 0) {  // the star in the ring's middle, behind the nearer cubes
            Mask star = circleMask(FW, FH, 40, 30, 9 * ring);
            for (int ray = 0; ray < 4; ++ray) {
                float a = ray * std::numbers::pi_v<float> / 4 + t * 2;
                addInto(star, lineMask(FW, FH, 40 - 18 * ring * std::cos(a), 30 - 18 * ring * std::sin(a),
                                       40 + 18 * ring * std::cos(a), 30 + 18 * ring * std::sin(a), 3.0f));
            }
            glow(img, blurred(star, 4), rgb(0xFFA000), 0.8f);
            paint(img, star, rgb(0xFFFF80));
        }
        for (const Face& face : faces) {
            Mask m = polygonMask(FW, FH, face.xy);
            paint(img, grown(m, 1), Colour{0, 0, 0});
            paint(img, m, face.colour);
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
        paint(img, rectMask(FW, FH, 0, ground, FW, FH),
              [&](int, int y) { return mix(rgb(0x604020), rgb(0x201008), (y - ground) / (FH - ground)); });
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
                float vx = (i & 1 ? 1 : -1) * rnd.range(1.5f, 4.5f), vy = rnd.range(-6.0f, -3.0f),
                      r = rnd.range(1.8f, 3.2f);
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
