// The credits, the movies, the spirals and the intermission.

#include "score.h"
#include "score_themes.h"
#include "score_tools.h"

namespace composer {

void creditsIntro(Segment& s) {
    Writer w(s);
    w.silenceTones(0);
    w.hit(0, KICK, Impact);
    w.note(0, BASS, SubBass, 33);
    w.note(0, PAD_R, Choir, 57);
    w.note(0, PAD_L, Choir, 64);
    w.hit(6, ECHO, Zap);
    w.hit(10, ECHO, Zap, 20);
    w.drums(12, 6, SNARE, Snare, "o.xoxx");
    w.drums(12, 6, HATS, HatClosed, "xxxxxx");
}

void credits(Segment& s) {
    // Left and right are kept apart for the ray caster: on the left the kick, a sub bass, the
    // ride and a high chip arpeggio; on the right the acid line, the hats, a bell and the choir.
    Writer w(s);
    const auto p = chords("Am G F E");
    const int bars = 8;
    w.hit(0, HATS, Crash);
    w.drums(0, bars * BAR, KICK, Kick, "x...x...x...x.x.");
    w.bassLine(0, bars, PAD_L, SubBass, p, 1, "r...............");
    w.bassLine(0, bars, BASS, Acid, p, 1, "RROrRRFrRROrRTFO", 45);
    w.drums(BAR, (bars - 1) * BAR, HATS, HatClosed, "xoxoxoxoxoxoxoxo");
    w.drums(0, bars * BAR, SNARE, Ride, "x.x...x.x.x...x.");
    w.drums(0, bars * BAR, SNARE, Clap, "....x.......x...");
    w.chipChords(0, bars, LEAD, p, 1, 69);
    w.melody(0, ECHO, Bell, "-:8 e5:2 a5:2 e5:2 c5:2  -:8 d5:2 g5:2 d5:2 b4:2  -:8 c5:2 f5:2 c5:2 a4:2  -:8 b4:2 e5:2 g#5:4");
    w.melody(4 * BAR, ECHO, Bell, "e5:4 a5:4 b5:4 a5:4  g5:4 d5:4 b4:8  a5:4 f5:4 c5:8  g#5:4 e5:4 b4:4 g#4:4");
    for (int bar = 0; bar < bars; ++bar)
        w.note(bar * BAR, PAD_R, Choir, above((p[bar % 4].root + p[bar % 4].intervals[1]) % 12, 57));
}

void movie(Segment& s) {
    Writer w(s);
    const auto p = chords("Am7 D7");
    const int bars = 8;
    w.beat(0, bars * BAR, {"x.....x...x..x..x.....x...x.....", "....x..o.o..x..o....x..o.o..x.oo",
                           "xoxoxoxoxoxoxo.o", "..............x."});
    w.bassLine(0, bars, BASS, Bass, p, 1, "R..R..O.-.R.FO.r");
    // stabs where the movie cuts: beats 0, 2, 10, 15, 17, 20, 26 and 31
    for (int beat : {0, 2, 10, 15, 17, 20, 26, 31}) {
        const int r = beat * 4;
        const Chord& c = p[(r / BAR) % 2];
        w.note(r, PAD_R, Choir, above((c.root + c.intervals[1]) % 12, 57));
        w.note(r, PAD_L, Choir, above((c.root + c.intervals[3]) % 12, 60));
        if (r + 3 < w.length()) {
            w.silence(r + 3, PAD_R);
            w.silence(r + 3, PAD_L);
        }
        if (beat % 10 == 0) w.hit(r, HATS, Crash);
    }
    const char* riff = "a4:2 c5:2 d5:2 e5:1 g5:3 e5:2 d5:2 c5:2  d5:2 f#5:2 a5:2 f#5:2 e5:2 d5:2 c5:4";
    w.melody(2 * BAR, LEAD, Pluck, riff);
    w.melody(6 * BAR, LEAD, Pluck, riff);
    w.echo(LEAD, ECHO, 0, bars * BAR - 1, 3, 22);
}

void spiralsIntro(Segment& s) {
    Writer w(s);
    w.hit(0, KICK, Impact);
    w.silence(0, BASS);
    w.silence(0, LEAD);
    w.hit(5, HATS, ReverseCrash);
    w.melody(0, ECHO, Chip, "a4:2 c5:2 e5:2 a5:2 c5:2 e5:2 a5:2 b5:2 -:2");
    w.note(0, PAD_R, Pad, 60);
    w.note(0, PAD_L, Pad, 64);
    w.drums(10, 8, SNARE, Snare, "o.o.xxxx");
}

void spirals(Segment& s) {
    Writer w(s);
    const auto p = chords("Am F C G");
    const int bars = 14;  // two bars a chord, then a bar of fill
    w.hit(0, HATS, Crash);
    w.beat(0, bars * BAR, {"x...x...x...x...", "", "o.o.o.o.o.o.o.o."});
    w.drums(2 * BAR, (bars - 2) * BAR, SNARE, Clap, "....x.......x...");
    w.drums(4 * BAR, (bars - 4) * BAR, HATS, HatOpen, "..x...x...x...x.");
    w.bassLine(0, bars, BASS, Bass, p, 2, "..RO..RO..RO..RO");
    w.arpeggio(0, bars, ECHO, Pluck, p, 2, "0123212301232123", 57, 30);
    w.padChords(0, bars, p, 2);
    w.chipChords(0, 8, LEAD, p, 2, 69);
    w.turnaround(7 * BAR);
    w.melody(8 * BAR, LEAD, Lead, "e5:8 d5:4 c5:4 e5:16~  f5:8 e5:4 c5:4 a4:16~  g5:8 e5:4 c5:4 g5:12~ -:4");
    const int f = bars * BAR;
    w.fill(f, "E", {"x...x...x...x.x.", "x.o.x.o.xoxoxxxx", ""});
    w.arpeggio(f, 1, ECHO, Pluck, chords("E"), 1, "0123454321012345", 56, 30);
}

void intermissionIntro(Segment& s) {
    // the break screen: everything stops but a bell
    Writer w(s);
    w.silenceTones(0);
    w.melody(0, LEAD, Bell, "g5:4 e5:4 c5:10");
    w.note(4, PAD_R, Pad, 64, 20);
    w.note(4, PAD_L, Pad, 67, 20);
    w.drums(14, 4, SNARE, Tom, "x.xx");
}

void intermission(Segment& s) {
    Writer w(s);
    const auto p = chords("C Am F G");
    const int bars = 14;
    w.beat(0, bars * BAR, {"x.....x.x.......", "....x.......x..o", "o.x.o.x.o.x.o.x."});
    w.bassLine(0, bars, BASS, Bass, p, 1, "R..O.R..F..OR.O.", 36);
    w.padChords(0, bars, p, 1);
    const std::string tune =
        "c5:2 e5:2 g5:2 e5:2 c5:2 e5:2 g5:4  a5:2 g5:2 e5:2 c5:2 a4:4 c5:4  "
        "f5:2 e5:2 d5:2 c5:2 a4:4 f5:4  g5:4 f5:2 e5:2 d5:4 b4:4  "
        "c5:2 e5:2 g5:2 e5:2 c5:2 e5:2 a5:4  g5:2 e5:2 c5:2 e5:2 a4:4 -:4  "
        "f5:2 a5:2 g5:2 f5:2 e5:2 d5:2 c5:4  d5:4 e5:2 d5:2 b4:4 g4:4";
    w.melody(2 * BAR, LEAD, Pluck, tune);
    w.echo(LEAD, ECHO, 2 * BAR, 10 * BAR - 1, 2, 20);
    w.melody(10 * BAR, ECHO, Bell, "c5:2 e5:2 g5:2 e5:2 c5:2 e5:2 g5:4  a5:2 g5:2 e5:2 c5:2 a4:4 c5:4  "
                                   "f5:2 e5:2 d5:2 c5:2 a4:4 f5:4  g5:4 f5:2 e5:2 d5:4 b4:4");
    w.chipChords(10 * BAR, 4, LEAD, p, 1, 60);
    for (int bar : {5, 9}) w.turnaround(bar * BAR);
    const int f = bars * BAR;
    const auto g = chords("G");
    w.beat(f, BAR, {"x.....x.x.......", "x..x..x.x.x.xxxx", "", "", Tom});
    w.bassLine(f, 1, BASS, Bass, g, 1, "R.R.F.F.O.O.O.O.", 36);
    w.padChords(f, 1, g, 1);
    w.silence(f, LEAD);
}

}  // namespace composer
