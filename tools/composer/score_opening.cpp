// The first three chapters, in A minor: tension from noise, the groove arriving, then the theme
// over it.

#include "score.h"
#include "score_themes.h"
#include "score_tools.h"

namespace composer {

void opening(Segment& s) {
    Writer w(s);
    // a drone on A with noise rising behind it, a heartbeat, and a bell far away
    w.hit(0, KICK, Impact);
    w.note(0, BASS, SubBass, 33);
    w.swellVolume(0, 4, BASS, 14, 44);
    w.pads(0, 4, chords("Am Am F E"), 1, 55);
    w.swellVolume(0, 4, PAD, 12, 30);
    w.riser(0, 64, FX, NoiseSweep, 48, 4, 24);
    for (int bar = 1; bar < 4; ++bar) {
        w.hit(bar * BAR, KICK, Kick, 22 + 8 * bar);
        w.hit(bar * BAR + 3, KICK, Kick, 14 + 6 * bar);
    }
    w.melody(BAR, LEAD, Bell, "e5:6 d5:2 c5:4 b4:4  a4:16  c5:6 b4:2 a4:4 g#4:4");
    w.echo(LEAD, ECHO, BAR, 4 * BAR - 1, 3, 14);

    // the warning: a hit, a choir over the pads, and a pulse that does not let go
    w.hit(64, KICK, Impact);
    w.hit(64, HATS, Crash);
    w.pads(64, 4, chords("Am Am F E7"), 1, 55, ECHO, Choir);
    w.bassLine(64, 3, BASS, Bass, chords("Am Am F"), 1, "R.r.R.r.R.r.R.rP");
    w.bassLine(112, 1, BASS, Bass, chords("E"), 1, "R.R.O.O.", 28);
    w.drums(72, 36, HATS, HatClosed, "g.o.g.o.g.x.goxo");  // stops before the reverse crash
    w.drums(80, 32, KICK, Kick, "x...");
    w.riser(64, 56, FX, NoiseSweep, 55, 14, 36);
    w.melody(64, LEAD, Lead, "-:8 e5:8~ c5:16~ f5:16~ e5:8~ g#5:8");

    // the last bar cuts with the pictures: snares at rows 110, 114, 116 and 118
    w.drums(96, 14, SNARE, Snare, "g.g.o.o.x.o.xo");
    w.hit(110, SNARE, Snare, 64);
    w.hit(112, SNARE, Tom, 56, 3);
    w.hit(114, SNARE, Snare, 64);
    w.hit(116, SNARE, Snare, 64);
    w.hit(118, SNARE, Snare, 64);
    w.drums(112, 8, KICK, Kick, "x.x.xXXX");
    w.rest(2);           // the last quarter second holds its breath for the groove
    w.swell(120, HATS);  // into the groove's first beat
}

void groove(Segment& s) {
    Writer w(s);
    const auto p = chords("Am7 Fmaj7 Cadd9 G");
    const int bars = 14;  // then a bar of fill on E
    w.beat(0, bars * BAR, {"X...x...x...x...", "....X.......X...", "", "", Clap});
    w.drums(0, 4 * BAR, HATS, HatClosed, "x.o.x.o.x.o.x.oo");
    w.drums(0, 4 * BAR, HATS, HatOpen, "..x...x...x...x.");
    w.drums(4 * BAR, 4 * BAR, HATS, HatClosed, "o.x.o.x.o.x.o.xo");
    w.drums(8 * BAR, 6 * BAR, HATS, HatClosed, "oxXoxoXoxoXooxXx");
    for (int bar = 4; bar < bars; bar += 2) w.hit(bar * BAR + 14, HATS, HatOpen);
    w.drums(8 * BAR, 6 * BAR, SNARE, Snare, ".......g.g....g.");
    w.bassLine(0, bars, BASS, Bass, p, 1, "R..O..R.F.O.R.rP");
    // the groove lands on an impact and a crash, and the pads hold it from the first bar, their
    // sevenths and ninth on the right
    w.hit(0, SNARE, Impact);
    w.pads(0, 14, p, 1, 55, FX, Pad);
    // a lead runs over the chords from the first bar, echoed on the right, where a pluck plays a
    // first hint of the theme in the fifth to eighth bars
    w.arpeggio(0, 14, LEAD, Lead, p, 1, "0.1.2.0.1.2.3.2.", 57, 62);
    w.echo(LEAD, ECHO, 0, 4 * BAR - 4, 3, 40);
    w.echo(LEAD, ECHO, 8 * BAR, 14 * BAR - 1, 3, 40);
    w.melody(4 * BAR, ECHO, Pluck, "a4:3 c5:3 e5:4 -:6  -:16  e5:3 d5:3 c5:4 -:6  -:16");
    w.hit(0, FX, Crash);
    w.hit(8 * BAR, FX, Crash);
    w.fill(3 * BAR, Fill::Roll);
    w.fill(7 * BAR, Fill::Toms);
    w.fill(11 * BAR, Fill::Flams, 2);

    // a bar on E into the theme: the toms run down, the reverse crash draws in the downbeat
    const int f = bars * BAR;
    const auto e = chords("E7");
    w.beat(f, BAR, {"x...x...x.x.x...", "....X.g.........", ""});
    w.fill(f, Fill::Toms, 2);
    w.bassLine(f, 1, BASS, Bass, e, 1, "R.R.O.R.F.O.S.O.", 28);
    w.pads(f, 1, e, 1, 55, FX, Pad);
    w.silence(f, LEAD);
    w.rest(2);
    w.swell(bars * BAR + BAR, HATS);
}

void theme(Segment& s) {
    Writer w(s);
    const auto p = chords(THEME_CHORDS);
    for (int half = 0; half < 2; ++half) {
        const int r = half * 8 * BAR;
        w.beat(r, 8 * BAR, {"X...x...x...x...", "....X.......X...", "", "", Clap});
        w.drums(r, 8 * BAR, SNARE, Snare, ".......g.g....g.");
        w.bassLine(r, 8, BASS, Bass, p, 1, half ? "RrOrRrOrRrOrRrOP" : "R.O.R.O.R.O.R.OP");
        w.pads(r, 8, p, 1, 55, FX, Pad);
        w.hit(r, FX, Crash);  // over the first chord's colour
        w.hit(r, SNARE, Impact);
        w.melody(r, LEAD, Lead, std::string(THEME_A) + " " + THEME_B);
    }
    w.drums(BAR, 7 * BAR, HATS, HatClosed, "Xoxoxoxo");
    w.beat(8 * BAR, 8 * BAR, {"", "", "g.g.g.g.g.g.g.g.", "..x...x...x...x."});
    w.drums(12 * BAR, 4 * BAR, HATS, Ride, "x.o.");
    // first time the lead echoes to the right; second time a chip arpeggio answers it there
    w.echo(LEAD, ECHO, 0, 8 * BAR - 4, 3, 32);
    w.chipChords(8 * BAR, 8, ECHO, p, 1, 69);
    w.fill(3 * BAR, Fill::Roll);
    w.fill(7 * BAR, Fill::Toms, 2);
    w.fill(11 * BAR, Fill::Stutter);
    // the last bar breaks for the credits
    w.fill(15 * BAR, Fill::Flams, 2);
    w.rest(2);
}

}  // namespace composer
