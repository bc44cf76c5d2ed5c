#pragma once
// When each row plays, so that every segment starts where the show expects it.
//
// Players count whole samples per tick at their mixing rate, and libopenmpt truncates, so a
// tempo whose tick is not a whole number of samples drifts by a different amount at 44100 Hz
// than at 48000 Hz. The module therefore runs at tempo 250 throughout: a tick is then exactly
// 10 ms, 441 samples at 44100 Hz and 480 at 48000 Hz, and every player agrees on every row.
// Rows last 12 or 13 ticks (120 or 130 ms, about 123 beats a minute at four rows a beat); the
// longer rows fall on the weak sixteenths, spread evenly through each segment, so that it lasts,
// to the nearest tick, the time from its start to the next sync point. Its start is measured, not assumed, so rounding
// never accumulates.

#include <vector>

#include "song.h"

namespace composer {

constexpr int TEMPO = 250;
constexpr double TICK_MS = 2500.0 / TEMPO;

struct SegmentTiming {
    std::vector<int> speeds;  // ticks of each row
    double startMs;
    double endMs;
};

// Spreads the ticks nearest to (targetMs - startMs) over `rows` rows; throws if a row would need
// a speed outside 1..31.
SegmentTiming solveSegment(int rows, double startMs, double targetMs);

// Rows on the even grid from `gridStartMs` to `targetMs`: row k (k > 0) begins on the tick nearest
// gridStartMs + k * (targetMs - gridStartMs) / rows, the first at `startMs` (where the song
// stands, at most half a tick from the grid's start). Throws as solveSegment does.
SegmentTiming solveGrid(int rows, double startMs, double gridStartMs, double targetMs);

// Solves every segment of the song in order, each ending where the next should begin.
std::vector<SegmentTiming> planTiming(const Song& song);

}  // namespace composer
