#pragma once
// A picture enlarged by a whole multiple, each of its pixels a square of the multiple's side:
// what a nearest-neighbour stretch gives at whole factors, without its per-pixel stepping.

#include <cstdint>

namespace Zorvek {

// Writes the `w` × `h` pixels at `from` (rows `fromPitch` bytes apart) enlarged `scale` times
// (1 or more) into `to` (rows `toPitch` bytes apart), which must hold `scale`·w × `scale`·h pixels.
// Pixels are copied as they are, all 32 bits of them.
void enlargeWhole(const std::uint32_t* from, int fromPitch, int w, int h, int scale, std::uint32_t* to, int toPitch);

}  // namespace Zorvek
