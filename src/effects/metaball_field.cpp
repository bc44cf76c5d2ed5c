#include "effects/metaball_field.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "effects/instruction_sets.h"

namespace Zorvek::metaballField {

using pixels::Pixel;

namespace {

// Brightest component scaled to 255, the others with it; 64-bit so that the product with 255
// cannot overflow.
inline int scaleDown(std::int32_t sum, std::int32_t brightest) {
    return static_cast<int>(static_cast<std::int64_t>(sum) * 255 / brightest);
}

inline Pixel finish(std::int32_t r, std::int32_t g, std::int32_t b) {
    r = std::max(r, 0);
    g = std::max(g, 0);
    b = std::max(b, 0);
    std::int32_t m = std::max({r, g, b});
    if (m > 255) return pixels::pack(scaleDown(r, m), scaleDown(g, m), scaleDown(b, m));
    return pixels::pack(r, g, b);
}

inline std::int32_t wrap(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

// The vector kernels divide in single precision. A correctly rounded quotient of two integers
// below 2^24 truncates to the exact integer quotient: a non-integer quotient w/d lies at least 1/d
// below the next integer, while the rounding moves it by at most w/d × 2^-24 < 1/d.
constexpr std::int64_t FLOAT_EXACT = std::int64_t{1} << 24;
constexpr int LANES = 8;

using F8 = float __attribute__((vector_size(32)));
using I8 = std::int32_t __attribute__((vector_size(32)));
using D8 = double __attribute__((vector_size(64)));

// (Vectors pass by reference: the generic build has no ABI for 32-byte vectors by value.)
[[gnu::always_inline]] inline void clampAndScale(I8& s, const I8& m, const I8& over) {
    s = s < 0 ? I8{} : s;
    const I8 divisor = over ? m : I8{} + 256;  // lanes that keep their sums divide by something harmless
    const D8 scaled = __builtin_convertvector(s, D8) * 255.0 / __builtin_convertvector(divisor, D8);
    s = over ? __builtin_convertvector(scaled, I8) : s;
}

// Sums below 2^28 (16 balls × 2^24) cannot overflow; the scale-down divides in double precision,
// exact for the same reason as above with 53 bits.
[[gnu::always_inline]] inline void vectorRun(const VectorBall* vb, int ballCount, int dy, int firstDx, int step,
                                             int count, Pixel* out) {
    F8 lane;
    for (int l = 0; l < LANES; ++l) lane[l] = static_cast<float>(l * step);
    const F8 one = F8{} + 1.0f;
    for (int done = 0; done < count; done += LANES) {
        const F8 dx = lane + static_cast<float>(firstDx + done * step);
        I8 r{}, g{}, b{};
        for (int k = 0; k < ballCount; ++k) {
            const float ry = static_cast<float>(dy) - vb[k].y;
            const F8 rx = dx - vb[k].x;
            F8 d2 = rx * rx + ry * ry;
            d2 = d2 < one ? one : d2;  // on the centre the weight is added whole
            r += __builtin_convertvector(vb[k].red / d2, I8);
            g += __builtin_convertvector(vb[k].green / d2, I8);
            b += __builtin_convertvector(vb[k].blue / d2, I8);
        }
        I8 m = r > g ? r : g;
        m = m > b ? m : b;
        const I8 over = m > 255;
        clampAndScale(r, m, over);
        clampAndScale(g, m, over);
        clampAndScale(b, m, over);
        const I8 packed = r << 16 | g << 8 | b;
        std::memcpy(out + done, &packed, sizeof(Pixel) * std::min(LANES, count - done));
    }
}

void vectorBase(const VectorBall* vb, int n, int dy, int firstDx, int step, int count, Pixel* out) {
    vectorRun(vb, n, dy, firstDx, step, count, out);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void vectorAvx2(const VectorBall* vb, int n, int dy, int firstDx, int step, int count,
                                                Pixel* out) {
    vectorRun(vb, n, dy, firstDx, step, count, out);
}
#else
// Only x86-64 has the wider build; usable() never offers it elsewhere.
void vectorAvx2(const VectorBall* vb, int n, int dy, int firstDx, int step, int count, Pixel* out) {
    vectorRun(vb, n, dy, firstDx, step, count, out);
}
#endif

bool floatExact(const Ball* balls, int count, int w, int h) {
    // The last vector may run up to LANES × 2 columns past the frame.
    const std::int64_t margin = 2 * LANES;
    for (int k = 0; k < count; ++k) {
        const Ball& b = balls[k];
        for (std::int32_t weight : {b.redWeight, b.greenWeight, b.blueWeight})
            if (std::llabs(weight) >= FLOAT_EXACT) return false;
        const std::int64_t spanX =
            std::max(std::llabs(-(w >> 1) - margin - std::int64_t{b.x}), std::llabs(w + margin - std::int64_t{b.x}));
        const std::int64_t spanY =
            std::max(std::llabs(-(h >> 1) - std::int64_t{b.y}), std::llabs(h - std::int64_t{b.y}));
        if (spanX >= FLOAT_EXACT || spanY >= FLOAT_EXACT) return false;
        if (spanX * spanX + spanY * spanY >= FLOAT_EXACT) return false;
    }
    return true;
}

}  // namespace

void computeWeights(Ball* balls, int count) {
    for (int k = 0; k < count; ++k) {
        Ball& b = balls[k];
        const std::int64_t square = std::int64_t{b.radius} * b.radius;
        b.redWeight = wrap(square * b.red);
        b.greenWeight = wrap(square * b.green);
        b.blueWeight = wrap(square * b.blue);
    }
}

Pixel at(const Ball* balls, int count, int dx, int dy) {
    std::uint32_t r = 0, g = 0, b = 0;  // 32-bit sums, wrapping rather than overflowing
    for (int k = 0; k < count; ++k) {
        const Ball& ball = balls[k];
        const std::int64_t rx = std::int64_t{dx} - ball.x;
        const std::int64_t ry = std::int64_t{dy} - ball.y;
        if (rx == 0 && ry == 0) {
            r += static_cast<std::uint32_t>(ball.redWeight);
            g += static_cast<std::uint32_t>(ball.greenWeight);
            b += static_cast<std::uint32_t>(ball.blueWeight);
            continue;
        }
        // So far away that every weight divides to 0 (and the square would not fit).
        if (std::llabs(rx) > INT32_MAX || std::llabs(ry) > INT32_MAX) continue;
        const std::int64_t d2 = rx * rx + ry * ry;
        r += static_cast<std::uint32_t>(ball.redWeight / d2);
        g += static_cast<std::uint32_t>(ball.greenWeight / d2);
        b += static_cast<std::uint32_t>(ball.blueWeight / d2);
    }
    return finish(static_cast<std::int32_t>(r), static_cast<std::int32_t>(g), static_cast<std::int32_t>(b));
}

bool available(Kernel kernel) {
    return kernel != Kernel::VectorAvx2 || instructionSets::usable(instructionSets::Level::Avx2);
}

Kernel fastest() { return available(Kernel::VectorAvx2) ? Kernel::VectorAvx2 : Kernel::Vector; }

RowEvaluator::RowEvaluator(const Ball* b, int count, int w, int h, Kernel k) : balls(b), ballCount(count), kernel(k) {
    if (kernel != Kernel::Plain && !floatExact(balls, count, w, h)) kernel = Kernel::Plain;
    for (int i = 0; i < count && kernel != Kernel::Plain; ++i)
        vectorBalls[i] = {static_cast<float>(balls[i].x), static_cast<float>(balls[i].y),
                          static_cast<float>(balls[i].redWeight), static_cast<float>(balls[i].greenWeight),
                          static_cast<float>(balls[i].blueWeight)};
}

void RowEvaluator::run(int dy, int firstDx, int step, int count, Pixel* out) const {
    switch (kernel) {
        case Kernel::Plain:
            for (int i = 0; i < count; ++i) out[i] = at(balls, ballCount, firstDx + i * step, dy);
            break;
        case Kernel::Vector: vectorBase(vectorBalls, ballCount, dy, firstDx, step, count, out); break;
        case Kernel::VectorAvx2: vectorAvx2(vectorBalls, ballCount, dy, firstDx, step, count, out); break;
    }
}

}  // namespace Zorvek::metaballField
