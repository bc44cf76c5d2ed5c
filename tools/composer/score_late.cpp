// From the bump maps to the end: a darker groove, the long warps, the build-up, the finale, the
// flashes and the outro.

#include "score.h"
#include "score_themes.h"
#include "score_tools.h"

namespace composer {

void bumps(Segment& s) {
    Writer w(s);
    const auto p = chords("Dm Bb C Am");
    const int bars = 15;
    w.hit(0, HATS, Crash);
    w.hit(0, KICK, Impact);
    w.beat(BAR, (bars - 1) * BAR, {"x..x......x.....x.........xx....", "", "xoxoxoxoxoxoxoxo"});
    w.drums(0, bars * BAR, SNARE, Snare, "....x..o.o..x.......x..o.o..x.oo");
    w.bassLine(0, bars, BASS, Acid, p, 1, "R.RO..R.F.R.O.RF", 45);
    w.padChords(0, bars, p, 1, Choir, 57);
    w.arpeggio(4 * BAR, bars - 4, LEAD, Bell, p, 1, "0.1.2.0.1.2.0.1.", 69, 24);
    w.melody(8 * BAR, ECHO, Lead, "d5:4 f5:4 a5:6 g5:2  f5:4 d5:4 bb4:8~  c5:4 e5:4 g5:6 f5:2  e5:8~ a4:8~  "
                                  "d5:4 f5:4 a5:6 g5:2  f5:4 d5:4 bb4:8~  c5:4 e5:4 g5:4 a5:4");
    for (int bar : {7, 11}) w.turnaround(bar * BAR);
    const int f = bars * BAR;
    w.beat(f, BAR, {"x.x.x.x.x.x.x.x.", "..o.x.o.xoxoxxxx", ""});
    w.bassLine(f, 1, BASS, Acid, chords("E"), 1, "R.RO..R.ORO.RORO", 45);
    w.padChords(f, 1, chords("E"), 1, Choir, 56);
    w.silence(f, ECHO);
}

void warps(Segment& s) {
    // layers come in every four bars over a sequence that never changes its shape
    Writer w(s);
    const auto p = chords("Am Fmaj7 Am G");
    const int bars = 15;
    w.drums(0, bars * BAR, KICK, Kick, "x...x...x...x...");
    w.bassLine(0, bars, BASS, SubBass, p, 2, "..r...r...r...r.");
    w.arpeggio(0, bars, ECHO, Chip, p, 2, "0.2.1.3.2.0.3.1.", 64, 28);
    w.padChords(0, bars, p, 2);
    w.drums(4 * BAR, (bars - 4) * BAR, HATS, HatOpen, "..x...x...x...x.");
    w.beat(8 * BAR, (bars - 8) * BAR, {"", "....x.......x...", "o...o...o...o...", "", Clap});
    w.drums(12 * BAR, 2 * BAR, SNARE, Ride, "x.x...x.x.x...x.");
    w.melody(8 * BAR, LEAD, Lead, "e5:24~ a5:8  e5:16~ c5:16~  a4:24~ c5:8  b4:16~");
    w.hit(8 * BAR, HATS, Crash);
}

void buildUp(Segment& s) {
    Writer w(s);
    const auto p = chords("F G Am E");
    // the snare doubles every two bars and grows louder every bar; the last bar retriggers
    const char* grids[] = {"....x.......x...", "x...x...x...x...", "x.x.x.x.x.x.x.x.", "xxxxxxxxxxxxxxxx"};
    for (int bar = 0; bar < 8; ++bar)
        for (int i = 0; i < BAR; ++i)
            if (grids[bar / 2][i] == 'x') w.hit(bar * BAR + i, SNARE, Snare, 24 + 5 * bar);
    for (int i = 0; i < BAR; ++i) {
        w.hit(8 * BAR + i, SNARE, Snare, 64);
        w.effect(8 * BAR + i, SNARE, EXTENDED, i < 8 ? 0x96 : 0x94);  // two, then three hits a row
    }
    w.drums(0, 8 * BAR, KICK, Kick, "x...x...x...x...");
    w.drums(8 * BAR, BAR, KICK, Kick, "x.x.x.x.xxxxxxxx");
    w.drums(4 * BAR, 4 * BAR, HATS, HatClosed, "x.x.x.x.x.x.x.x.");
    w.bassLine(0, 8, BASS, Bass, p, 2, "R.R.R.R.R.R.R.R.");
    w.bassLine(8 * BAR, 1, BASS, Bass, chords("E"), 1, "RRRRRRRROOOOOOOO", 28);
    w.padChords(0, 8, p, 2);
    w.padChords(8 * BAR, 1, chords("E"), 1, Pad, 56);
    w.chipChords(4 * BAR, 5, LEAD, chords("Am E Am E E"), 1, 69);
    w.riser(0, w.length(), ECHO, NoiseSweep, 48, 8, 56);
    w.hit(8 * BAR + 8, HATS, ReverseCrash);  // swells through the stop into the finale's first beat
}

void stop(Segment& s) {
    // everything cuts but the reverse crash swelling into the finale
    Writer w(s);
    w.silenceTones(0);
}

void finale(Segment& s) {
    Writer w(s);
    const auto p = chords(THEME_CHORDS);
    for (int half = 0; half < 2; ++half) {
        const int r = half * 8 * BAR;
        const int bars = half ? 7 : 8;
        w.beat(r, bars * BAR, {"x...x...x...x...", "....x.......x...", "o.o.o.o.o.o.o.o.", "..x...x...x...x.", Clap});
        w.drums(r, bars * BAR, SNARE, Snare, ".......o......o.");
        w.hit(r, HATS, Crash);  // each half opens on a crash and an impact under the kick
        w.hit(r, SNARE, Impact);
        // the second time round the bass drives in sixteenths
        w.bassLine(r, bars, BASS, Bass, p, 1, half ? "RrOrRrOrRrOrRrOr" : "R.O.R.O.R.O.R.Or");
        w.padChords(r, bars, p, 1);
        w.melody(r, LEAD, Lead, std::string(THEME_A) + " " + THEME_B, 46);  // louder than the first time
    }
    w.echo(LEAD, ECHO, 0, 8 * BAR - 4, 3, 24);
    w.chipChords(8 * BAR, 7, ECHO, p, 1, 69);
    for (int bar : {3, 7, 11}) w.turnaround(bar * BAR);
    w.silence(w.length() - 1, LEAD);
}

void flashes(Segment& s) {
    // a tutti stab on every flash, a burst of noise on every noise frame
    Writer w(s);
    const auto p = chords("Am Am F F G G E E");
    for (int i = 0; i < 8; ++i) {
        const int r = 2 * i;
        const Chord& c = p[i];
        w.hit(r, KICK, Kick);
        w.hit(r, SNARE, i % 2 ? Clap : Snare);
        w.note(r, BASS, Bass, above(c.root, 33));
        w.note(r, LEAD, Lead, above(c.root, 69));
        w.note(r, PAD_R, Choir, above((c.root + c.intervals[1]) % 12, 57));
        w.note(r, PAD_L, Choir, above((c.root + c.intervals[2]) % 12, 60));
        if (i == 0 || i == 7) w.hit(r, HATS, Crash);
        w.note(r + 1, ECHO, NoiseSweep, 79, 20);
        for (int ch : {BASS, LEAD, PAD_R, PAD_L}) w.silence(r + 1, ch);
        if (i + 1 < 8) w.silence(r + 2, ECHO);
    }
}

void outro(Segment& s) {
    Writer w(s);
    w.hit(0, KICK, Impact);
    w.hit(0, HATS, Crash);
    w.silence(0, ECHO);
    w.note(0, BASS, SubBass, 33, 36);
    w.padChords(0, 5, chords("Am"), 5);
    w.melody(0, LEAD, Lead, "a4:3 c5:3 e5:4 d5:2 c5:2 b4:2  a4:16~  -:16 e5:16~");
    w.echo(LEAD, ECHO, 0, 63, 3, 18);
    w.melody(2 * BAR, SNARE, Bell, "e5:8 c5:8 a4:16");
    for (int bar = 1; bar < 3; ++bar) w.hit(bar * BAR, KICK, Kick, 40 - 12 * bar);
    // everything fades over the fourth bar and the last rows are silent
    for (int ch : {BASS, LEAD, ECHO, PAD_R, PAD_L}) w.fadeOut(3 * BAR + 1, BAR + 8, ch);
    w.silenceTones(w.length() - 4);
}

}  // namespace composer
