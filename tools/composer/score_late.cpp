// From the bump maps to the end: a darker groove, the long warps and their breakdown, the
// build-up, the finale a tone higher, the flashes and the outro.

#include "score.h"
#include "score_themes.h"
#include "score_tools.h"

namespace composer {

void bumps(Segment& s) {
    Writer w(s);
    const auto p = chords("Dm Bbmaj7 Gm7 A7");
    const int bars = 15;
    w.hit(0, KICK, Impact);
    w.hit(0, SNARE, Snare, 64);
    w.beat(BAR, (bars - 1) * BAR, {"x..x......x.....x.........xx....", "", "XgxgxgxgXgxgxgxo"});
    w.drums(0, bars * BAR, SNARE, Snare, "....X..g.g..X.......X..g.g..X.gg");
    w.bassLine(0, bars, BASS, Acid, p, 1, "R.RO.rR.F.RrO.RP", 38);
    w.pads(0, bars, p, 1, 52, FX, Choir);
    w.hit(0, FX, Crash);
    w.arpeggio(4 * BAR, bars - 4, LEAD, Bell, p, 1, "0.1.2.0.1.2.0.1.", 62, 24);
    w.melody(8 * BAR, ECHO, Lead,
             "d5:4 f5:4 a5:6 g5:2  f5:4 d5:4 bb4:8~  bb4:4 d5:4 g5:6 f5:2  e5:8~ c#5:8~  "
             "d5:4 f5:4 a5:6 g5:2  f5:4 d5:4 bb4:8~  bb4:4 d5:4 g5:4 a5:4",
             44);
    w.fill(3 * BAR, Fill::Flams);
    w.fill(7 * BAR, Fill::Stutter);
    w.fill(11 * BAR, Fill::Toms, 2);
    // a bar on A7 that runs into the warps
    const int f = bars * BAR;
    const auto a7 = chords("A7");
    w.beat(f, BAR, {"x.x.x.x.x.x.x.x.", "....X...", "XgxgXgxg"});
    w.fill(f, Fill::Roll, 2);
    w.bassLine(f, 1, BASS, Acid, a7, 1, "R.RO..R.ORO.RORO", 45);
    w.pads(f, 1, a7, 1, 52, FX, Choir);
    w.silence(f, ECHO);
    w.rest(2);
}

void warps(Segment& s) {
    // layers come in every two bars over a sequence that never changes its shape; then everything
    // falls away but the pads, the choir, the sub and a slow lead: the breakdown
    Writer w(s);
    const auto p = chords("Em7 Cmaj7 Am7 Bm7");
    const int bars = 9;
    w.drums(0, bars * BAR, KICK, Kick, "X...x...x...x...");
    w.hit(0, SNARE, Impact);
    w.hit(0, HATS, Crash, 64);
    w.bassLine(0, bars, BASS, SubBass, p, 2, "..r...r...r...r.", 28);
    w.arpeggio(0, bars, ECHO, Chip, p, 2, "0.2.1.3.2.0.3.1.", 57, 40);
    w.pads(0, bars, p, 2, 55, FX, Pad);
    w.drums(2 * BAR, (bars - 2) * BAR, HATS, HatOpen, "..x...x...x...x.");
    w.beat(4 * BAR, (bars - 4) * BAR, {"", "....x.......x...", "g...g...g...g...", "", Clap});
    w.drums(6 * BAR, 3 * BAR, HATS, Ride, "x.o.");
    w.melody(4 * BAR, LEAD, Lead, "e5:24~ c5:8  d5:16~ f#5:16~  e5:16~");
    w.fill(5 * BAR, Fill::Roll);
    w.fill(8 * BAR, Fill::Drop);

    const int b = bars * BAR;
    const auto breakdown = chords("Cmaj7 D Em Bm7 Cmaj7 D");
    w.pads(b, 6, breakdown, 1, 55, FX, Choir);
    w.swellVolume(b, 6, PAD, 24, 40);
    w.swellVolume(b + BAR, 5, FX, 22, 34);
    w.hit(b, FX, Crash, 36);  // the colour waits for the crash to ring
    w.bassLine(b, 6, BASS, SubBass, breakdown, 1, "R...............", 31, 36);
    w.silence(b, ECHO);
    w.melody(b, LEAD, Lead,
             "e5:6 g5:2 b5:8~  a5:6 f#5:2 d5:8~  e5:6 g5:2 b5:8~  a5:4 f#5:4 d5:8~  "
             "g5:6 e5:2 c5:8~  d5:4 e5:4 f#5:8~",
             36);
    w.echo(LEAD, ECHO, b, w.length() - 1, 3, 16);
    w.drums(b + 5 * BAR, BAR, HATS, Shaker, "g.o.g.o.g.o.g.og");
    w.rest(2);
}

void buildUp(Segment& s) {
    Writer w(s);
    const auto p = chords("G A Bm F#");
    // the snare doubles every two bars and grows louder every bar; the last bar retriggers
    const char* grids[] = {"....x.......x...", "x...x...x...x...", "x.x.x.x.x.x.x.x.", "xxxxxxxxxxxxxxxx"};
    for (int bar = 0; bar < 8; ++bar)
        for (int i = 0; i < BAR; ++i)
            if (grids[bar / 2][i] == 'x') w.hit(bar * BAR + i, SNARE, Snare, 22 + 5 * bar + (i % 4 == 0 ? 6 : 0));
    for (int i = 0; i < BAR; ++i) {
        w.hit(8 * BAR + i, SNARE, Snare);
        w.effect(8 * BAR + i, SNARE, EXTENDED, RETRIGGER | (i < 8 ? 6 : i < 12 ? 4 : 3));  // ever faster
    }
    w.drums(0, 2 * BAR, KICK, Kick, "x...............");
    w.hit(0, KICK, Kick, 64);  // a kick alone, so that all there is to come is still to come
    w.hit(0, SNARE, Snare, 48);
    w.drums(2 * BAR, 6 * BAR, KICK, Kick, "x...x...x...x...");
    w.drums(8 * BAR, BAR, KICK, Kick, "x.x.x.x.xxxxxxxx");
    w.drums(4 * BAR, 2 * BAR, HATS, HatClosed, "..x...x...x...x.");
    w.drums(6 * BAR, 2 * BAR, HATS, HatClosed, "xoxoxoxoxoxoxoxX");
    w.drums(8 * BAR, 8, HATS, HatClosed, "xxxxxxxx");  // then the reverse crash takes the channel
    // held roots, then eighths walking into each chord, then sixteenths on the dominant
    const std::string held = "R...............";
    const std::string eighths = "R.R.R.R.R.R.R.RPR.R.R.R.O.O.O.OP";
    w.bassLine(0, 9, BASS, Bass, chords("G A Bm F# F#"), 2,
               held + held + eighths + eighths + eighths + "RRRRRRRROOOOOOOO", 30);
    w.pads(0, 8, p, 2, 55);
    w.pads(8 * BAR, 1, chords("F#7"), 1, 55);
    w.swellVolume(0, 9, PAD, 18, 48);
    w.chipChords(4 * BAR, 5, LEAD, chords("Bm F# Bm F# F#"), 1, 71);
    w.arpeggio(4 * BAR, 4, ECHO, Pluck, {p[2], p[2], p[3], p[3]}, 1, "0123", 59, 24);
    w.arpeggio(8 * BAR, 1, ECHO, Pluck, chords("F#"), 1, "0123456701234567", 54, 36);
    w.riser(0, w.length(), FX, NoiseSweep, 48, 8, 64);
}

void stop(Segment& s) {
    // everything cuts but the reverse crash swelling into the finale
    Writer w(s);
    w.silenceTones(0);
    w.swell(w.length(), HATS);
}

void finalePickup(Segment& s) {
    // the chapter cuts in on the offbeat: a hit, then three and a half beats on F#7 that run
    // into the theme's first bar, the snare climbing and a reverse cymbal drawing in its downbeat
    Writer w(s);
    const auto f7 = chords("F#7");
    w.resetVoicing();
    w.hit(0, KICK, Kick, 64);
    w.hit(0, SNARE, Impact);
    w.hit(0, FX, Crash, 60);
    w.drums(2, 12, SNARE, Snare, "g.g.o.o.xxXX");
    w.drums(4, 10, KICK, Kick, "x...x...xx");
    w.note(0, BASS, Bass, above(6, 30));
    w.bassLine(0, 1, BASS, Bass, f7, 1, "R...R...R.O.OOOO", 30);
    w.pads(0, 1, f7, 1, 57);
    w.melody(0, LEAD, Lead, "c#5:2 f#4:2 a#4:2 c#5:2 e5:2 f#5:4");
    w.echo(LEAD, ECHO, 0, 11, 3, 40);
    w.swell(w.length(), HATS);
}

void finale(Segment& s) {
    // the theme a tone higher, all eight channels busy: the loudest and densest part of the show.
    // Its pictures cut on the kicks of every beat, on two pairs of snares before the backbeat in
    // the sixth and seventh bars and on two kicks off the beat in the tenth and eleventh.
    Writer w(s);
    const auto p = chords(FINALE_CHORDS);
    for (int half = 0; half < 2; ++half) {
        const int r = half * 8 * BAR;
        const int bars = half ? 6 : 8;
        w.beat(r, bars * BAR,
               {"X...X...X...X...", "....X.......X...", half ? "XxXx" : "xoxo", "..X...X...X...X.", Clap});
        w.drums(r, bars * BAR, SNARE, Snare, ".......g.g....g.");
        w.hit(r, SNARE, Impact);  // each half opens on an impact under the kick
        // the second time round the bass drives in sixteenths
        w.bassLine(r, bars, BASS, Bass, p, 1, half ? "RrOrRrOrRrOrRrOP" : "R.O.R.O.R.O.R.OP", 30);
        w.melody(r, LEAD, Lead, std::string(THEME_A) + " " + THEME_B, -1, 2);
    }
    for (int bar : {5, 6})
        for (int at : {3, 11}) w.hit(bar * BAR + at, SNARE, Snare, 64);
    w.hit(9 * BAR + 14, KICK, Kick, 64);
    w.hit(10 * BAR + 2, KICK, Kick, 64);
    // first time: the lead echoes on the right, the pads carry their colour there, crashes on it
    w.pads(0, 8, p, 1, 57, FX, Pad);
    w.echo(LEAD, ECHO, 0, 8 * BAR - 4, 3, 44);
    w.hit(0, FX, Crash, 56);
    w.hit(4 * BAR, FX, Crash, 48);
    // second time: a second lead under the first, on the chord's tones, on the right; stabs on
    // every offbeat; and the crashes on the hats' channel, which wait a beat for them
    w.pads(8 * BAR, 6, p, 1, 57);
    w.harmony(LEAD, FX, 8 * BAR, 14 * BAR - 1, p, 1, 64);
    for (int bar = 8; bar < 14; ++bar) {
        const Chord& c = p[bar % 8];
        for (int i = 2; i < BAR; i += 4)
            w.note(bar * BAR + i, ECHO, c.minor() ? StabMinor : StabMajor, above(c.root, 59), 64);
    }
    for (int bar : {8, 12}) {
        for (int i = 0; i < 4; ++i) w.clear(bar * BAR + i, HATS);
        w.hit(bar * BAR, HATS, Crash, 56);
    }
    w.fill(3 * BAR, Fill::Roll);
    w.fill(7 * BAR, Fill::Toms, 2);
    w.fill(11 * BAR, Fill::Flams);
    w.fill(13 * BAR, Fill::Stutter, 2);
    w.silence(w.length() - 1, LEAD);
    w.silence(w.length() - 1, FX);
}

void flashes(Segment& s) {
    // a tutti stab on every flash, a burst of noise on every noise frame, the bass pounding
    // through; each burst waits for its frame, 144 ms after its flash
    Writer w(s);
    const auto p = chords("Bm Bm G G A A F# F#");
    for (int i = 0; i < 8; ++i) {
        const int r = 2 * i;
        const Chord& c = p[i];
        w.hit(r, KICK, Kick);  // (kick, bass and lead play at their full own volume)
        w.hit(r, SNARE, i % 2 ? Clap : Snare, 64);
        w.note(r, BASS, Bass, above(c.root, 30));
        w.note(r, LEAD, Lead, above(c.root, 71));
        w.note(r, FX, Lead, above(c.root, 71) - 5, 56);  // and its fourth below: an open fifth
        w.note(r, PAD, c.minor() ? StabMinor : StabMajor, above(c.root, 59), 64);
        w.hit(r, HATS, i == 0 || i == 7 ? Crash : HatOpen, 64);
        w.note(r + 1, ECHO, NoiseSweep, 79);
        s.cues.push_back({r + 1, ECHO, s.startMs + 244.0 * i + 144.0});
        for (int ch : {LEAD, FX, PAD}) w.silence(r + 1, ch);
        if (i + 1 < 8) w.silence(r + 2, ECHO);
    }
}

void outro(Segment& s) {
    // B minor fading under the end screen; the last chord turns major
    Writer w(s);
    const auto p = chords("Bm Bm Gmaj7 B");
    w.hit(0, KICK, Impact);
    w.hit(0, FX, Crash);
    w.silence(0, ECHO);
    w.note(0, BASS, SubBass, 35, 40);
    w.pads(0, 4, p, 1, 55);
    w.melody(0, LEAD, Lead, "b4:3 d5:3 f#5:4 e5:2 d5:2 c#5:2  b4:16~  -:16 d#5:16~");
    w.echo(LEAD, ECHO, 0, 63, 3, 18);
    w.melody(2 * BAR, SNARE, Bell, "f#5:8 d5:8 b4:16");
    for (int bar = 1; bar < 3; ++bar) w.hit(bar * BAR, KICK, Kick, 40 - 12 * bar);
    // everything fades over the fourth bar and the last rows are silent
    for (int ch : {BASS, LEAD, ECHO, PAD}) w.fadeOut(3 * BAR + 1, BAR + 8, ch);
    w.silenceTones(w.length() - 4);
}

}  // namespace composer
