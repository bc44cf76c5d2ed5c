#include "canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace picgen {

float clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

Colour hsv(float h, float s, float v) {
    h = h - std::floor(h);
    float f = h * 6;
    int i = int(f) % 6;
    f -= std::floor(f);
    float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
        case 0: return {v, t, p};
        case 1: return {q, v, p};
        case 2: return {p, v, t};
        case 3: return {p, q, v};
        case 4: return {t, p, v};
        default: return {v, p, q};
    }
}

Colour ramp(const std::vector<Colour>& stops, float t) {
    if (stops.size() == 1) return stops[0];
    float f = clamp01(t) * float(stops.size() - 1);
    std::size_t i = std::min(std::size_t(f), stops.size() - 2);
    return mix(stops[i], stops[i + 1], f - float(i));
}

std::uint32_t Random::next() {
    // splitmix64, folded to 32 bits
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return std::uint32_t((z ^ (z >> 31)) >> 16);
}

// ---------------------------------------------------------------------------------------------
// Shapes

namespace {

// Coverage from a signed distance (negative inside), one pixel of antialiasing.
inline float cover(float d) { return clamp01(0.5f - d); }

template <class Distance>
Mask fromDistance(int w, int h, float x0, float y0, float x1, float y1, Distance dist) {
    Mask m(w, h);
    int ya = std::max(0, int(std::floor(y0)) - 1), yb = std::min(h - 1, int(std::ceil(y1)) + 1);
    int xa = std::max(0, int(std::floor(x0)) - 1), xb = std::min(w - 1, int(std::ceil(x1)) + 1);
    for (int y = ya; y <= yb; ++y)
        for (int x = xa; x <= xb; ++x) m.at(x, y) = cover(dist(x + 0.5f, y + 0.5f));
    return m;
}

}  // namespace

Mask circleMask(int w, int h, float cx, float cy, float r) {
    return fromDistance(w, h, cx - r, cy - r, cx + r, cy + r,
                        [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; });
}

Mask ellipseMask(int w, int h, float cx, float cy, float rx, float ry) {
    // Distance approximated by scaling the circle's; exact enough at these sizes.
    float k = std::min(rx, ry);
    return fromDistance(w, h, cx - rx, cy - ry, cx + rx, cy + ry, [=](float x, float y) {
        float u = (x - cx) / rx, v = (y - cy) / ry;
        return (std::sqrt(u * u + v * v) - 1) * k;
    });
}

Mask rectMask(int w, int h, float x0, float y0, float x1, float y1) { return roundRectMask(w, h, x0, y0, x1, y1, 0); }

Mask roundRectMask(int w, int h, float x0, float y0, float x1, float y1, float radius) {
    float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
    return fromDistance(w, h, x0, y0, x1, y1, [=](float x, float y) {
        float dx = std::abs(x - cx) - hx, dy = std::abs(y - cy) - hy;
        float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
        return outside + std::min(std::max(dx, dy), 0.0f) - radius;
    });
}

Mask lineMask(int w, int h, float x0, float y0, float x1, float y1, float width) {
    float r = width / 2, dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    return fromDistance(w, h, std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r, std::max(y0, y1) + r,
                        [=](float x, float y) {
                            float t = len2 > 0 ? clamp01(((x - x0) * dx + (y - y0) * dy) / len2) : 0;
                            return std::hypot(x - x0 - t * dx, y - y0 - t * dy) - r;
                        });
}

Mask polygonMask(int w, int h, const std::vector<float>& xy) {
    // Four sub-rows per pixel row; each sub-row's spans add exact horizontal coverage.
    constexpr int SUB = 4;
    Mask m(w, h);
    std::size_t n = xy.size() / 2;
    std::vector<std::pair<float, int>> cross;
    std::vector<float> row(w + 1);
    for (int y = 0; y < h; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        bool any = false;
        for (int s = 0; s < SUB; ++s) {
            float sy = y + (s + 0.5f) / SUB;
            cross.clear();
            for (std::size_t i = 0; i < n; ++i) {
                float ax = xy[2 * i], ay = xy[2 * i + 1];
                float bx = xy[2 * ((i + 1) % n)], by = xy[2 * ((i + 1) % n) + 1];
                if ((ay <= sy) == (by <= sy)) continue;
                float t = (sy - ay) / (by - ay);
                cross.push_back({ax + t * (bx - ax), ay < by ? 1 : -1});
            }
            std::sort(cross.begin(), cross.end());
            int winding = 0;
            for (std::size_t i = 0; i + 1 < cross.size(); ++i) {
                winding += cross[i].second;
                if (winding == 0) continue;
                float a = std::clamp(cross[i].first, 0.0f, float(w)),
                      b = std::clamp(cross[i + 1].first, 0.0f, float(w));
                if (b <= a) continue;
                any = true;
                int ia = int(a), ib = int(b);
                if (ia == ib) {
                    row[ia] += b - a;
                } else {
                    row[ia] += ia + 1 - a;
                    for (int x = ia + 1; x < ib; ++x) row[x] += 1;
                    if (ib < w) row[ib] += b - ib;
                }
            }
        }
        if (any)
            for (int x = 0; x < w; ++x) m.at(x, y) = std::min(1.0f, row[x] / SUB);
    }
    return m;
}

// ---------------------------------------------------------------------------------------------
// Mask arithmetic

void addInto(Mask& into, const Mask& m) {
    for (std::size_t i = 0; i < into.v.size(); ++i) into.v[i] = std::max(into.v[i], m.v[i]);
}

void subtract(Mask& from, const Mask& m) {
    for (std::size_t i = 0; i < from.v.size(); ++i) from.v[i] *= 1 - m.v[i];
}

void intersect(Mask& into, const Mask& m) {
    for (std::size_t i = 0; i < into.v.size(); ++i) into.v[i] *= m.v[i];
}

Mask shifted(const Mask& m, int dx, int dy) {
    Mask out(m.w, m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) out.at(x, y) = m.get(x - dx, y - dy);
    return out;
}

namespace {
// One box pass along rows (step 1) or columns (step w), edges clamped.
void boxPass(std::vector<float>& v, std::vector<float>& tmp, int count, int lines, int step, int lineStep, int r) {
    float k = 1.0f / float(2 * r + 1);
    for (int l = 0; l < lines; ++l) {
        std::size_t base = std::size_t(l) * lineStep;
        auto read = [&](int i) { return v[base + std::size_t(std::clamp(i, 0, count - 1)) * step]; };
        float sum = 0;
        for (int i = -r; i <= r; ++i) sum += read(i);
        for (int i = 0; i < count; ++i) {
            tmp[i] = sum * k;
            sum += read(i + r + 1) - read(i - r);
        }
        for (int i = 0; i < count; ++i) v[base + std::size_t(i) * step] = tmp[i];
    }
}
}  // namespace

Mask blurred(const Mask& m, int radius) {
    Mask out = m;
    if (radius <= 0) return out;
    std::vector<float> tmp(std::max(m.w, m.h));
    int r = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(out.v, tmp, m.w, m.h, 1, m.w, r);
        boxPass(out.v, tmp, m.h, m.w, m.w, 1, r);
    }
    return out;
}

Mask grown(const Mask& m, int radius) {
    Mask out = blurred(m, radius * 2);
    for (float& v : out.v) v = smoothstep(0.02f, 0.25f, v);
    addInto(out, m);
    return out;
}

Mask hardened(const Mask& m, float threshold) {
    Mask out = m;
    for (float& v : out.v) v = v >= threshold ? 1.0f : 0.0f;
    return out;
}

// ---------------------------------------------------------------------------------------------
// Painting

void paint(Image& img, const Mask& m, Colour c, float strength) {
    for (std::size_t i = 0; i < img.px.size(); ++i) {
        float a = m.v[i] * strength;
        if (a > 0) img.px[i] = mix(img.px[i], c, a);
    }
}

void paint(Image& img, const Mask& m, const std::function<Colour(int, int)>& shader, float strength) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            float a = m.at(x, y) * strength;
            if (a > 0) img.at(x, y) = mix(img.at(x, y), shader(x, y), a);
        }
}

void glow(Image& img, const Mask& m, Colour c, float strength) {
    for (std::size_t i = 0; i < img.px.size(); ++i) img.px[i] = img.px[i] + c * (m.v[i] * strength);
}

void shade(Image& img, const std::function<Colour(float, float)>& shader) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) img.at(x, y) = shader(x + 0.5f, y + 0.5f);
}

void compose(Image& dst, const Image& src, int ox, int oy) {
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            int dx = x + ox, dy = y + oy;
            if (dx < 0 || dy < 0 || dx >= dst.w || dy >= dst.h) continue;
            float a = src.alpha[std::size_t(y) * src.w + x];
            dst.at(dx, dy) = mix(dst.at(dx, dy), src.at(x, y), a);
        }
}

Image crop(const Image& img, int x0, int y0, int w, int h) {
    Image out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sx = std::clamp(x + x0, 0, img.w - 1), sy = std::clamp(y + y0, 0, img.h - 1);
            out.at(x, y) = img.at(sx, sy);
            out.alpha[std::size_t(y) * w + x] = img.alpha[std::size_t(sy) * img.w + sx];
        }
    return out;
}

namespace {

// How much of source cell i (of n) lies in target cell j (of m), as a fraction of the target cell.
float overlap(int i, int n, int j, int m) {
    float a = float(i) * m / n, b = float(i + 1) * m / n;
    return std::max(0.0f, std::min(b, float(j + 1)) - std::max(a, float(j)));
}

}  // namespace

Image shrunk(const Image& img, int w, int h) {
    Image out(w, h);
    std::vector<Colour> sum(std::size_t(w) * h);
    std::vector<float> alpha(sum.size());
    for (int y = 0; y < img.h; ++y)
        for (int ty = y * h / img.h; ty < h && ty <= (y + 1) * h / img.h; ++ty) {
            float wy = overlap(y, img.h, ty, h);
            for (int x = 0; x < img.w; ++x)
                for (int tx = x * w / img.w; tx < w && tx <= (x + 1) * w / img.w; ++tx) {
                    float a = wy * overlap(x, img.w, tx, w) * img.alpha[std::size_t(y) * img.w + x];
                    std::size_t t = std::size_t(ty) * w + tx;
                    sum[t] = sum[t] + img.at(x, y) * a;
                    alpha[t] += a;
                }
        }
    for (std::size_t t = 0; t < sum.size(); ++t) {
        out.px[t] = alpha[t] > 0 ? sum[t] * (1 / alpha[t]) : Colour{};
        out.alpha[t] = clamp01(alpha[t]);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Output

namespace {
inline png_byte byteOf(float v) { return png_byte(std::lround(clamp01(v) * 255.0f)); }
}  // namespace

bool writePng(const Image& img, const std::string& path, PngKind kind) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    int channels = kind == PngKind::Rgba ? 4 : 3;
    // Allocated before setjmp, so that a longjmp back skips no destructor.
    std::vector<png_byte> row(std::size_t(img.w) * channels);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        std::fprintf(stderr, "%s: PNG write failed\n", path.c_str());
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, img.w, img.h, 8, kind == PngKind::Rgba ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < img.h; ++y) {
        for (int x = 0; x < img.w; ++x) {
            const Colour& c = img.at(x, y);
            png_byte* p = &row[std::size_t(x) * channels];
            p[0] = byteOf(c.r);
            p[1] = byteOf(c.g);
            p[2] = byteOf(c.b);
            if (channels == 4) p[3] = byteOf(img.alpha[std::size_t(y) * img.w + x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

}  // namespace picgen
