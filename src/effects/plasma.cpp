#include "effects/plasma.h"

#include <allegro.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/pixels.h"
#include "runtime/demo.h"

namespace Zorvek {

namespace {

constexpr double PI = 3.14159265358979323846;

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

constexpr double TWO_OVER_PI = 0.63661977236758134308;
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

inline double horner(double z, const double (&c)[TERMS]) {
    double p = c[TERMS - 1];
    for (int i = TERMS - 2; i >= 0; --i) p = p * z + c[i];
    return p;
}

// True when the kernel's index may be trusted: inside the kernel's range and not near a
// truncation boundary.
bool trusted(double argument, double value, double whole) {
    const double fraction = value - whole;
    return argument < KERNEL_LIMIT && fraction >= GUARD && fraction <= 1.0 - GUARD;
}

int kernelIndex(double a) {
    const double shifted = a * TWO_OVER_PI + ROUNDER;
    const double k = shifted - ROUNDER;
    const double r = ((a - k * PIO2_1) - k * PIO2_2) - k * PIO2_3;
    const double z = r * r;
    const double sinR = r + r * z * horner(z, SIN_POLY);
    const double cosR = 1.0 - 0.5 * z + z * z * horner(z, COS_POLY);
    const std::uint64_t quadrant = std::bit_cast<std::uint64_t>(shifted);
    double s = (quadrant & 1) ? cosR : sinR;
    if (quadrant & 2) s = -s;
    const double value = 128.0 * s + 128.0;
    if (!(a < KERNEL_LIMIT) || !(value > 0.0 && value < 256.0)) return plasmaIndex(a);
    const int index = static_cast<int>(value);
    return trusted(a, value, index) ? index : plasmaIndex(a);
}

#if defined(__SSE2__)
inline __m128d horner(__m128d z, const double (&c)[TERMS]) {
    __m128d p = _mm_set1_pd(c[TERMS - 1]);
    for (int i = TERMS - 2; i >= 0; --i) p = _mm_add_pd(_mm_mul_pd(p, z), _mm_set1_pd(c[i]));
    return p;
}

// Two arguments per step; the same arithmetic as kernelIndex, lane by lane.
void kernelIndicesSse2(const double* arguments, int count, std::int32_t* indices) {
    const __m128d twoOverPi = _mm_set1_pd(TWO_OVER_PI), rounder = _mm_set1_pd(ROUNDER);
    const __m128d p1 = _mm_set1_pd(PIO2_1), p2 = _mm_set1_pd(PIO2_2), p3 = _mm_set1_pd(PIO2_3);
    const __m128d one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5), scale = _mm_set1_pd(128.0);
    const __m128d guard = _mm_set1_pd(GUARD), guardHigh = _mm_set1_pd(1.0 - GUARD);
    const __m128d limit = _mm_set1_pd(KERNEL_LIMIT);
    const __m128i bit0 = _mm_set1_epi64x(1), bit1 = _mm_set1_epi64x(2);
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128d a = _mm_loadu_pd(arguments + i);
        const __m128d shifted = _mm_add_pd(_mm_mul_pd(a, twoOverPi), rounder);
        const __m128d k = _mm_sub_pd(shifted, rounder);
        __m128d r = _mm_sub_pd(a, _mm_mul_pd(k, p1));
        r = _mm_sub_pd(r, _mm_mul_pd(k, p2));
        r = _mm_sub_pd(r, _mm_mul_pd(k, p3));
        const __m128d z = _mm_mul_pd(r, r);
        const __m128d sinR = _mm_add_pd(r, _mm_mul_pd(_mm_mul_pd(r, z), horner(z, SIN_POLY)));
        const __m128d cosR = _mm_add_pd(_mm_sub_pd(one, _mm_mul_pd(half, z)),
                                        _mm_mul_pd(_mm_mul_pd(z, z), horner(z, COS_POLY)));
        const __m128i quadrant = _mm_castpd_si128(shifted);
        const __m128d odd = _mm_castsi128_pd(
            _mm_cmpeq_epi32(_mm_shuffle_epi32(_mm_and_si128(quadrant, bit0), _MM_SHUFFLE(2, 2, 0, 0)),
                            _mm_shuffle_epi32(bit0, _MM_SHUFFLE(2, 2, 0, 0))));
        __m128d s = _mm_or_pd(_mm_and_pd(odd, cosR), _mm_andnot_pd(odd, sinR));
        s = _mm_xor_pd(s, _mm_castsi128_pd(_mm_slli_epi64(_mm_and_si128(quadrant, bit1), 62)));
        const __m128d value = _mm_add_pd(_mm_mul_pd(s, scale), scale);
        const __m128i index = _mm_cvttpd_epi32(value);
        const __m128d fraction = _mm_sub_pd(value, _mm_cvtepi32_pd(index));
        const __m128d good = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(fraction, guard),
                                                   _mm_cmple_pd(fraction, guardHigh)),
                                        _mm_cmplt_pd(a, limit));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(indices + i), index);
        const int goodLanes = _mm_movemask_pd(good);
        if (goodLanes != 3) {
            if (!(goodLanes & 1)) indices[i] = plasmaIndex(arguments[i]);
            if (!(goodLanes & 2)) indices[i + 1] = plasmaIndex(arguments[i + 1]);
        }
    }
    for (; i < count; ++i) indices[i] = kernelIndex(arguments[i]);
}
#endif

}  // namespace

int plasmaIndex(double argument) {
    const double value = 128.0 * std::sin(argument) + 128.0;
    if (!(value > 0.0)) return 0;  // also a NaN argument
    if (value >= 255.0) return 255;  // 256 when the sine is exactly 1
    return static_cast<int>(value);
}

void plasmaIndices(const double* arguments, int count, std::int32_t* indices) {
#if defined(__SSE2__)
    kernelIndicesSse2(arguments, count, indices);
#else
    for (int i = 0; i < count; ++i) indices[i] = kernelIndex(arguments[i]);
#endif
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
    const double ringStep = PI * z / demo->display.width;
    stepX = static_cast<float>(0.3 * std::cos(3.0 * p) + ringStep);
    stepY = static_cast<float>(0.3 * std::sin(5.0 * progress) + ringStep);
}

void PlasmaEffect::render() {
    BITMAP* const f = frame;
    const int width = f->w, height = f->h;
    const double turn = 2.0 * PI * progress;
    const float startX = static_cast<float>(turn - (width / 2) * static_cast<double>(stepX));
    const float startY = static_cast<float>(turn - (height / 2) * static_cast<double>(stepY));

    // X restarts at the same value on every row, so its squares are computed once per column
    // block and reused by every row.
    constexpr int BLOCK = 512;
    double squares[BLOCK];
    double arguments[BLOCK];
    std::int32_t indices[BLOCK];
    float x = startX;
    for (int x0 = 0; x0 < width; x0 += BLOCK) {
        const int n = std::min(BLOCK, width - x0);
        for (int i = 0; i < n; ++i) {
            squares[i] = static_cast<double>(x) * x;
            x = x + stepX;
        }
        float y = startY;
        for (int row = 0; row < height; ++row) {
            const double y2 = static_cast<float>(y * y);
            for (int i = 0; i < n; ++i) arguments[i] = squares[i] + y2;
            plasmaIndices(arguments, n, indices);
            pixels::Pixel* out = pixels::row(f, row) + x0;
            for (int i = 0; i < n; ++i) out[i] = palette[indices[i]];
            y = y + stepY;
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
