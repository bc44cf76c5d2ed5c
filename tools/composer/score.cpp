#include "score.h"

#include "score_tools.h"

namespace composer {

namespace {

Segment segment(const char* name, double startMs, int bars, int extraRows = 0) {
    Segment s;
    s.name = name;
    s.startMs = startMs;
    s.rows.resize(static_cast<std::size_t>(bars * BAR + extraRows));
    return s;
}

// The mix's places: kick, bass and snare in the middle, the rest spread (0 left, 255 right), on
// the sixteen steps of the pan command every player reads (see arrange).
constexpr std::array<int, CHANNELS> PANNING = {0x80, 0x80, 0xBB, 0x80, 0x33, 0xCC, 0x22, 0xDD};
// The credits pull the spread apart for the ray caster, which colours its rays by the difference
// between the two sides: the acid, the chip and the pads hard left, the hats and the ride hard
// right; halfway through the sides swap.
constexpr std::array<int, CHANNELS> CREDITS_PANNING = {0x80, 0x80, 0xFF, 0x80, 0x11, 0x11, 0x11, 0xFF};
constexpr std::array<int, CHANNELS> MIRRORED_CREDITS_PANNING = {0x80, 0x80, 0x00, 0x80, 0xEE, 0xEE, 0xEE, 0x00};
// The finale spreads its two leads (left and right), the pads and the stabs wider still.
constexpr std::array<int, CHANNELS> FINALE_PANNING = {0x80, 0x80, 0xBB, 0x80, 0x11, 0xEE, 0x22, 0xEE};

}  // namespace

Song composeSong(const ShowTimes& times) {
    const double k6 = times.afterMovie();  // where the show's chapter keys F6 to F12 count from
    Song song;
    // the bass and the pads make room for every kick (the finale less so: it must be loudest)
    auto add = [&song](Segment s, void (*write)(Segment&), int bassDuck = 70, int padDuck = 80) {
        write(s);
        Writer w(s);
        w.sidechain(BASS, bassDuck);
        w.sidechain(PAD, padDuck);
        w.clearCarryOver();
        song.segments.push_back(std::move(s));
    };
    // Sections begin at the chapters; a few also begin where the pictures change on a downbeat.
    // F1: 7.5 bars, its warning hit on the cut to the warning screen and the last bar's snares on
    // the last cuts
    Segment first = segment("opening", 0, 7, 8);
    first.anchors = {{64, 7800}, {110, 13750}};
    add(std::move(first), opening);
    add(segment("groove", 15000, 15), groove, 85, 90);               // F2: 120
    add(segment("theme", 45000, 16), theme);                         // F3: 123
    Segment creditsOpening = segment("credits intro", 76200, 1, 2);  // F4: a bar and a pickup
    creditsOpening.panning = CREDITS_PANNING;
    add(std::move(creditsOpening), creditsIntro);
    add(segment("credits", 78400, 4), credits);                            // the scroll starts here
    Segment mirrored = segment("credits mirrored", 78400 + 15400 / 2, 4);  // halfway through the scroll
    mirrored.panning = MIRRORED_CREDITS_PANNING;
    add(std::move(mirrored), creditsMirrored);
    Segment movies = segment("movie", 93800, 8);  // F5: 32 movie beats
    movies.panning = PANNING;
    add(std::move(movies), movie);
    add(segment("spirals intro", k6, 1, 2), spiralsIntro);  // F6
    add(segment("spirals", k6 + 2150, 15), spirals);
    add(segment("intermission intro", k6 + 31400, 1, 2), intermissionIntro);  // F7
    add(segment("intermission", k6 + 33550, 15), intermission);
    add(segment("bumps", k6 + 62800, 16), bumps);       // F8
    add(segment("warps", k6 + 94000, 15), warps);       // F9
    add(segment("build-up", k6 + 123250, 9), buildUp);  // F10
    add(segment("stop", k6 + 140800, 0, 4), stop);
    // F12: its pictures cut on a grid of sixteenths of 121.875 ms from the chapter's start, its
    // bars begin 3.5 beats in, and the flashes come on the downbeat of its fifteenth bar
    Segment pickup = segment("finale pickup", k6 + 141244, 0, 14);
    pickup.panning = FINALE_PANNING;
    pickup.onGrid = true;
    add(std::move(pickup), finalePickup, 85, 90);
    Segment last = segment("finale", k6 + 141244 + 14 * 121.875, 14);
    last.onGrid = true;
    add(std::move(last), finale, 85, 90);
    Segment flashRun = segment("flashes", k6 + 170250, 1);  // 144 ms flash + 100 ms noise, eight times
    flashRun.onGrid = true;
    add(std::move(flashRun), flashes);
    Segment end = segment("outro", k6 + 172202, 5);  // under the end screen, past the rewind
    end.panning = PANNING;
    add(std::move(end), outro);
    song.endMs = k6 + 172202 + 9750.0;
    song.panning = PANNING;
    return song;
}

}  // namespace composer
