#include "effects/circle_spans.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "effects/pixels.h"

namespace Zorvek::circles {

namespace {

constexpr int ROWS = (MAX_SPAN_RADIUS + 1) * (MAX_SPAN_RADIUS + 1);  // sum of 2r + 1 over r

// Half-width of row dy of the circle of radius r at spans[first[r] + dy + r]; rows of radius r are
// dy = -r..r. A radius whose pixel set is not such a symmetric run of spans is marked unusable
// and keeps going through circlefill.
std::int16_t spans[ROWS];
int first[MAX_SPAN_RADIUS + 1];
bool usable[MAX_SPAN_RADIUS + 1];
bool prepared = false;

// Reads the circle of radius r drawn around (c, c) on `scratch` into its spans.
bool record(BITMAP* scratch, int c, int r) {
    const int size = scratch->w;
    for (int y = 0; y < size; ++y) {
        const pixels::Pixel* row = pixels::row(scratch, y);
        const int dy = y - c;
        int left = -1, right = -1, count = 0;
        for (int x = 0; x < size; ++x) {
            if (row[x] == 0) continue;
            if (left < 0) left = x;
            right = x;
            ++count;
        }
        if (dy < -r || dy > r) {
            if (count) return false;
            continue;
        }
        // Every row of the circle is one run centred on the column of the centre.
        if (count == 0 || count != right - left + 1 || c - left != right - c) return false;
        spans[first[r] + dy + r] = static_cast<std::int16_t>(c - left);
    }
    return true;
}

}  // namespace

void prepare() {
    if (prepared) return;
    const int c = MAX_SPAN_RADIUS + 1;
    BITMAP* scratch = create_bitmap_ex(32, 2 * c + 1, 2 * c + 1);
    int next = 0;
    for (int r = 0; r <= MAX_SPAN_RADIUS; ++r) {
        first[r] = next;
        next += 2 * r + 1;
        usable[r] = false;
        if (!scratch) continue;
        clear_to_color(scratch, 0);
        circlefill(scratch, c, c, r, 1);
        usable[r] = record(scratch, c, r);
    }
    if (scratch) destroy_bitmap(scratch);
    prepared = true;
}

bool drawnFromSpans(BITMAP* bitmap, int radius) {
    return prepared && radius >= 0 && radius <= MAX_SPAN_RADIUS && usable[radius] && bitmap_color_depth(bitmap) == 32 &&
           is_memory_bitmap(bitmap) && _drawing_mode == DRAW_MODE_SOLID;
}

void fill(BITMAP* bitmap, int x, int y, int radius, int colour) {
    if (!drawnFromSpans(bitmap, radius)) {
        circlefill(bitmap, x, y, radius, colour);
        return;
    }
    fillRows(bitmap, x, y, radius, colour, INT_MIN, INT_MAX);
}

void fillRows(BITMAP* bitmap, int x, int y, int radius, int colour, int firstRow, int endRow) {
    const auto [left, top, right, bottom] = pixels::clipOf(bitmap);
    const int y0 = std::max({y - radius, top, firstRow});
    const int y1 = std::min({y + radius, bottom - 1, endRow - 1});
    if (y0 > y1 || x - radius >= right || x + radius < left) return;
    const std::int16_t* half = spans + first[radius] + radius;  // row 0 is the centre row
    const auto c = static_cast<pixels::Pixel>(colour);
    for (int yy = y0; yy <= y1; ++yy) {
        const int h = half[yy - y];
        const int x0 = std::max(x - h, left);
        const int x1 = std::min(x + h, right - 1);
        if (x0 <= x1) std::fill(pixels::row(bitmap, yy) + x0, pixels::row(bitmap, yy) + x1 + 1, c);
    }
}

}  // namespace Zorvek::circles
