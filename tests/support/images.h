#pragma once
// Whole-picture comparisons for tests of the effects that draw frames.

#include <allegro.h>

#include <cstring>

namespace Zorvek::testing {

// Two 32-bit bitmaps of one size hold the same pixels.
inline bool sameImage(BITMAP* a, BITMAP* b) {
    if (a->w != b->w || a->h != b->h) return false;
    for (int y = 0; y < a->h; ++y)
        if (std::memcmp(a->line[y], b->line[y], static_cast<std::size_t>(a->w) * 4) != 0) return false;
    return true;
}

}  // namespace Zorvek::testing
