#pragma once
// Reverse cymbals struck so that they peak on their downbeats.

#include <vector>

#include "samples.h"
#include "song.h"
#include "timing.h"

namespace composer {

// Writes each segment's swells: the reverse cymbal `cymbal`, played at its trigger note, goes on
// the first row from which its peak would come at or after the downbeat, and starts far enough
// into the sample (a 9xx offset, 256 samples a step) that the peak comes at most one step before
// it. The channel must hold nothing from there to the downbeat.
void placeSwells(Song& song, const std::vector<SegmentTiming>& plan, const Sample& cymbal, SampleId id);

// Where a sample is loudest, in samples from its start.
int peakIndex(const Sample& s);

}  // namespace composer
