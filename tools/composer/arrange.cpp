#include "arrange.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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

    // The timing commands each row will need: the tempo and a speed on the song's first row, a
    // speed wherever a row's length changes, a pattern break closing a short segment. Pans go
    // only where these still find their slots.
    std::vector<std::vector<int>> needed;
    int previous = 6;  // what every player starts with
    for (std::size_t i = 0; i < timed.size(); ++i) {
        needed.emplace_back(timed[i].size(), 0);
        for (std::size_t r = 0; r < timed[i].size(); ++r) {
            needed[i][r] += plan[i].speeds[r] != previous;
            previous = plan[i].speeds[r];
        }
        if (timed[i].size() % PATTERN_ROWS) ++needed[i].back();
    }
    needed[0][0] += 1;
    const auto room = [&](std::size_t i, std::size_t r, int ch) {
        const Row& row = timed[i][r];
        const auto free = std::count_if(row.begin(), row.end(), [](const Cell& c) { return c.effect == NO_EFFECT; });
        return row[ch].effect == NO_EFFECT && free > needed[i][r];
    };
    // A pan is an E8x, which every player reads, to the nearest of its sixteen steps; where that
    // is not the pan itself (the middle, 0x80, lies between two steps), an 8xx follows on the
    // channel's next row with room, for the players that read that finer command too.
    const auto place = [&](std::size_t i, std::size_t r, int ch, int pan) {
        if (!room(i, r, ch)) return false;
        const int step = static_cast<int>(std::lround(pan / 17.0));
        timed[i][r][ch].effect = EXTENDED;
        timed[i][r][ch].param = SET_PAN_STEP | step;
        if (step * 17 == pan) return true;
        for (std::size_t j = i, q = r + 1; j < timed.size(); ++j, q = 0)
            for (; q < timed[j].size(); ++q)
                if (room(j, q, ch)) {
                    timed[j][q][ch].effect = SET_PANNING;
                    timed[j][q][ch].param = pan;
                    return true;
                }
        throw std::runtime_error("no free row for a fine pan");
    };
    // the song's pans, each on its channel's first row that has room; the channels that play
    // first choose first
    std::vector<int> channels(CHANNELS);
    std::vector<std::size_t> firstNote(CHANNELS, SIZE_MAX);
    for (int ch = 0; ch < CHANNELS; ++ch) {
        channels[ch] = ch;
        std::size_t index = 0;
        for (const auto& rows : timed)
            for (const Row& row : rows) {
                if (row[ch].note != NO_NOTE) firstNote[ch] = std::min(firstNote[ch], index);
                ++index;
            }
    }
    std::stable_sort(channels.begin(), channels.end(), [&](int a, int b) { return firstNote[a] < firstNote[b]; });
    for (int ch : channels) {
        bool placed = false;
        for (std::size_t i = 0; i < timed.size() && !placed; ++i)
            for (std::size_t r = 0; r < timed[i].size() && !placed; ++r) placed = place(i, r, ch, song.panning[ch]);
        if (!placed) throw std::runtime_error("no free row for the panning");
    }
    // a section's own pans (where they move a channel) go on its first row; failing that, on one
    // of the last rows before it, so that its first note already sounds in its new place;
    // failing that, later
    std::array<int, CHANNELS> current = song.panning;
    for (std::size_t i = 0; i < timed.size(); ++i) {
        for (int ch = 0; ch < CHANNELS; ++ch) {
            const int pan = song.segments[i].panning[ch];
            if (pan == KEEP_PAN || pan == current[ch]) continue;
            current[ch] = pan;
            bool placed = place(i, 0, ch, pan);
            for (std::size_t back = 1; !placed && i > 0 && back <= 4 && back <= timed[i - 1].size(); ++back)
                placed = place(i - 1, timed[i - 1].size() - back, ch, pan);
            for (std::size_t r = 1; !placed && r < timed[i].size(); ++r) placed = place(i, r, ch, pan);
            if (!placed)
                throw std::runtime_error(song.segments[i].name + ": no free row for the pan of channel " +
                                         std::to_string(ch));
        }
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
