#pragma once
// trunc(128 * sin(a) + 128) for a row of arguments, exactly as std::sin would give it, without a
// library call per value: a polynomial whose error is far below the distance to the next integer,
// and std::sin itself for the rare values that land next to one.

namespace Zorvek::sines {

constexpr int MAX_ROW = 1024;  // longest row handled in one call

// levels[i] = (int)(128 * std::sin(args[i]) + 128) for i < n, n <= MAX_ROW.
void levels(const double* args, int* levels, int n);

}  // namespace Zorvek::sines
