// The first three chapters: tension from noise, the groove arriving, then the theme over it.

#include "score.h"
#include "score_themes.h"
#include "score_tools.h"

namespace composer {

void opening(Segment& s) {
    Writer w(s);
    // a drone on A with noise rising behind it, a heartbeat, and a bell far away
    w.hit(0, KICK, Impact);
    w.note(0, BASS, SubBass, 33);
    w.note(0, PAD_R, Pad, 64);
    w.note(0, PAD_L, Pad, 60);
    for (int bar = 0; bar < 4; ++bar) {  // the drone swells bar by bar
        w.effect(bar * BAR, BASS, SET_VOLUME, 20 + 10 * bar);
        w.effect(bar * BAR, PAD_R, SET_VOLUME, 14 + 6 * bar);
        w.effect(bar * BAR, PAD_L, SET_VOLUME, 14 + 6 * bar);
    }
    w.riser(0, 64, ECHO, NoiseSweep, 48, 4, 22);
    for (int bar = 1; bar < 4; ++bar) {
        w.hit(bar * BAR, KICK, Kick, 24 + 8 * bar);
        w.hit(bar * BAR + 3, KICK, Kick, 16 + 6 * bar);
    }
    w.melody(BAR, LEAD, Bell, "e5:6 d5:2 c5:4 b4:4  a4:16  c5:6 b4:2 a4:4 g#4:4");

    // the warning: a hit, a choir, and a pulse that does not let go
    w.hit(64, KICK, Impact);
    w.hit(64, HATS, Crash);
    w.padChords(64, 2, chords("Am"), 2, Choir, 57);
    w.padChords(96, 1, chords("F"), 1, Choir, 57);
    w.padChords(112, 1, chords("E"), 1, Choir, 56);
    w.bassLine(64, 3, BASS, Bass, chords("Am Am F"), 1, "R.r.R.r.R.r.R.r.");
    w.bassLine(112, 1, BASS, Bass, chords("E"), 1, "R.R.R.R.", 28);
    w.drums(72, 36, HATS, HatClosed, "o.x.");  // stops before the reverse crash
    w.drums(80, 32, KICK, Kick, "x...");
    w.riser(64, 56, ECHO, NoiseSweep, 55, 14, 34);
    w.melody(64, LEAD, Lead, "-:8 e5:8~ c5:16~ f5:16~ e5:16~");

    // the last bar cuts with the pictures: snares at rows 110, 114, 116 and 118
    w.drums(96, 14, SNARE, Snare, "o.o.o.o.x.o.xo");
    w.hit(110, SNARE, Snare, 64);
    w.hit(112, SNARE, Tom);
    w.hit(114, SNARE, Snare, 64);
    w.hit(116, SNARE, Snare, 64);
    w.hit(118, SNARE, Snare, 64);
    w.hit(108, HATS, ReverseCrash);
    w.drums(112, 8, KICK, Kick, "x.x.xxxx");
}

void groove(Segment& s) {
    Writer w(s);
    const auto p = chords("Am F C G");
    const int bars = 14;  // then a bar of fill on E
    w.hit(0, HATS, Crash);
    w.beat(0, bars * BAR, {"x...x...x...x...", "....x.......x...", "", "", Clap});
    w.drums(BAR, 3 * BAR, HATS, HatClosed, "..x...x...x...x.");
    w.beat(4 * BAR, 10 * BAR, {"", "", "o...o...o...o...", "..x...x...x...x."});
    w.drums(8 * BAR, 6 * BAR, SNARE, Snare, "......o.......o.");
    w.bassLine(0, bars, BASS, Bass, p, 1, "R.O.R.O.R.O.R.Or");
    w.padChords(4 * BAR, 10, p, 1);
    // a first hint of the theme, then the pluck takes up the chords
    w.melody(4 * BAR, LEAD, Pluck, "a4:3 c5:3 e5:4 -:6  -:16  e5:3 d5:3 c5:4 -:6  -:16");
    w.arpeggio(8 * BAR, 6, LEAD, Pluck, p, 1, "0.1.2.0.1.2.3.2.", 57);
    w.echo(LEAD, ECHO, 4 * BAR, 14 * BAR - 1, 3, 18);
    w.hit(4 * BAR, HATS, Crash);
    w.hit(8 * BAR, HATS, Crash);
    for (int bar : {3, 7, 11}) w.turnaround(bar * BAR);

    // fill on E into the theme
    const int f = bars * BAR;
    w.fill(f, "E", {"x...x...x.x.x...", "..o.x.o.xoxoxxxx", ""});
    w.hit(f + 4, HATS, ReverseCrash);
    w.silence(f, LEAD);
}

void theme(Segment& s) {
    Writer w(s);
    const auto p = chords(THEME_CHORDS);
    for (int half = 0; half < 2; ++half) {
        const int r = half * 8 * BAR;
        w.hit(r, HATS, Crash);
        w.beat(r, 8 * BAR, {"x...x...x...x...", "....x.......x...", "", "", Clap});
        w.drums(r, 8 * BAR, SNARE, Snare, ".......o......o.");
        w.bassLine(r, 8, BASS, Bass, p, 1, "R.O.R.O.R.O.R.Or");
        w.padChords(r, 8, p, 1);
        w.melody(r, LEAD, Lead, std::string(THEME_A) + " " + THEME_B);
    }
    w.drums(BAR, 7 * BAR, HATS, HatClosed, "xoooxoooxoooxooo");
    w.beat(9 * BAR, 7 * BAR, {"", "", "o...o...o...o...", "..x...x...x...x."});
    // first time the lead echoes to the right; second time a chip arpeggio answers it there
    w.echo(LEAD, ECHO, 0, 8 * BAR - 4, 3, 20);
    w.chipChords(8 * BAR, 8, ECHO, p, 1, 69);
    w.turnaround(7 * BAR);
    w.turnaround(11 * BAR);
    // the last bar breaks for the credits
    w.drums(15 * BAR + 8, 8, SNARE, Snare, "xoxxxxxx");
}

}  // namespace composer
