#include "effects/plasma.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

namespace {

// The plasma's sine, one per pixel, is evaluated by a kernel of our own that agrees with the
// library sine to about 1e-15. The palette index truncates 128 sin + 128; wherever the kernel's
// value lies within GUARD of a whole number, the truncation could go either way, and that pixel
// asks the library sine instead. So every index is the library's, whatever the kernel's error,
// as long as that error (about 1e-15, from the reduction by π/2 and the polynomials) stays far
// below GUARD / 128.
constexpr double GUARD = 1.0 / (1 << 30);
// Largest argument the kernel reduces exactly: quotients by π/2 below 2^20 times the 33-bit
// parts of π/2 are exact products. Larger (or NaN) arguments go to the library sine.
constexpr double KERNEL_LIMIT = 1 << 20;

constexpr double TWO_OVER_PI = 2 * std::numbers::inv_pi;
constexpr double ROUNDER = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to an integer
// π/2 in three parts of 33 significant bits each.
constexpr double PIO2_1 = 1.57079632673412561417e+00;
constexpr double PIO2_2 = 6.07710050630396597660e-11;
constexpr double PIO2_3 = 2.02226624871116645580e-21;
// Minimax polynomials of sin and cos on [-π/4, π/4], lowest coefficient first:
// sin r = r + r³·P(r²) and cos r = 1 - r²/2 + r⁴·Q(r²).
constexpr int TERMS = 6;
constexpr double SIN_POLY[TERMS] = {-1.66666666666666324348e-01, 8.33333333332248946124e-03,
                                    -1.98412698298579493134e-04, 2.75573137070700676789e-06,
                                    -2.50507602534068634195e-08, 1.58969099521155010221e-10};
constexpr double COS_POLY[TERMS] = {4.16666666666666019037e-02, -1.38888888888741095749e-03,
                                    2.48015872894767294178e-05, -2.75573143513906633035e-07,
                                    2.08757232129817482790e-09, -1.13596475577881948265e-11};

// Four arguments at a time, in the compiler's portable vector types: on x86-64 the plain build
// uses SSE2 pairs and machines with AVX2 get a second copy of the loop, chosen at load time.
constexpr int LANES = 4;
using Doubles = double __attribute__((vector_size(LANES * sizeof(double))));
using Longs = std::int64_t __attribute__((vector_size(LANES * sizeof(std::int64_t))));
using Ints = std::int32_t __attribute__((vector_size(LANES * sizeof(std::int32_t))));

// The helpers take and give vectors by reference: a vector passed by value would travel
// differently in the AVX2 copy of the loop than in the plain one.
template <class T>
[[gnu::always_inline]] inline void horner(const T& z, const double (&c)[TERMS], T& p) {
    p = T{} + c[TERMS - 1];
    for (int i = TERMS - 2; i >= 0; --i) p = p * z + c[i];
}

// The sine of one double (Bits = std::int64_t) or of four (Bits = Longs): reduce by the nearest
// multiple of π/2, evaluate the polynomial of that quadrant and give it the quadrant's sign.
template <class T, class Bits>
[[gnu::always_inline]] inline void kernelSine(const T& a, T& sine) {
    const T shifted = a * TWO_OVER_PI + ROUNDER;
    const T k = shifted - ROUNDER;
    const T r = ((a - k * PIO2_1) - k * PIO2_2) - k * PIO2_3;
    const T z = r * r;
    T sinP, cosP;
    horner(z, SIN_POLY, sinP);
    horner(z, COS_POLY, cosP);
    const T sinR = r + r * z * sinP;
    const T cosR = 1.0 - 0.5 * z + z * z * cosP;
    const Bits quadrant = __builtin_bit_cast(Bits, shifted);  // k sits in the low bits
    const T s = (quadrant & 1) != 0 ? cosR : sinR;
    sine = __builtin_bit_cast(T, __builtin_bit_cast(Bits, s) ^ ((quadrant & 2) << 62));
}

// True when the kernel's index may be trusted: inside the kernel's range and not near a
// truncation boundary.
bool trusted(double argument, double value, double whole) {
    const double fraction = value - whole;
    return argument < KERNEL_LIMIT && fraction >= GUARD && fraction <= 1.0 - GUARD;
}

int kernelIndex(double a) {
    double sine;
    kernelSine<double, std::int64_t>(a, sine);
    const double value = 128.0 * sine + 128.0;
    if (!(a < KERNEL_LIMIT) || !(value > 0.0 && value < 256.0)) return plasmaIndex(a);
    const int index = static_cast<int>(value);
    return trusted(a, value, index) ? index : plasmaIndex(a);
}

}  // namespace

int plasmaIndex(double argument) {
    const double value = 128.0 * std::sin(argument) + 128.0;
    if (!(value > 0.0)) return 0;    // also a NaN argument
    if (value >= 255.0) return 255;  // 256 when the sine is exactly 1
    return static_cast<int>(value);
}

namespace {

// Four arguments at a time; inlined into both builds of plasmaIndices.
[[gnu::always_inline]] inline void plasmaIndicesIn(const double* arguments, int count, std::int32_t* indices) {
    int i = 0;
    for (; i + LANES <= count; i += LANES) {
        Doubles a;
        std::memcpy(&a, arguments + i, sizeof a);
        const Longs inRange = a < KERNEL_LIMIT;  // false for NaN
        Doubles sine;
        kernelSine<Doubles, Longs>(a, sine);
        // Lanes outside the kernel's range are parked on a value that converts safely; they are
        // redone below.
        const Doubles value = inRange ? 128.0 * sine + 128.0 : Doubles{} + 0.5;
        const Ints index = __builtin_convertvector(value, Ints);
        const Doubles fraction = value - __builtin_convertvector(index, Doubles);
        const Longs trusted = inRange & (fraction >= GUARD) & (fraction <= 1.0 - GUARD);
        std::memcpy(indices + i, &index, sizeof index);
        for (int lane = 0; lane < LANES; ++lane)
            if (!trusted[lane]) indices[i + lane] = plasmaIndex(arguments[i + lane]);
    }
    for (; i < count; ++i) indices[i] = kernelIndex(arguments[i]);
}

}  // namespace

void plasmaIndices(const double* arguments, int count, std::int32_t* indices) {
    pixels::vectorised([=] { plasmaIndicesIn(arguments, count, indices); });
}

void PlasmaEffect::init(Demo* owner) {
    Effect::init(owner);
    period = 5000;
    for (int i = 0; i < 256; ++i) palette[i] = pixels::grey(static_cast<pixels::Pixel>(i));
}

void PlasmaEffect::update(int time) {
    const double p = static_cast<double>(time) / period;
    progress = static_cast<float>(p);
    const float z = static_cast<float>(10.0 - 9.0 * p);
    const double ringStep = std::numbers::pi * z / demo->display.width;
    stepX = static_cast<float>(0.3 * std::cos(3.0 * p) + ringStep);
    stepY = static_cast<float>(0.3 * std::sin(5.0 * progress) + ringStep);
}

void PlasmaEffect::render() {
    BITMAP* const f = frame;
    const int width = f->w, height = f->h;
    const double turn = 2.0 * std::numbers::pi * progress;
    const float startX = static_cast<float>(turn - (width / 2) * static_cast<double>(stepX));
    const float startY = static_cast<float>(turn - (height / 2) * static_cast<double>(stepY));

    // X restarts at the same value on every row, and Y steps the same way along the rows, so the
    // squares of both are computed once, in the order of their float additions; the rows then
    // share out over the threads.
    constexpr int BLOCK = 512;
    double squaresX[BLOCK];
    double squaresY[BLOCK];
    float x = startX;
    for (int x0 = 0; x0 < width; x0 += BLOCK) {
        const int n = std::min(BLOCK, width - x0);
        for (int i = 0; i < n; ++i) {
            squaresX[i] = static_cast<double>(x) * x;
            x = x + stepX;
        }
        float y = startY;
        for (int y0 = 0; y0 < height; y0 += BLOCK) {
            const int m = std::min(BLOCK, height - y0);
            for (int j = 0; j < m; ++j) {
                squaresY[j] = static_cast<float>(y * y);
                y = y + stepY;
            }
            demo->workers.forEachRowBand(0, m, [&](int begin, int end) {
                double arguments[BLOCK];
                std::int32_t indices[BLOCK];
                for (int j = begin; j < end; ++j) {
                    for (int i = 0; i < n; ++i) arguments[i] = squaresX[i] + squaresY[j];
                    plasmaIndices(arguments, n, indices);
                    pixels::Pixel* out = pixels::row(f, y0 + j) + x0;
                    for (int i = 0; i < n; ++i) out[i] = palette[indices[i]];
                }
            });
        }
    }
    push(f);
}

const char* PlasmaEffect::name() { return "Classic Plasma"; }

void Plasma101::init(Demo* owner) {
    PlasmaEffect::init(owner);
    for (int i = 0; i < 256; ++i) {
        int red = 0, green = 0, blue = 0;
        hsv_to_rgb(static_cast<float>(360 - i), 1.0f, 1.0f, &red, &green, &blue);
        palette[i] = pixels::pack(red, green, blue);
    }
}

}  // namespace Zorvek
