#include "process/show_random.h"

#include <cstdint>

namespace Zorvek {

namespace {
// The generator's 31 words of state, and the two places in them that each draw adds together,
// three words apart.
constexpr int DEGREE = 31;
constexpr int SEPARATION = 3;
std::int32_t state[DEGREE];
int front = SEPARATION, rear = 0;

std::uint32_t step() {
    const std::uint32_t sum = static_cast<std::uint32_t>(state[front]) + static_cast<std::uint32_t>(state[rear]);
    state[front] = static_cast<std::int32_t>(sum);
    front = (front + 1) % DEGREE;
    rear = (rear + 1) % DEGREE;
    return sum;
}

// The state before any seed, as the C library's: seeded with 1.
[[maybe_unused]] const bool seededAtStart = (seedShowRand(1), true);
}  // namespace

void seedShowRand(unsigned seed) {
    // The words follow from the seed by the minimal standard generator (16807 x mod 2^31 - 1),
    // computed without overflow as Schrage's method does; then the first 310 draws are dropped.
    std::int32_t word = static_cast<std::int32_t>(seed == 0 ? 1 : seed);
    state[0] = word;
    for (int i = 1; i < DEGREE; ++i) {
        const std::int64_t high = word / 127773, low = word % 127773;
        std::int64_t next = 16807 * low - 2836 * high;
        if (next < 0) next += 2147483647;
        word = static_cast<std::int32_t>(next);
        state[i] = word;
    }
    front = SEPARATION;
    rear = 0;
    for (int i = 0; i < 10 * DEGREE; ++i) step();
}

int showRand() { return static_cast<int>(step() >> 1); }

}  // namespace Zorvek
