#include "score.h"

#include "score_tools.h"

namespace composer {

namespace {

Segment segment(const char* name, double startMs, int bars, int extraRows = 0) {
    return Segment{name, startMs, std::vector<Row>(static_cast<std::size_t>(bars * BAR + extraRows))};
}

}  // namespace

Song composeSong(const ShowTimes& times) {
    const double k6 = times.afterMovie();  // where the show's chapter keys F6 to F12 count from
    Song song;
    auto add = [&song](Segment s, void (*write)(Segment&)) {
        write(s);
        Writer(s).clearCarryOver();
        song.segments.push_back(std::move(s));
    };
    // Sections begin at the chapters; a few also begin where the pictures change on a downbeat.
    add(segment("opening", 0, 7, 8), opening);                     // F1: 7.5 bars at 120 a minute
    add(segment("groove", 15000, 15), groove);                     // F2: 120
    add(segment("theme", 45000, 16), theme);                       // F3: 123
    add(segment("credits intro", 76200, 1, 2), creditsIntro);      // F4: a bar and a pickup
    add(segment("credits", 78400, 8), credits);                    // the scroll starts here
    add(segment("movie", 93800, 8), movie);                        // F5: 32 movie beats
    add(segment("spirals intro", k6, 1, 2), spiralsIntro);          // F6
    add(segment("spirals", k6 + 2150, 15), spirals);
    add(segment("intermission intro", k6 + 31400, 1, 2), intermissionIntro);  // F7
    add(segment("intermission", k6 + 33550, 15), intermission);
    add(segment("bumps", k6 + 62800, 16), bumps);                  // F8
    add(segment("warps", k6 + 94000, 15), warps);                  // F9
    add(segment("build-up", k6 + 123250, 9), buildUp);             // F10
    add(segment("stop", k6 + 140800, 0, 4), stop);
    add(segment("finale", k6 + 141244, 15), finale);               // F12
    add(segment("flashes", k6 + 170250, 1), flashes);              // 144 ms flash + 100 ms noise, eight times
    add(segment("outro", k6 + 172202, 5), outro);                  // under the end screen, past the rewind
    song.endMs = k6 + 172202 + 9750.0;
    // ProTracker's sides, left right right left, with an eighth of each side bleeding across
    song.panning = {0x20, 0xE0, 0xE0, 0x20, 0x20, 0xE0, 0xE0, 0x20};
    return song;
}

}  // namespace composer
