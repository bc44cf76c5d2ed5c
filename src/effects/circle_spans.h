#pragma once
// Filled circles with exactly the library's circlefill pixel set, drawn as precomputed row spans.
// The spans are taken once from circlefill itself, so both agree pixel for pixel by construction.

struct BITMAP;

namespace Zorvek::circles {

constexpr int MAX_SPAN_RADIUS = 127;  // larger circles go to circlefill itself

// Records the rows of every circle up to MAX_SPAN_RADIUS. Call once before drawing; calls after the
// first do nothing. Allocates a scratch bitmap while it runs, so it belongs to set-up, not to a pass.
void prepare();

// circlefill(bitmap, x, y, radius, colour), clipped to the bitmap's clipping rectangle.
void fill(BITMAP* bitmap, int x, int y, int radius, int colour);

}  // namespace Zorvek::circles
