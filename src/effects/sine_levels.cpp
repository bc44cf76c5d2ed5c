#include "effects/sine_levels.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "effects/pixels.h"

namespace Zorvek::sines {

// The 32-byte vector types below never cross a call that is not inlined, so the ABI note about
// them does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

// Arguments beyond this go straight to std::sin (the rounding trick below needs |a / pi| < 2^51,
// and the reduction error grows with |a|).
constexpr double LARGEST = 1.0e6;
// A polynomial result this close to an integer boundary is settled by std::sin. The polynomial
// is good to 5e-14 and the reduction to about 1e-16 |a| (1e-10 at LARGEST), so even 128 times
// their sum stays well inside the margin.
constexpr double MARGIN = 1.0e-7;

constexpr double INV_PI = std::numbers::inv_pi;
constexpr double PI_HI = std::numbers::pi;           // pi rounded to a double
constexpr double PI_LO = 1.2246467991473532072e-16;  // pi - PI_HI
constexpr double ROUNDER = 6755399441055744.0;       // 1.5 * 2^52: adding it rounds to an integer

using Doubles = double __attribute__((vector_size(32)));
using Words = std::int64_t __attribute__((vector_size(32)));
constexpr int LANES = 4;

// sin(a): a = k pi + r with |r| <= pi / 2, sin a = (-1)^k sin r, sin r by its Taylor series to
// r^17 (error below 5e-14). Four values at a time without branches; arguments out of range give 0.
[[gnu::always_inline]] inline Doubles approximate4(Doubles a) {
    const Doubles shifted = a * INV_PI + ROUNDER;
    const Doubles k = shifted - ROUNDER;
    const Words odd = reinterpret_cast<Words>(shifted) << 63;
    const Doubles r = (a - k * PI_HI) - k * PI_LO;
    const Doubles r2 = r * r;
    Doubles p = r2 * (-1.0 / 355687428096000.0) + 1.0 / 1307674368000.0;
    p = p * r2 - 1.0 / 6227020800.0;
    p = p * r2 + 1.0 / 39916800.0;
    p = p * r2 - 1.0 / 362880.0;
    p = p * r2 + 1.0 / 5040.0;
    p = p * r2 - 1.0 / 120.0;
    p = p * r2 + 1.0 / 6.0;
    const Doubles sinR = r - r * r2 * p;
    const Words magnitude = reinterpret_cast<Words>(a) & INT64_MAX;
    const Words inRange = reinterpret_cast<Words>(Doubles{} + LARGEST) > magnitude;
    return reinterpret_cast<Doubles>((reinterpret_cast<Words>(sinR) ^ odd) & inRange);
}

using Ints = std::int32_t __attribute__((vector_size(16)));

// Four levels from four arguments; lanes whose value lies within MARGIN of an integer boundary
// (or whose argument is out of range) are marked in `doubtful`.
[[gnu::always_inline]] inline Ints levels4(Doubles a, Words& doubtful) {
    const Doubles t = approximate4(a) * 128 + 128;
    const Doubles nearest = (t + ROUNDER) - ROUNDER;
    const Doubles gap = nearest - t;
    const Words below = t < nearest;
    const Doubles whole = nearest - reinterpret_cast<Doubles>(below & reinterpret_cast<Words>(Doubles{} + 1.0));
    doubtful |= (gap < MARGIN) & (gap > -MARGIN);
    // whole + 1.5 * 2^52 holds the integer in its low 32 bits (two's complement for -1).
    return __builtin_convertvector(reinterpret_cast<Words>(whole + ROUNDER), Ints);
}

// Inlined into both builds of approximateLevels.
[[gnu::always_inline]] inline bool approximateLevelsIn(const double* args, int* result, int n) {
    Words doubtful{};
    int i = 0;
    for (; i + LANES <= n; i += LANES) {
        Doubles a;
        std::memcpy(&a, args + i, sizeof a);
        const Ints v = levels4(a, doubtful);
        std::memcpy(result + i, &v, sizeof v);
    }
    if (i < n) {
        Doubles a{};
        std::memcpy(&a, args + i, (n - i) * sizeof(double));
        const Ints v = levels4(a, doubtful);
        std::memcpy(result + i, &v, (n - i) * sizeof(int));
    }
    return (doubtful[0] | doubtful[1] | doubtful[2] | doubtful[3]) != 0;
}

bool approximateLevels(const double* args, int* result, int n) {
    bool doubtful = false;
    pixels::vectorised([=, &doubtful] { doubtful = approximateLevelsIn(args, result, n); });
    return doubtful;
}

}  // namespace

void levels(const double* args, int* result, int n) {
    if (!approximateLevels(args, result, n)) return;
    // Rare: settle the values next to a boundary, and any argument out of range, with std::sin.
    for (int i = 0; i < n; ++i) {
        const bool inRange = std::fabs(args[i]) < LARGEST;
        if (inRange) {
            Words unused{};
            Doubles a{args[i]};
            levels4(a, unused);
            if (!unused[0]) continue;
        }
        result[i] = std::isfinite(args[i]) ? static_cast<int>(128 * std::sin(args[i]) + 128) : 128;
    }
}

}  // namespace Zorvek::sines
