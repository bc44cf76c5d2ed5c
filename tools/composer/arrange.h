#pragma once
// Cuts the timed song into 64-row patterns and an order list.

#include <array>
#include <vector>

#include "song.h"
#include "timing.h"

namespace composer {

using Pattern = std::array<Row, PATTERN_ROWS>;

struct Arrangement {
    std::vector<Pattern> patterns;  // each distinct pattern once
    std::vector<int> order;         // pattern played at each position
};

// Writes the timing into free effect slots (the tempo on the first row, a speed wherever a row's
// length changes), then cuts every segment into patterns of at most
// 64 rows, ending a short one with a pattern break so that every segment begins a new position.
// The last position is followed by nothing: the song ends there.
Arrangement arrange(const Song& song, const std::vector<SegmentTiming>& plan);

// Puts an effect in the first free effect slot of the row; throws if the row has none left.
void placeCommand(Row& row, int effect, int param);

}  // namespace composer
