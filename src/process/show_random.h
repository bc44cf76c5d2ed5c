#pragma once
// The random draws of the show's patterns (noise, specks, the ray caster's sparks): one generator
// on every platform, so that a seed gives the same pictures everywhere. It is the additive
// feedback generator of the GNU C library's rand(), which the show was first drawn with, so the
// pictures on Linux are the ones they always were; other C libraries' rand() (musl's in the
// browser, Windows' own) are other generators altogether. Used from the main thread only.

namespace Zorvek {

// The largest value showRand() returns, as RAND_MAX in the GNU C library.
constexpr int SHOW_RAND_MAX = 2147483647;

// Starts the draws afresh from `seed`, as srand(seed) does.
void seedShowRand(unsigned seed);

// The next draw, 0 to SHOW_RAND_MAX, as rand() does.
int showRand();

}  // namespace Zorvek
