#pragma once
// Float pictures and coverage masks: the drawing surface of the picture generator. Colours are
// display values in 0..1; a picture is written out as 8-bit PNG only at the end.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace picgen {

struct Colour {
    float r = 0, g = 0, b = 0;
};
inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour operator-(Colour a, Colour b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Colour operator*(Colour a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Colour operator*(Colour a, Colour b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Colour mix(Colour a, Colour b, float t) { return a + (b - a) * t; }

// 0xRRGGBB as a colour.
constexpr Colour rgb(std::uint32_t hex) {
    return {((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f};
}
// Hue in turns (0..1), saturation and value 0..1.
Colour hsv(float h, float s, float v);
// Piecewise-linear colour ramp through evenly spaced stops, t in 0..1 (clamped).
Colour ramp(const std::vector<Colour>& stops, float t);

float clamp01(float v);
float smoothstep(float e0, float e1, float x);

// A small deterministic generator, so that every run draws the same pictures.
class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t next();
    float uniform() { return (next() >> 8) * (1.0f / 16777216.0f); }  // 0 <= u < 1
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

private:
    std::uint64_t state;
};

// Coverage 0..1 per pixel.
struct Mask {
    int w = 0, h = 0;
    std::vector<float> v;
    Mask() = default;
    Mask(int width, int height, float fill = 0) : w(width), h(height), v(std::size_t(width) * height, fill) {}
    float& at(int x, int y) { return v[std::size_t(y) * w + x]; }
    float at(int x, int y) const { return v[std::size_t(y) * w + x]; }
    // Clamped read: outside the mask reads as 0.
    float get(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : at(x, y); }
};

struct Image {
    int w = 0, h = 0;
    std::vector<Colour> px;
    std::vector<float> alpha;  // 1 = opaque; written to the PNG only for alpha pictures
    Image() = default;
    Image(int width, int height, Colour fill = {})
        : w(width), h(height), px(std::size_t(width) * height, fill), alpha(px.size(), 1.0f) {}
    Colour& at(int x, int y) { return px[std::size_t(y) * w + x]; }
    const Colour& at(int x, int y) const { return px[std::size_t(y) * w + x]; }
};

// --- shapes as masks (antialiased) ---
Mask circleMask(int w, int h, float cx, float cy, float r);
Mask ellipseMask(int w, int h, float cx, float cy, float rx, float ry);
Mask rectMask(int w, int h, float x0, float y0, float x1, float y1);
Mask roundRectMask(int w, int h, float x0, float y0, float x1, float y1, float radius);
// A thick line with round ends.
Mask lineMask(int w, int h, float x0, float y0, float x1, float y1, float width);
// Non-zero winding fill of a closed polygon given as x0, y0, x1, y1, ...
Mask polygonMask(int w, int h, const std::vector<float>& xy);

// --- mask arithmetic ---
void addInto(Mask& into, const Mask& m);               // max of the two
void subtract(Mask& from, const Mask& m);              // from * (1 - m)
void intersect(Mask& into, const Mask& m);             // product
Mask shifted(const Mask& m, int dx, int dy);           // moved, uncovered pixels 0
Mask blurred(const Mask& m, int radius);               // three box passes, about a Gaussian
Mask grown(const Mask& m, int radius);                 // dilated, with soft edge
Mask hardened(const Mask& m, float threshold = 0.5f);  // 0 or 1 only

// --- painting ---
// Paints colour over the picture with the mask as opacity (times strength).
void paint(Image& img, const Mask& m, Colour c, float strength = 1.0f);
void paint(Image& img, const Mask& m, const std::function<Colour(int, int)>& shader, float strength = 1.0f);
// Adds colour times mask (light, glow).
void glow(Image& img, const Mask& m, Colour c, float strength = 1.0f);
// Sets every pixel from a function of its centre.
void shade(Image& img, const std::function<Colour(float, float)>& shader);
// Draws src onto dst at (x, y), blended by src's alpha.
void compose(Image& dst, const Image& src, int x, int y);
// Nearest-neighbour crop.
Image crop(const Image& img, int x, int y, int w, int h);
// Scaled down to w x h (at most the picture's size): each pixel the mean of the area it covers,
// weighted by alpha so that transparent pixels lend no colour to the edges.
Image shrunk(const Image& img, int w, int h);

// --- output ---
enum class PngKind { Rgb, Rgba };
// Writes an 8-bit PNG; returns false with a message on stderr when it cannot.
bool writePng(const Image& img, const std::string& path, PngKind kind);

}  // namespace picgen
