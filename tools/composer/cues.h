#pragma once
// Notes delayed to sound at their cue's time.

#include <vector>

#include "song.h"
#include "timing.h"

namespace composer {

// Gives every cued note its delay: an EDx of the ticks from its row's start to the tick nearest
// its time. The cell must hold a note and no other effect, and the delay must fall within the row.
void placeCues(Song& song, const std::vector<SegmentTiming>& plan);

}  // namespace composer
