#include "swells.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace composer {

int peakIndex(const Sample& s) {
    int best = 0;
    for (int i = 1; i < static_cast<int>(s.data.size()); ++i)
        if (std::abs(s.data[i]) > std::abs(s.data[best])) best = i;
    return best;
}

void placeSwells(Song& song, const std::vector<SegmentTiming>& plan, const Sample& cymbal, SampleId id) {
    if (plan.size() != song.segments.size()) throw std::invalid_argument("one timing per segment");
    // every row of the song with its start, then the song's end
    struct Place {
        std::size_t segment;
        int row;
        double startMs;
    };
    std::vector<Place> places;
    std::vector<std::size_t> first;  // index in places of each segment's first row
    for (std::size_t i = 0; i < song.segments.size(); ++i) {
        first.push_back(places.size());
        double t = plan[i].startMs;
        for (std::size_t r = 0; r < plan[i].speeds.size(); ++r) {
            places.push_back({i, static_cast<int>(r), t});
            t += plan[i].speeds[r] * TICK_MS;
        }
    }
    places.push_back({song.segments.size(), 0, plan.back().endMs});

    const double rate = noteRate(voice(id).trigger);
    const double leadMs = peakIndex(cymbal) * 1000.0 / rate;
    for (std::size_t i = 0; i < song.segments.size(); ++i) {
        for (const Swell& w : song.segments[i].swells) {
            const auto fault = [&](const std::string& what) {
                throw std::runtime_error(song.segments[i].name + ", swell into row " + std::to_string(w.row) + ": " +
                                         what);
            };
            if (w.row < 0 || w.row > static_cast<int>(song.segments[i].rows.size())) fault("no such row");
            const std::size_t target = first[i] + w.row;
            const double downbeat = places[target].startMs;
            std::size_t strike = target;
            while (strike > 0 && places[strike - 1].startMs >= downbeat - leadMs) --strike;
            if (places[strike].startMs < downbeat - leadMs) fault("the song begins too late for the cymbal");
            if (strike == target) fault("the cymbal is shorter than a row");
            const double skipSamples = (places[strike].startMs + leadMs - downbeat) * rate / 1000.0;
            const int offset = static_cast<int>(std::ceil(skipSamples / 256.0 - 1e-9));
            if (offset > 0xFF || 256 * offset >= static_cast<int>(cymbal.data.size())) fault("offset past the sample");
            for (std::size_t p = strike; p < target; ++p) {
                const Cell& c = song.segments[places[p].segment].rows[places[p].row][w.channel];
                if (!(c == Cell{}))
                    fault("channel " + std::to_string(w.channel) + " busy in " + song.segments[places[p].segment].name +
                          ", row " + std::to_string(places[p].row));
            }
            song.segments[places[strike].segment].rows[places[strike].row][w.channel] =
                Cell{voice(id).trigger, id, offset ? SAMPLE_OFFSET : NO_EFFECT, offset};
        }
    }
}

}  // namespace composer
