#include "arrange.h"

#include <stdexcept>
#include <string>

namespace composer {

// Drum channels hold few effects, so the timing commands look there first.
constexpr int COMMAND_CHANNELS[CHANNELS] = {2, 0, 1, 3, 7, 6, 5, 4};

void placeCommand(Row& row, int effect, int param) {
    for (int ch : COMMAND_CHANNELS) {
        if (row[ch].effect == NO_EFFECT) {
            row[ch].effect = effect;
            row[ch].param = param;
            return;
        }
    }
    throw std::runtime_error("no free effect slot for a timing command");
}

Arrangement arrange(const Song& song, const std::vector<SegmentTiming>& plan) {
    if (plan.size() != song.segments.size()) throw std::invalid_argument("one tempo per segment");
    std::vector<std::vector<Row>> timed;
    for (const Segment& s : song.segments) timed.push_back(s.rows);
    // the panning goes on each channel's first free row from row ch + 1 on: one pan a row, so
    // the timing commands still find free slots, and none on the first row, which the tempo needs
    for (int ch = 0; ch < CHANNELS; ++ch) {
        Cell* free = nullptr;
        for (std::size_t i = 0; i < timed.size() && !free; ++i)
            for (std::size_t r = (i == 0 ? ch + 1 : 0); r < timed[i].size() && !free; ++r)
                if (timed[i][r][ch].effect == NO_EFFECT) free = &timed[i][r][ch];
        if (!free) throw std::runtime_error("no free row for the panning");
        free->effect = SET_PANNING;
        free->param = song.panning[ch];
    }
    int speed = 6;  // what every player starts with
    for (std::size_t i = 0; i < timed.size(); ++i) {
        std::vector<Row>& rows = timed[i];
        auto command = [&](std::size_t row, int effect, int param) {
            try {
                placeCommand(rows.at(row), effect, param);
            } catch (const std::runtime_error& e) {
                throw std::runtime_error(song.segments[i].name + ", row " + std::to_string(row) + ": " + e.what());
            }
        };
        if (i == 0) command(0, SET_SPEED, TEMPO);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (plan[i].speeds[r] != speed) command(r, SET_SPEED, plan[i].speeds[r]);
            speed = plan[i].speeds[r];
        }
        if (rows.size() % PATTERN_ROWS) command(rows.size() - 1, PATTERN_BREAK, 0);
    }
    Arrangement a;
    for (const auto& rows : timed) {
        for (std::size_t first = 0; first < rows.size(); first += PATTERN_ROWS) {
            const std::size_t count = std::min<std::size_t>(PATTERN_ROWS, rows.size() - first);
            Pattern p{};
            for (std::size_t r = 0; r < count; ++r) p[r] = rows[first + r];
            std::size_t index = 0;
            while (index < a.patterns.size() && a.patterns[index] != p) ++index;
            if (index == a.patterns.size()) a.patterns.push_back(p);
            a.order.push_back(static_cast<int>(index));
        }
    }
    if (a.order.size() > 128) throw std::length_error("more than 128 positions");
    if (a.patterns.size() > 64) throw std::length_error("more than 64 patterns");
    return a;
}

}  // namespace composer
