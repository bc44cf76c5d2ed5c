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

// Whether fill draws circles of this radius on this bitmap from the spans, rather than through
// circlefill; only then can rows be drawn apart.
bool drawnFromSpans(BITMAP* bitmap, int radius);
// The rows firstRow .. endRow − 1 of fill's circle, for a radius drawn from the spans.
void fillRows(BITMAP* bitmap, int x, int y, int radius, int colour, int firstRow, int endRow);

}  // namespace Zorvek::circles
