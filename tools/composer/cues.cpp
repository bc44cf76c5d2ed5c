#include "cues.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace composer {

void placeCues(Song& song, const std::vector<SegmentTiming>& plan) {
    if (plan.size() != song.segments.size()) throw std::invalid_argument("one timing per segment");
    for (std::size_t i = 0; i < song.segments.size(); ++i) {
        Segment& s = song.segments[i];
        for (const Cue& cue : s.cues) {
            const auto fault = [&](const std::string& what) {
                throw std::runtime_error(s.name + ", cue at row " + std::to_string(cue.row) + ": " + what);
            };
            if (cue.row < 0 || cue.row >= static_cast<int>(s.rows.size()) || cue.channel < 0 || cue.channel >= CHANNELS)
                fault("no such cell");
            double rowMs = plan[i].startMs;
            for (int r = 0; r < cue.row; ++r) rowMs += plan[i].speeds[r] * TICK_MS;
            const long delay = std::lround((cue.atMs - rowMs) / TICK_MS);
            if (delay < 0 || delay >= plan[i].speeds[cue.row] || delay > 0xF) fault("the time lies outside its row");
            Cell& c = s.rows[cue.row][cue.channel];
            if (c.note == NO_NOTE) fault("no note to delay");
            if (c.effect != NO_EFFECT) fault("the note's effect slot is taken");
            if (delay > 0) {
                c.effect = EXTENDED;
                c.param = NOTE_DELAY | static_cast<int>(delay);
            }
        }
    }
}

}  // namespace composer
