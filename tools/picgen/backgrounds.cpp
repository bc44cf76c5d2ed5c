#include "backgrounds.h"

#include <algorithm>
#include <cmath>

namespace picgen {

void verticalGradient(Image& img, const std::vector<Colour>& stops, float y0, float y1) {
    for (int y = 0; y < img.h; ++y) {
        Colour c = ramp(stops, (y + 0.5f - y0) / (y1 - y0));
        for (int x = 0; x < img.w; ++x) img.at(x, y) = c;
    }
}

void radialGradient(Image& img, float cx, float cy, float rx, float ry, Colour inner, Colour outer) {
    shade(img, [=](float x, float y) { return mix(inner, outer, clamp01(std::hypot((x - cx) / rx, (y - cy) / ry))); });
}

void starfield(Image& img, std::uint64_t seed, int count, float maxRow) {
    Random rnd(seed);
    for (int i = 0; i < count; ++i) {
        int x = int(rnd.range(0, float(img.w))), y = int(rnd.range(0, maxRow));
        float b = rnd.uniform();
        b = b * b * b;  // many faint stars, few bright ones
        Colour tint = mix(Colour{0.7f, 0.8f, 1.0f}, Colour{1.0f, 0.9f, 0.8f}, rnd.uniform());
        if (y >= img.h) continue;
        img.at(x, y) = img.at(x, y) + tint * (0.25f + 0.75f * b);
        if (b > 0.45f) {
            for (int d = 1; d <= 3; ++d) {
                float k = (0.6f * b) / float(d);
                if (x - d >= 0) img.at(x - d, y) = img.at(x - d, y) + tint * k;
                if (x + d < img.w) img.at(x + d, y) = img.at(x + d, y) + tint * k;
                if (y - d >= 0) img.at(x, y - d) = img.at(x, y - d) + tint * k;
                if (y + d < img.h) img.at(x, y + d) = img.at(x, y + d) + tint * k;
            }
        }
    }
}

void stripedSun(Image& img, float cx, float cy, float r, Colour top, Colour bottom, Colour gap) {
    Mask disk = circleMask(img.w, img.h, cx, cy, r);
    Mask halo = blurred(circleMask(img.w, img.h, cx, cy, r * 1.25f), int(r * 0.6f));
    glow(img, halo, mix(top, bottom, 0.5f), 0.45f);
    for (int y = 0; y < img.h; ++y) {
        float t = (y - (cy - r)) / (2 * r);
        // Gaps below the middle, each wider than the one above.
        bool cut = false;
        if (t > 0.5f) {
            float band = (t - 0.5f) * 8;
            float f = band - std::floor(band);
            cut = f < 0.15f + 0.1f * std::floor(band);
        }
        Colour c = cut ? gap : mix(top, bottom, clamp01(t));
        for (int x = 0; x < img.w; ++x) {
            float a = disk.at(x, y);
            if (a > 0) img.at(x, y) = mix(img.at(x, y), c, cut ? a * 0.9f : a);
        }
    }
}

void checkerFloor(Image& img, float horizon, Colour a, Colour b, Colour haze, float tiles, float shift) {
    // 4 x 4 samples per pixel keep the far rows from breaking up into noise.
    for (int y = int(horizon); y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            Colour sum{};
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    float px = x + (sx + 0.5f) / 4, py = y + (sy + 0.5f) / 4;
                    float dy = py - horizon;
                    if (dy <= 0.2f) {
                        sum = sum + haze;
                        continue;
                    }
                    float z = 120.0f / dy;  // distance along the floor
                    float u = (px - img.w / 2.0f) * z / 40.0f * tiles / 8, v = z * 2.5f * tiles / 8 + shift;
                    bool odd = (int(std::floor(u)) + int(std::floor(v))) & 1;
                    sum = sum + mix(odd ? a : b, haze, clamp01(z / 60.0f));
                }
            img.at(x, y) = sum * (1.0f / 16);
        }
}

void gridFloor(Image& img, float horizon, Colour floor, Colour line, Colour haze) {
    for (int y = int(horizon); y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float lit = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    float px = x + (sx + 0.5f) / 4, py = y + (sy + 0.5f) / 4;
                    float dy = std::max(0.3f, py - horizon);
                    float z = 120.0f / dy;
                    float u = (px - img.w / 2.0f) * z / 40.0f, v = z;
                    float fu = std::abs(u - std::round(u)), fv = std::abs(v - std::round(v));
                    float width = 0.04f + 0.004f * z;
                    lit += (fu < width || fv < width * 1.5f) ? 1.0f : 0.0f;
                }
            float z = 120.0f / std::max(0.3f, y + 0.5f - horizon);
            Colour c = mix(floor, line, lit / 16);
            img.at(x, y) = mix(c, haze, clamp01(z / 40.0f));
        }
}

void copperBar(Image& img, float centre, float halfHeight, Colour c) {
    for (int y = std::max(0, int(centre - halfHeight)); y < std::min(img.h, int(centre + halfHeight) + 1); ++y) {
        float t = (y + 0.5f - centre) / halfHeight;
        if (std::abs(t) >= 1) continue;
        float k = std::cos(t * 1.5707964f);
        Colour shadeC = c * (0.15f + 0.85f * k) + Colour{1, 1, 1} * std::pow(k, 12.0f) * 0.6f;
        for (int x = 0; x < img.w; ++x) img.at(x, y) = mix(img.at(x, y), shadeC, std::min(1.0f, k * 3));
    }
}

void mountains(Image& img, std::uint64_t seed, float baseRow, float peak, Colour top, Colour bottom) {
    Random rnd(seed);
    // Midpoint displacement over the width, then filled below the ridge line.
    int n = 65;
    std::vector<float> ridge(n, baseRow);
    ridge[0] = baseRow - peak * rnd.range(0.2f, 0.6f);
    ridge[n - 1] = baseRow - peak * rnd.range(0.2f, 0.6f);
    for (int step = (n - 1) / 2; step >= 1; step /= 2)
        for (int i = step; i < n - 1; i += 2 * step) {
            float amount = peak * float(step) / float(n - 1) * 1.6f;
            ridge[i] = (ridge[i - step] + ridge[i + step]) / 2 + rnd.range(-amount, amount);
            ridge[i] = std::clamp(ridge[i], baseRow - peak, baseRow);
        }
    std::vector<float> xy;
    for (int i = 0; i < n; ++i) xy.insert(xy.end(), {float(i) * img.w / float(n - 1), ridge[i]});
    xy.insert(xy.end(), {float(img.w), baseRow + 1, 0, baseRow + 1});
    Mask m = polygonMask(img.w, img.h, xy);
    paint(img, m, [&](int, int y) { return mix(top, bottom, clamp01((y - (baseRow - peak)) / peak)); });
}

void sphere(Image& img, float cx, float cy, float r, const SphereLook& look) {
    Mask disk = circleMask(img.w, img.h, cx, cy, r);
    const float lx = -0.5f, ly = -0.6f, lz = 0.62f;
    const float ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    paint(img, disk, [&](int x, int y) {
        float nx = (x + 0.5f - cx) / r, ny = (y + 0.5f - cy) / r;
        float nn = nx * nx + ny * ny;
        float nz = std::sqrt(std::max(0.0f, 1 - nn));
        float d = std::max(0.0f, (nx * lx + ny * ly + nz * lz) / ll);
        float ry = 2 * nz * ny, rx = 2 * nz * nx, rz = 2 * nz * nz - 1;
        float s = std::pow(std::max(0.0f, (rx * lx + ry * ly + rz * lz) / ll), look.shininess);
        Colour c;
        if (look.chrome) {
            // Upward reflections see the sky, downward ones a checkered floor.
            if (ry < 0.05f) {
                c = mix(look.skyLow, look.skyTop, clamp01(-ry * 0.8f));
            } else {
                float u = rx / (ry + 0.05f) * 2 + look.spin, v = 1 / (ry + 0.05f);
                bool odd = (int(std::floor(u)) + int(std::floor(v))) & 1;
                c = mix(odd ? look.floorA : look.floorB, look.skyLow, clamp01(0.3f - ry));
            }
            c = c * (0.55f + 0.45f * d);
        } else {
            float rim = std::pow(clamp01(std::sqrt(nn)), 6.0f) * 0.35f;
            c = look.base * (0.12f + 0.95f * d) + look.skyLow * rim;
        }
        return c + look.specular * s;
    });
}

void floorShadow(Image& img, float cx, float cy, float rx, float ry, float opacity) {
    Mask m = blurred(ellipseMask(img.w, img.h, cx, cy, rx, ry), int(ry));
    paint(img, m, Colour{0, 0, 0}, opacity);
}

}  // namespace picgen
