// The credits, the movies, the spirals and the intermission.

#include "score.h"
#include "score_themes.h"
#include "score_tools.h"

namespace composer {

void creditsIntro(Segment& s) {
    // the theme stops on E, and E becomes the new key
    Writer w(s);
    w.silenceTones(0);
    w.hit(0, KICK, Impact);
    w.hit(0, SNARE, Snare, 64);
    w.hit(0, HATS, Crash, 64);
    w.note(0, BASS, SubBass, 28);
    w.resetVoicing();
    w.pads(0, 1, chords("Em"), 1, 55);
    w.note(0, FX, Choir, 64);
    w.hit(6, ECHO, Zap);
    w.hit(10, ECHO, Zap, 20);
    w.drums(12, 6, SNARE, Snare, "g.oxXX");
    w.drums(12, 6, HATS, HatClosed, "xxxxXX");
}

namespace {

// Four bars of the credits. The ray caster scales the quieter side's spectrum up to the louder
// side's peak, colours its rays by the difference between the sides and lights them with the
// highs. So the acid line sits on one side, loud, a tone whose peak stands over the kick and the
// sub in the middle, with a chip arpeggio and the pads; the other side is all highs, hats and
// ride, which the caster lifts to the acid's level. The second half swaps the sides (see the
// song's panning), and the rays turn from green and blue to orange and magenta.
void creditsHalf(Segment& s, int half) {
    Writer w(s);
    const auto p = half ? chords("Em C Am B7") : chords("Em C G D");
    const int bars = 4;
    // (the kick and the sub stay low: they sound on both sides and would hold the scale down)
    w.drums(0, bars * BAR, KICK, Kick, "x...x...x...x.x.", 18);
    w.bassLine(0, bars, BASS, SubBass, p, 1, "r..r..r...r..r.p", 28, 18);
    // the acid plays each chord from a tone of it near 220 to 260 Hz: low enough to be the
    // credits' bass, high enough to leave the lowest octave to the middle
    const auto acid = half ? chords("Bsus C Am B") : chords("Bsus C Bm Asus");
    w.bassLine(0, bars, LEAD, Acid, acid, 1, "RRT.RRN.RRT.RRNP", 57);
    w.drums(0, bars * BAR, HATS, HatClosed, "xox.xox.xox.xox.", 48);
    w.drums(0, bars * BAR, HATS, HatOpen, "...x...x...x...x", 44);
    w.hit(0, FX, Crash);
    w.drums(4, bars * BAR - 4, FX, RideBright, "x.x.x.x.x.x.x.x.", 38);  // after a beat of the crash
    w.clear(0, HATS);  // the hats rest under the crash (which leaves their pan a slot)
    w.drums(0, bars * BAR, SNARE, Clap, "....x.......x...", 45);
    w.drums(0, bars * BAR, SNARE, Snare, "..........g...g.");
    w.arpeggio(0, bars, ECHO, Chip, p, 1, "0123432101234321", 57, 22);
    w.effect(0, ECHO, NO_EFFECT, 0);  // the half's first note accented, at the chip's own volume
    w.pads(0, bars, p, 1, 60);
    for (int bar = 0; bar < bars; ++bar) w.effect(bar * BAR, PAD, SET_VOLUME, 30);
    w.fill(3 * BAR, half ? Fill::Roll : Fill::Flams, half ? 2 : 1);
    if (half) w.rest(2);  // the movies start out of a hush
}

}  // namespace

void credits(Segment& s) { creditsHalf(s, 0); }

void creditsMirrored(Segment& s) { creditsHalf(s, 1); }

void movie(Segment& s) {
    // a funk break in D dorian; chord stabs where the movie cuts
    Writer w(s);
    const auto p = chords("Dm7 G7");
    const int bars = 8;
    w.beat(0, bars * BAR,
           {"X.....x...x..x..x.....x...x.....", "....X..g.g..X..g....X..g.g..X.gg", "XgxgXgxgXgxgXg.g",
            "..............x."});
    const char* bass =
        "d2:3 d3:1 -:1 d2:1 c3:2 a2:2 -:1 d2:1 f2:1 f#2:1 g2:1 -:1  "
        "g2:3 g3:1 -:1 g2:1 f3:2 d3:2 -:1 b2:1 c3:1 c#3:1 d3:1 -:1";
    for (int bar = 0; bar < bars; bar += 2) w.melody(bar * BAR, BASS, Bass, bass);
    // beats 0, 2, 10, 15, 17, 20, 26 and 31
    for (int beat : {0, 2, 10, 15, 17, 20, 26, 31}) {
        const int r = beat * 4;
        const Chord& c = p[(r / BAR) % 2];
        w.note(r, PAD, c.minor() ? StabMinor : StabMajor, above(c.root, 62));
        if (r + 3 < w.length()) w.silence(r + 3, PAD);
        if (beat % 10 == 0) w.hit(r, FX, Crash);
    }
    // the chord's seventh held by the choir on the right, between the stabs, in the bars that
    // leave the crashes (bars 0, 2 and 5) ringing
    for (int bar : {1, 3, 4, 6, 7}) {
        const Chord& c = p[bar % 2];
        w.note(bar * BAR + 1, FX, Choir, above((c.root + c.intervals[3]) % 12, 60), 40);
    }
    const char* riff = "d4:2 f4:2 g4:2 a4:1 c5:3 a4:2 g4:2 f4:2  g4:2 b4:2 d5:2 b4:2 a4:2 g4:2 f4:4";
    w.melody(2 * BAR, LEAD, Pluck, riff);
    w.melody(6 * BAR, LEAD, Pluck, riff);
    w.echo(LEAD, ECHO, 0, bars * BAR - 1, 3, 34);
    w.hit(0, SNARE, Impact);
    w.fill(3 * BAR, Fill::Flams);
    w.fill(7 * BAR, Fill::Stutter);
    w.rest(2);
}

void spiralsIntro(Segment& s) {
    Writer w(s);
    w.hit(0, KICK, Kick, 64);
    w.hit(0, SNARE, Impact);
    w.hit(0, HATS, Crash, 64);
    w.silence(0, BASS);
    w.silence(0, LEAD);
    w.melody(0, ECHO, Chip, "c4:2 eb4:2 g4:2 c5:2 eb4:2 g4:2 c5:2 d5:2 -:2");
    w.resetVoicing();
    w.pads(0, 1, chords("Cm"), 1, 55);
    w.drums(10, 8, SNARE, Snare, "g.o.xxXX");
    w.swell(18, HATS);
}

void spirals(Segment& s) {
    Writer w(s);
    const auto p = chords("Cm7 Abmaj7 Eb Bb");
    const int bars = 14;  // two bars a chord, then a bar of fill
    w.beat(0, bars * BAR, {"X...x...x...x...", "", "g.g.g.g.g.g.g.g."});
    w.drums(2 * BAR, (bars - 2) * BAR, SNARE, Clap, "....x.......x...");
    w.drums(4 * BAR, (bars - 4) * BAR, HATS, HatOpen, "..x...x...x...x.");
    w.drums(8 * BAR, 6 * BAR, SNARE, Snare, "..........g....g");
    w.bassLine(0, bars, BASS, Bass, p, 2, "..R...R...R...R...R...R...R.O.RP", 36);
    w.arpeggio(0, bars, ECHO, Pluck, p, 2, "0123212301232123", 60, 44);
    w.pads(0, bars, p, 2, 55, FX, Pad);
    w.hit(0, FX, Crash);
    w.hit(8 * BAR, FX, Crash);
    w.chipChords(0, 8, LEAD, p, 2, 72);
    w.melody(8 * BAR, LEAD, Lead, "g5:8 f5:4 eb5:4 g5:16~  ab5:8 g5:4 eb5:4 c5:16~  bb5:8 g5:4 eb5:4 g5:12~ -:4");
    w.fill(3 * BAR, Fill::Roll);
    w.fill(7 * BAR, Fill::Toms, 2);
    w.fill(11 * BAR, Fill::Flams);
    // a bar on C7, which turns C minor into the way to F major
    const int f = bars * BAR;
    const auto c7 = chords("C7");
    w.beat(f, BAR, {"x...x...x...x.x.", "....x...", "g.g.g.g."});
    w.fill(f, Fill::Roll, 2);
    w.bassLine(f, 1, BASS, Bass, c7, 1, "R.R.O.R.S.O.S.O.", 36);
    w.pads(f, 1, c7, 1, 55, FX, Pad);
    w.arpeggio(f, 1, ECHO, Pluck, c7, 1, "0123454321012345", 60, 44);
    w.silence(f, LEAD);
    w.rest(2);
}

void intermissionIntro(Segment& s) {
    // the break screen: one hit, then everything stops but a bell
    Writer w(s);
    w.silenceTones(0);
    w.hit(0, KICK, Kick, 64);
    w.hit(0, SNARE, Impact);
    w.hit(0, HATS, Crash, 64);
    w.melody(0, LEAD, Bell, "a5:4 f5:4 c5:10");
    w.resetVoicing();
    w.pads(4, 1, chords("F"), 1, 55);
    w.effect(4, PAD, SET_VOLUME, 22);
    w.hit(14, SNARE, Tom, 40, 5);
    w.hit(16, SNARE, Tom, 48, 2);
    w.hit(17, SNARE, Tom, 56, -2);
}

void intermission(Segment& s) {
    Writer w(s);
    const auto p = chords("Fmaj7 Dm7 Bbmaj7 C");
    const int bars = 14;
    w.beat(0, bars * BAR, {"x.....x.x.......", "....x.......x..g", "g.x.g.x.g.x.g.xo"});
    w.drums(0, bars * BAR, SNARE, Snare, "..g.......g.....");
    w.bassLine(0, bars, BASS, Bass, p, 1, "R..O.R..F..OR.OP", 36);
    w.pads(0, bars, p, 1, 55, FX, Pad);
    // the tune of the opening's answer, now in F, on the pluck with a quick echo
    const std::string tune =
        "c5:2 e5:2 g5:2 e5:2 c5:2 e5:2 g5:4  a5:2 g5:2 e5:2 c5:2 a4:4 c5:4  "
        "f5:2 e5:2 d5:2 c5:2 a4:4 f5:4  g5:4 f5:2 e5:2 d5:4 b4:4  "
        "c5:2 e5:2 g5:2 e5:2 c5:2 e5:2 a5:4  g5:2 e5:2 c5:2 e5:2 a4:4 -:4  "
        "f5:2 a5:2 g5:2 f5:2 e5:2 d5:2 c5:4  d5:4 e5:2 d5:2 b4:4 g4:4";
    w.melody(2 * BAR, LEAD, Pluck, tune, -1, -7);
    w.echo(LEAD, ECHO, 2 * BAR, 10 * BAR - 1, 2, 32);
    w.melody(10 * BAR, ECHO, Bell, tune, -1, -7);
    w.chipChords(10 * BAR, 4, LEAD, p, 1, 65);
    w.fill(5 * BAR, Fill::Roll);
    w.fill(9 * BAR, Fill::Toms);
    w.fill(13 * BAR, Fill::Flams);
    // a bar on A7 into D minor
    const int f = bars * BAR;
    const auto a7 = chords("A7");
    w.beat(f, BAR, {"x.....x.x.......", "....x...", "g.x.g.x."});
    w.fill(f, Fill::Toms, 2);
    w.bassLine(f, 1, BASS, Bass, a7, 1, "R.R.F.F.O.O.S.O.", 33);
    w.pads(f, 1, a7, 1, 55, FX, Pad);
    w.silence(f, LEAD);
    w.silence(f, ECHO);
    w.rest(2);
}

}  // namespace composer
