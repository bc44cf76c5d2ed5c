#pragma once
// The score as the composer builds it: segments of rows, each meant to start at a music time.

#include <array>
#include <string>
#include <vector>

namespace composer {

constexpr int CHANNELS = 8;
constexpr int PATTERN_ROWS = 64;

// ProTracker effect numbers used by name.
enum Effect : int {
    ARPEGGIO = 0x0,
    SLIDE_UP = 0x1,
    SLIDE_DOWN = 0x2,
    PORTAMENTO = 0x3,
    VIBRATO = 0x4,
    SET_PANNING = 0x8,
    SAMPLE_OFFSET = 0x9,
    VOLUME_SLIDE = 0xA,
    SET_VOLUME = 0xC,
    PATTERN_BREAK = 0xD,
    EXTENDED = 0xE,
    SET_SPEED = 0xF,
};
// Extended commands (EXTENDED, with the command in the parameter's high nibble).
constexpr int SET_PAN_STEP = 0x80;  // E8x: the pan x * 17
constexpr int RETRIGGER = 0x90;
constexpr int NOTE_DELAY = 0xD0;
constexpr int NO_EFFECT = -1;
constexpr int NO_NOTE = -1;
constexpr int KEEP_PAN = -1;

struct Cell {
    int note = NO_NOTE;  // tracker note 0..35 (C-1..B-3)
    int sample = 0;      // 0 keeps the channel's sample
    int effect = NO_EFFECT;
    int param = 0;

    bool operator==(const Cell&) const = default;
};

using Row = std::array<Cell, CHANNELS>;

// A reverse cymbal that must peak just before the start of `row` (which may be the segment's
// length: the next segment's first row). Where to strike it depends on how long the rows before
// it last, so it is placed once the timing is known.
struct Swell {
    int row;
    int channel;
};

// A note that must sound at a music time: the note in `row` waits (a note delay) for as many
// ticks as lie between its row's start and `atMs`. Placed once the timing is known.
struct Cue {
    int row;
    int channel;
    double atMs;
};

// A row that must begin at a music time: a cut of the pictures inside a section.
struct Anchor {
    int row;
    double atMs;
};

// A stretch of music between two sync points of the show.
struct Segment {
    std::string name;
    double startMs;  // when the show expects it to begin
    std::vector<Row> rows;
    std::vector<Swell> swells;
    std::vector<Cue> cues;
    // The rows keep an even grid from `startMs` to the next sync point, each beginning on the tick
    // nearest its place: for sections whose pictures cut on their rows.
    bool onGrid = false;
    // Rows pinned to times, in order; the rows between two of them (or the segment's ends) keep an
    // even grid, as with onGrid.
    std::vector<Anchor> anchors;
    // Pans (0 left .. 255 right) the channels take from this segment on; KEEP_PAN keeps theirs.
    std::array<int, CHANNELS> panning = {KEEP_PAN, KEEP_PAN, KEEP_PAN, KEEP_PAN,
                                         KEEP_PAN, KEEP_PAN, KEEP_PAN, KEEP_PAN};
};

struct Song {
    std::vector<Segment> segments;
    double endMs;  // when the last segment should end: the song stops there
    // Pan of each channel, 0 (left) to 255 (right), set once as the song starts. Players give
    // ProTracker's left and right channels only three quarters of one side unless told.
    std::array<int, CHANNELS> panning;
};

}  // namespace composer
