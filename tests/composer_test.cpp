// The composer's parts: the timing that lands the sync points, the arrangement into patterns and
// its pans, the reverse cymbals struck to peak on their downbeats, the file format, the score's
// notation and its figures, and the tuning, loops and tails of the synthesised samples.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "arrange.h"
#include "cues.h"
#include "modfile.h"
#include "periods.h"
#include "samples.h"
#include "score_tools.h"
#include "swells.h"
#include "timing.h"

namespace composer {
namespace {

Segment blank(const char* name, double startMs, int rows) {
    Segment s;
    s.name = name;
    s.startMs = startMs;
    s.rows.resize(rows);
    return s;
}

double lengthMs(const SegmentTiming& t) {
    double ms = 0.0;
    for (int s : t.speeds) ms += s * TICK_MS;
    return ms;
}

TEST(Timing, SegmentsEndWithinHalfATickOfTheirTarget) {
    for (int rows : {4, 18, 128, 240, 256}) {
        for (double target : {440.0, 2150.0, 15680.0, 29006.0, 31200.0, 31400.0}) {
            if (target / rows < TICK_MS || target / rows > 31 * TICK_MS) continue;
            const SegmentTiming t = solveSegment(rows, 1000.0, 1000.0 + target);
            ASSERT_EQ(t.speeds.size(), static_cast<std::size_t>(rows));
            EXPECT_NEAR(lengthMs(t), target, TICK_MS / 2) << rows << " rows over " << target << " ms";
            EXPECT_DOUBLE_EQ(t.endMs, 1000.0 + lengthMs(t));
        }
    }
}

TEST(Timing, LongRowsFallOnTheWeakSixteenths) {
    // 31200 ms over 256 rows: 3120 ticks, 48 rows of 13 among 208 of 12
    const SegmentTiming t = solveSegment(256, 0.0, 31200.0);
    EXPECT_EQ(std::count(t.speeds.begin(), t.speeds.end(), 13), 48);
    EXPECT_EQ(std::count(t.speeds.begin(), t.speeds.end(), 12), 208);
    for (std::size_t r = 0; r < t.speeds.size(); ++r) {
        if (t.speeds[r] == 13) {
            EXPECT_EQ(r % 4, 3u) << "a long row inside a beat at " << r;
        }
    }
    // rows of 125 ms, twelve and a half ticks: a long row closes every eighth note
    const SegmentTiming swing = solveSegment(64, 0.0, 64 * 125.0);
    for (std::size_t r = 0; r < swing.speeds.size(); ++r) EXPECT_EQ(swing.speeds[r], r % 2 ? 13 : 12) << r;
    // the movie beat of 490 ms is exactly 49 ticks: one long row closes every beat
    const SegmentTiming movie = solveSegment(128, 0.0, 32 * 490.0);
    for (std::size_t r = 0; r < movie.speeds.size(); ++r) EXPECT_EQ(movie.speeds[r], r % 4 == 3 ? 13 : 12);
}

TEST(Timing, ErrorsDoNotAccumulateAcrossSegments) {
    Song song;
    for (int i = 0; i < 40; ++i) song.segments.push_back(blank("s", i * 1234.5, 10));
    song.endMs = 40 * 1234.5;
    const auto plan = planTiming(song);
    for (std::size_t i = 0; i < plan.size(); ++i)
        EXPECT_NEAR(plan[i].startMs, song.segments[i].startMs, TICK_MS / 2) << "segment " << i;
    EXPECT_NEAR(plan.back().endMs, song.endMs, TICK_MS / 2);
}

TEST(Timing, GridRowsStayWithinHalfATickOfTheirPlaceWhereverTheSegmentBegins) {
    // 121.875 ms rows from a sync point 4 ms past a tick: every row within 5 ms of its place
    const SegmentTiming t = solveGrid(238, 250720.0, 250724.0, 279730.0);
    double at = t.startMs;
    for (std::size_t k = 0; k < t.speeds.size(); ++k) {
        EXPECT_LE(std::fabs(at - (250724.0 + k * 121.875)), TICK_MS / 2 + 1e-9) << "row " << k;
        at += t.speeds[k] * TICK_MS;
    }
    EXPECT_DOUBLE_EQ(t.endMs, 279730.0);
    EXPECT_DOUBLE_EQ(at, t.endMs);
    EXPECT_THROW(solveGrid(4, 0.0, 0.0, 10000.0), std::out_of_range);

    // a row pinned inside a segment begins at its time; the rows either side keep their grids
    Song song;
    song.segments.push_back(blank("opening", 0.0, 120));
    song.segments[0].anchors = {{64, 7800.0}};
    song.endMs = 15000.0;
    const SegmentTiming pinned = planTiming(song)[0];
    double row64 = 0.0;
    for (int r = 0; r < 64; ++r) row64 += pinned.speeds[r] * TICK_MS;
    EXPECT_NEAR(row64, 7800.0, TICK_MS / 2);
    EXPECT_EQ(pinned.speeds[10], 12) << "121.875 ms rows before it";
    EXPECT_EQ(pinned.speeds[100], 13) << "128.6 ms rows after it";
    EXPECT_DOUBLE_EQ(pinned.endMs, 15000.0);
}

TEST(Timing, RefusesSegmentsNoSpeedCanFit) {
    EXPECT_THROW(solveSegment(4, 0.0, 10000.0), std::out_of_range);  // 250 ticks a row
    EXPECT_THROW(solveSegment(100, 0.0, 50.0), std::out_of_range);   // under a tick a row
    EXPECT_THROW(solveSegment(0, 0.0, 1000.0), std::invalid_argument);
}

Song twoSegments() {
    Song song;
    song.segments.push_back(blank("first", 0.0, 100));
    song.segments.push_back(blank("second", 12100.0, 64));
    song.endMs = 12100.0 + 64 * 125.0;
    song.panning = {0x20, 0xE0, 0xE0, 0x20, 0x20, 0xE0, 0xE0, 0x20};
    return song;
}

std::vector<const Cell*> effectsIn(const Row& row, int effect) {
    std::vector<const Cell*> found;
    for (const Cell& c : row)
        if (c.effect == effect) found.push_back(&c);
    return found;
}

TEST(Arrangement, EverySegmentBeginsAPositionAndShortPatternsBreak) {
    const Song song = twoSegments();
    const Arrangement a = arrange(song, planTiming(song));
    ASSERT_EQ(a.order.size(), 3u);  // 64 + 36 rows, then 64
    const Pattern& shortOne = a.patterns[a.order[1]];
    EXPECT_EQ(effectsIn(shortOne[35], PATTERN_BREAK).size(), 1u);
    for (int r = 0; r < 35; ++r) EXPECT_TRUE(effectsIn(shortOne[r], PATTERN_BREAK).empty());
    EXPECT_TRUE(effectsIn(a.patterns[a.order[2]][63], PATTERN_BREAK).empty());
}

// A channel's first pan step (E8x) in the arrangement, with its position and row.
const Cell* findPan(const Arrangement& a, int ch, int& position, int& row) {
    for (position = 0; position < static_cast<int>(a.order.size()); ++position)
        for (row = 0; row < PATTERN_ROWS; ++row) {
            const Cell& c = a.patterns[a.order[position]][row][ch];
            if (c.effect == EXTENDED && (c.param & 0xF0) == SET_PAN_STEP) return &c;
        }
    return nullptr;
}

TEST(Arrangement, TheFirstRowSetsTempoAndSpeedAndEveryChannelIsPannedBeforeItPlays) {
    Song song = twoSegments();
    song.panning = {0x00, 0xFF, 0x80, 0x33, 0x80, 0xCC, 0x80, 0x22};
    song.segments[0].rows[0][5] = Cell{12, Lead, NO_EFFECT, 0};
    song.segments[0].rows[0][6] = Cell{12, Lead, SET_VOLUME, 40};  // its slot is taken: panned later
    const Arrangement a = arrange(song, planTiming(song));
    std::vector<int> commands;
    for (const Cell* c : effectsIn(a.patterns[a.order[0]][0], SET_SPEED)) commands.push_back(c->param);
    std::sort(commands.begin(), commands.end());
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_LT(commands[0], 0x20);   // a speed
    EXPECT_EQ(commands[1], TEMPO);  // the tempo
    for (int ch = 0; ch < CHANNELS; ++ch) {
        int position = 0, row = 0;
        const Cell* pan = findPan(a, ch, position, row);
        ASSERT_NE(pan, nullptr) << "channel " << ch;
        // every player reads the sixteen steps of E8x, the nearest to the pan
        EXPECT_EQ(pan->param & 0x0F, (song.panning[ch] + 8) / 17) << "channel " << ch;
        EXPECT_EQ(position, 0);
        if (ch == 5) {
            EXPECT_EQ(row, 0) << "a channel is panned before its first note";
        }
        EXPECT_LE(row, 1) << "channel " << ch;
        // the middle lies between two steps: an 8xx follows for the players that read it
        bool fine = false;
        for (int r = row + 1; r < PATTERN_ROWS && !fine; ++r) {
            const Cell& c = a.patterns[a.order[0]][r][ch];
            fine = c.effect == SET_PANNING && c.param == song.panning[ch];
        }
        EXPECT_EQ(fine, song.panning[ch] == 0x80) << "channel " << ch;
    }
}

TEST(Arrangement, ASectionsOwnPansLandOnItsFirstRowOrJustBeforeIt) {
    Song song = twoSegments();
    song.segments[1].panning[3] = 0x11;
    song.segments[1].panning[4] = 0xEE;
    song.segments[1].panning[5] = song.panning[5];  // no move, no command
    song.segments[1].rows[0][4] = Cell{12, Lead, SET_VOLUME, 40};
    const Arrangement a = arrange(song, planTiming(song));
    // the second segment is the third position; its first row carries channel 3's new pan
    EXPECT_EQ(a.patterns[a.order[2]][0][3].effect, EXTENDED);
    EXPECT_EQ(a.patterns[a.order[2]][0][3].param, SET_PAN_STEP | 1);
    // channel 4's first row is taken, so its pan comes at the end of the segment before
    bool before = false;
    for (int r = 32; r < 36; ++r) {
        const Cell& c = a.patterns[a.order[1]][r][4];
        before |= c.effect == EXTENDED && c.param == (SET_PAN_STEP | 14);
    }
    EXPECT_TRUE(before);
    for (const Row& row : a.patterns[a.order[2]])
        EXPECT_FALSE(row[5].effect == EXTENDED && (row[5].param & 0xF0) == SET_PAN_STEP);
}

TEST(Arrangement, IdenticalPatternsAreStoredOnce) {
    Song song;
    song.segments.push_back(blank("a", 0.0, 192));
    song.endMs = 192 * 125.0;
    song.panning = {};
    // no speed changes after the first row: the last two 64-row patterns are the same
    const Arrangement a = arrange(song, planTiming(song));
    ASSERT_EQ(a.order.size(), 3u);
    EXPECT_EQ(a.order[1], a.order[2]);
    EXPECT_EQ(a.patterns.size(), 2u);
}

TEST(Arrangement, ARowWithoutAFreeSlotIsAnError) {
    Song song = twoSegments();
    song.endMs = 12100.0 + 64 * 150.0;  // the second segment's rows are longer: its first row changes speed
    for (Cell& c : song.segments[1].rows[0]) c = Cell{NO_NOTE, 0, VIBRATO, 0x44};
    try {
        arrange(song, planTiming(song));
        FAIL() << "the timing command was dropped";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("second, row 0"), std::string::npos) << e.what();
    }
}

// A cymbal of `length` samples that is loudest at `peak`.
Sample cymbal(int length, int peak) {
    Sample s;
    s.name = "reverse crash";
    s.data.assign(length, 1);
    s.data[peak] = 120;
    return s;
}

TEST(Swells, AReverseCymbalPeaksWithinAnOffsetStepBeforeItsDownbeatEvenAcrossSegments) {
    Song song;
    song.segments.push_back(blank("long", 0.0, 32));
    song.segments.push_back(blank("stop", 32 * 121.0, 4));  // rows of 12 and 13 ticks, then 110 ms
    song.segments.push_back(blank("after", 32 * 121.0 + 440.0, 16));
    song.endMs = 32 * 121.0 + 440.0 + 16 * 125.0;
    song.segments[1].swells.push_back({4, HATS});  // into the third segment's first row
    const auto plan = planTiming(song);
    const Sample s = cymbal(40000, 37000);
    placeSwells(song, plan, s, ReverseCrash);
    const double rate = noteRate(voice(ReverseCrash).trigger);
    int struck = 0;
    for (std::size_t i = 0; i < song.segments.size(); ++i) {
        double t = plan[i].startMs;
        for (std::size_t r = 0; r < song.segments[i].rows.size(); ++r) {
            const Cell& c = song.segments[i].rows[r][HATS];
            if (c.sample == ReverseCrash) {
                ++struck;
                EXPECT_EQ(c.note, voice(ReverseCrash).trigger);
                const int offset = c.effect == SAMPLE_OFFSET ? c.param : 0;
                const double peak = t + (37000 - 256.0 * offset) * 1000.0 / rate;
                EXPECT_LE(peak, plan[2].startMs);
                EXPECT_GT(peak, plan[2].startMs - 256 * 1000.0 / rate);
                EXPECT_LT(i, 2u) << "struck before the downbeat, in the rows before the stop";
            }
            t += plan[i].speeds[r] * TICK_MS;
        }
    }
    EXPECT_EQ(struck, 1);

    // a channel that plays in the cymbal's way is an error that names the place
    Song busy = song;
    for (Segment& seg : busy.segments)
        for (Row& row : seg.rows) row[HATS] = Cell{};
    busy.segments[1].rows[2][HATS] = Cell{35, HatClosed, NO_EFFECT, 0};
    try {
        placeSwells(busy, plan, s, ReverseCrash);
        FAIL() << "the cymbal was struck over a hat";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("busy in stop, row 2"), std::string::npos) << e.what();
    }
}

TEST(Cues, ACuedNoteWaitsTheTicksToItsTimeAndACueOutsideItsRowIsAnError) {
    Song song;
    song.segments.push_back(blank("hits", 0.0, 8));
    song.endMs = 8 * 120.0;
    song.segments[0].rows[3][ECHO] = Cell{20, NoiseSweep, NO_EFFECT, 0};
    song.segments[0].cues.push_back({3, ECHO, 3 * 120.0 + 44.0});  // 4.4 ticks into its row
    const auto plan = planTiming(song);
    placeCues(song, plan);
    EXPECT_EQ(song.segments[0].rows[3][ECHO].effect, EXTENDED);
    EXPECT_EQ(song.segments[0].rows[3][ECHO].param, NOTE_DELAY | 4);

    Song late = song;
    late.segments[0].rows[3][ECHO].effect = NO_EFFECT;
    late.segments[0].cues[0].atMs = 3 * 120.0 + 130.0;  // in the next row
    EXPECT_THROW(placeCues(late, plan), std::runtime_error);
    Song taken = song;
    taken.segments[0].rows[3][ECHO] = Cell{20, NoiseSweep, SET_VOLUME, 30};
    EXPECT_THROW(placeCues(taken, plan), std::runtime_error);
}

TEST(ModFile, CellsPackSampleNumberPeriodAndEffect) {
    const auto bytes = encodeCell(Cell{0, 17, VIBRATO, 0x46});  // C-1, sample 17
    EXPECT_EQ(bytes[0], 0x10 | (856 >> 8));
    EXPECT_EQ(bytes[1], 856 & 0xFF);
    EXPECT_EQ(bytes[2], 0x14);
    EXPECT_EQ(bytes[3], 0x46);
    const auto empty = encodeCell(Cell{});
    EXPECT_EQ(empty, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_THROW(encodeCell(Cell{36, 1, NO_EFFECT, 0}), std::out_of_range);
    EXPECT_THROW(encodeCell(Cell{0, 32, NO_EFFECT, 0}), std::out_of_range);
}

TEST(ModFile, LayoutHeaderPatternsThenSamples) {
    Arrangement a;
    a.patterns.resize(2);
    a.order = {1, 0, 1};
    std::vector<Sample> samples(2);
    samples[0].name = "one-shot";
    samples[0].data.assign(10, 5);
    samples[1].name = "looped";
    samples[1].data.assign(8, -3);
    samples[1].loopStart = 2;
    samples[1].loopLength = 6;
    samples[1].volume = 40;
    const auto file = writeMod("title", a, samples);
    ASSERT_EQ(file.size(), 1084u + 2 * 64 * 8 * 4 + 18);
    EXPECT_EQ(std::string(file.begin() + 1080, file.begin() + 1084), "8CHN");
    EXPECT_EQ(file[950], 3);
    EXPECT_EQ(file[952], 1);
    EXPECT_EQ(file[953], 0);
    // sample headers: length, volume, loop start and length, all in words
    const auto word = [&file](std::size_t at) { return file[at] << 8 | file[at + 1]; };
    EXPECT_EQ(word(20 + 22), 5);
    EXPECT_EQ(word(20 + 28), 1) << "a one-shot sample's loop is one word";
    EXPECT_EQ(word(50 + 22), 4);
    EXPECT_EQ(file[50 + 25], 40);
    EXPECT_EQ(word(50 + 26), 1);
    EXPECT_EQ(word(50 + 28), 3);
    EXPECT_EQ(static_cast<std::int8_t>(file.back()), -3);
}

TEST(Score, MelodiesParseNamesLengthsRestsAndHolds) {
    Segment s = blank("tune", 0.0, 16);
    Writer w(s);
    EXPECT_EQ(w.melody(0, LEAD, Lead, "c#5:2 _:2 -:4 bb4:4 a4:2~"), 14);
    EXPECT_EQ(s.rows[0][LEAD].note, 73 - voice(Lead).midiAtC1);
    EXPECT_EQ(s.rows[0][LEAD].sample, Lead);
    EXPECT_EQ(s.rows[2][LEAD].note, NO_NOTE);  // held
    EXPECT_EQ(s.rows[4][LEAD].effect, SET_VOLUME);
    EXPECT_EQ(s.rows[4][LEAD].param, 0);  // silenced
    EXPECT_EQ(s.rows[8][LEAD].note, 70 - voice(Lead).midiAtC1);
    EXPECT_EQ(s.rows[12][LEAD].note, 69 - voice(Lead).midiAtC1);
    EXPECT_EQ(w.melody(12, LEAD, Lead, "a4:2 b4:2 c5:8"), 16) << "a melody is cut at the segment's end";
    w.melody(0, ECHO, Lead, "a4:4", 40, 2);  // a tone higher, at its own volume
    EXPECT_EQ(s.rows[0][ECHO].note, 71 - voice(Lead).midiAtC1);
    EXPECT_EQ(s.rows[0][ECHO].param, 40);
}

TEST(Score, ANoteWrittenOverASilencePlays) {
    Segment s = blank("break", 0.0, 16);
    Writer w(s);
    w.silenceTones(0);
    w.note(0, PAD, Choir, 57);
    w.hit(0, LEAD, Zap);
    w.note(0, FX, Choir, 64, 20);
    EXPECT_EQ(s.rows[0][PAD].effect, NO_EFFECT);
    EXPECT_EQ(s.rows[0][LEAD].effect, NO_EFFECT);
    EXPECT_EQ(s.rows[0][FX].effect, SET_VOLUME);
    EXPECT_EQ(s.rows[0][FX].param, 20);
    EXPECT_EQ(s.rows[0][BASS].effect, SET_VOLUME);  // still silenced
    EXPECT_EQ(s.rows[0][BASS].param, 0);
}

TEST(Score, NotesOutsideASamplesRangeNameTheirPlace) {
    Segment s = blank("somewhere", 0.0, 16);
    Writer w(s);
    try {
        w.note(5, BASS, Bass, voice(Bass).midiAtC1 + 36);
        FAIL() << "a note above B-3 was written";
    } catch (const std::out_of_range& e) {
        EXPECT_NE(std::string(e.what()).find("somewhere, row 5, channel 1"), std::string::npos) << e.what();
    }
}

TEST(Score, ChordNamesGiveRootsAndIntervals) {
    const auto p = chords("Am Bb F#7 Cmaj7 Dm7 Gsus");
    ASSERT_EQ(p.size(), 6u);
    EXPECT_EQ(p[0].root, 9);
    EXPECT_EQ(p[0].intervals, (std::vector<int>{0, 3, 7}));
    EXPECT_EQ(p[1].root, 10);
    EXPECT_EQ(p[2].root, 6);
    EXPECT_EQ(p[2].intervals, (std::vector<int>{0, 4, 7, 10}));
    EXPECT_EQ(p[3].intervals.back(), 11);
    EXPECT_EQ(p[5].intervals, (std::vector<int>{0, 5, 7}));
    EXPECT_EQ(p[0].tone(3), 9 + 12);  // counting on through the octave
    EXPECT_EQ(above(9, 57), 57);
    EXPECT_EQ(above(0, 57), 60);
    EXPECT_THROW(chords("Hm"), std::invalid_argument);
}

TEST(Score, SectionsStartFromSilenceButKeepWhatTheyPlay) {
    Segment s = blank("next", 0.0, 16);
    Writer w(s);
    w.note(0, BASS, Bass, 45);
    w.clearCarryOver();
    EXPECT_EQ(s.rows[0][BASS].effect, NO_EFFECT);
    for (int ch : {LEAD, ECHO, PAD, FX}) EXPECT_EQ(s.rows[0][ch].effect, SET_VOLUME) << ch;
    for (int ch : {KICK, HATS, SNARE}) EXPECT_EQ(s.rows[0][ch].effect, NO_EFFECT) << "drum channel " << ch;
}

// The pitches a pad cell sounds: its chord sample's shape over the note.
std::vector<int> padVoices(const Cell& c) {
    const int low = c.note + voice(static_cast<SampleId>(c.sample)).midiAtC1;
    const int index = c.sample - PadMajor;
    const int* shape = TRIAD_SHAPES[index / 3][index % 3];
    return {low + shape[0], low + shape[1], low + shape[2]};
}

TEST(Score, PadsVoiceEachTriadNearTheLastAndColourItOnAnotherChannel) {
    Segment s = blank("pads", 0.0, 8 * BAR);
    Writer w(s);
    const auto p = chords("Am7 Fmaj7 Cadd9 G Am7 Fmaj7 G E7");
    w.pads(0, 8, p, 1, 55, FX, Pad);
    std::vector<int> last;
    for (int bar = 0; bar < 8; ++bar) {
        const Cell& c = s.rows[bar * BAR][PAD];
        ASSERT_GE(c.sample, PadMajor);
        ASSERT_LE(c.sample, PadMinor64);
        const std::vector<int> v = padVoices(c);
        std::vector<int> classes, expected;
        for (int pitch : v) classes.push_back(pitch % 12);
        for (int i = 0; i < 3; ++i) expected.push_back((p[bar].root + p[bar].intervals[i]) % 12);
        std::sort(classes.begin(), classes.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(classes, expected) << "bar " << bar << " sounds another chord";
        EXPECT_GE(v[0], 55);
        if (!last.empty()) {
            for (int i = 0; i < 3; ++i) EXPECT_LE(std::abs(v[i] - last[i]), 4) << "a voice leaps in bar " << bar;
            EXPECT_EQ(c.effect, SAMPLE_OFFSET) << "a later chord joins the one before";
        }
        last = v;
        const Cell& colour = s.rows[bar * BAR][FX];
        if (p[bar].intervals.size() > 3) {
            ASSERT_NE(colour.note, NO_NOTE) << "bar " << bar;
            const int pitch = colour.note + voice(Pad).midiAtC1;
            EXPECT_EQ(pitch % 12, (p[bar].root + p[bar].intervals[3]) % 12);
            EXPECT_LE(std::abs(pitch - v[1]), 12);
        } else {
            EXPECT_EQ(colour.effect, SET_VOLUME) << "no colour over a plain triad";
            EXPECT_EQ(colour.param, 0);
        }
    }
}

TEST(Score, BassLinesWalkIntoTheNextChordByAHalfStep) {
    Segment s = blank("walk", 0.0, 2 * BAR);
    Writer w(s);
    // up from A1 to F2 the passing note is a half step below F; back down to A, a half step above
    w.bassLine(0, 2, BASS, Bass, chords("Am F"), 1, "R..............P", 33);
    EXPECT_EQ(s.rows[0][BASS].note + voice(Bass).midiAtC1, 33);
    EXPECT_EQ(s.rows[15][BASS].note + voice(Bass).midiAtC1, 40);
    EXPECT_EQ(s.rows[16][BASS].note + voice(Bass).midiAtC1, 41);
    EXPECT_EQ(s.rows[31][BASS].note + voice(Bass).midiAtC1, 34);
}

TEST(Score, TheSidechainDucksFullKicksOnlyAndComesBack) {
    Segment s = blank("pump", 0.0, BAR);
    Writer w(s);
    w.drums(0, BAR, KICK, Kick, "x...x...g...x...");
    w.note(0, BASS, Bass, 45);
    w.note(5, BASS, Bass, 45, 40);
    w.sidechain(BASS, 50);
    EXPECT_EQ(s.rows[0][BASS].param, voice(Bass).volume / 2);
    EXPECT_EQ(s.rows[1][BASS].param, voice(Bass).volume);
    EXPECT_EQ(s.rows[4][BASS].param, voice(Bass).volume / 2);
    EXPECT_EQ(s.rows[5][BASS].param, 40) << "a note's own volume stays";
    EXPECT_EQ(s.rows[8][BASS].effect, NO_EFFECT) << "a ghost kick pumps nothing";
    EXPECT_EQ(s.rows[12][BASS].param, 20);
    EXPECT_EQ(s.rows[13][BASS].param, 40);
}

const std::vector<Sample>& bank() {
    static const std::vector<Sample> samples = synthesiseSamples();
    return samples;
}

// The lag, near `expected`, at which a looped tone best matches itself.
int bestPeriod(const std::vector<std::int8_t>& data, int from, int length, int expected) {
    int best = 0;
    double bestScore = -1e18;
    for (int lag = expected * 9 / 10; lag <= expected * 11 / 10; ++lag) {
        double score = 0.0;
        for (int i = 0; i < length; ++i) score += data[from + i] * data[from + (i + lag) % length];
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

TEST(Samples, TonesAreTunedToOneAnother) {
    // the tracker note C-1 plays at PAL_CLOCK / 856 samples a second; a tone whose C-1 is MIDI
    // note m repeats every rate / f(m) samples, which rounds to the cycle lengths used
    for (SampleId id : {Bass, SubBass, Acid, Lead, Chip, Pad, Choir}) {
        const Sample& s = bank()[id - 1];
        ASSERT_GT(s.loopLength, 0) << s.name;
        const double hz = 440.0 * std::pow(2.0, (voice(id).midiAtC1 - 69) / 12.0);
        const int expected = static_cast<int>(std::lround(PAL_CLOCK / PERIODS[0] / hz));
        const int period = bestPeriod(s.data, s.loopStart, s.loopLength, expected);
        EXPECT_NEAR(period, expected, expected * 0.02) << s.name;
        EXPECT_EQ(s.loopLength % period, 0) << s.name << ": the loop holds whole cycles";
    }
}

TEST(Samples, LoopsCloseWithoutAJump) {
    for (const Sample& s : bank()) {
        if (s.loopLength == 0) continue;
        int largestStep = 1;
        for (int i = s.loopStart + 1; i < s.loopStart + s.loopLength; ++i)
            largestStep = std::max(largestStep, std::abs(s.data[i] - s.data[i - 1]));
        const int seam = std::abs(s.data[s.loopStart] - s.data[s.loopStart + s.loopLength - 1]);
        EXPECT_LE(seam, largestStep) << s.name;
    }
}

TEST(Samples, PadChordsHoldTheTriadsTheyAreNamedFor) {
    // the loop holds 128 cycles of the lowest tone: a tone s semitones above runs about
    // 128 * 2^(s/12) cycles, with detuned copies one cycle either side
    for (int id = PadMajor; id <= PadMinor64; ++id) {
        const Sample& s = bank()[id - 1];
        ASSERT_EQ(s.loopLength, 32 * 128) << s.name;
        auto strength = [&](int semitones) {
            const int centre = static_cast<int>(std::lround(128 * std::pow(2.0, semitones / 12.0)));
            double sum = 0.0;
            for (int k = centre - 1; k <= centre + 1; ++k) {
                double re = 0.0, im = 0.0;
                for (int i = 0; i < s.loopLength; ++i) {
                    re += s.data[s.loopStart + i] * std::cos(6.283185307179586 * k * i / s.loopLength);
                    im += s.data[s.loopStart + i] * std::sin(6.283185307179586 * k * i / s.loopLength);
                }
                sum += std::hypot(re, im);
            }
            return sum;
        };
        const int* shape = TRIAD_SHAPES[(id - PadMajor) / 3][(id - PadMajor) % 3];
        double weakestChordTone = 1e18, strongestOther = 0.0;
        for (int semitones = 0; semitones <= 11; ++semitones) {
            const bool chordTone = std::find(shape, shape + 3, semitones) != shape + 3;
            if (chordTone) weakestChordTone = std::min(weakestChordTone, strength(semitones));
            else strongestOther = std::max(strongestOther, strength(semitones));
        }
        EXPECT_GT(weakestChordTone, 4 * strongestOther) << s.name;
    }
}

TEST(Samples, OneShotsFadeToSilenceAndTheReverseCrashPeaksAtItsEnd) {
    for (int id = 1; id <= SAMPLE_COUNT; ++id) {
        const Sample& s = bank()[id - 1];
        if (s.loopLength > 0) continue;
        // the last millisecond at the fastest rate the sample plays at: B-3 for everything but the
        // drums tuned to lower notes
        const int trigger = voice(static_cast<SampleId>(id)).trigger;
        const double rate = noteRate(trigger >= 0 ? trigger : NOTE_COUNT - 1);
        const int tail = static_cast<int>(rate / 1000.0);
        int peak = 0, end = 0;
        for (std::size_t i = 0; i < s.data.size(); ++i) {
            peak = std::max(peak, std::abs(s.data[i]));
            if (i + tail >= s.data.size()) end = std::max(end, std::abs(s.data[i]));
        }
        EXPECT_LE(end * 100, peak) << s.name << " stops while still sounding";
    }
    const Sample& reverse = bank()[ReverseCrash - 1];
    const double rate = noteRate(voice(ReverseCrash).trigger);
    const double fromEndMs = (reverse.data.size() - peakIndex(reverse)) * 1000.0 / rate;
    EXPECT_LT(fromEndMs, 30.0) << "the reverse crash swells to its strike at the end";
    EXPECT_GT(fromEndMs, 5.0) << "and closes after it without a click";
}

TEST(Samples, FitTheFormatAndUseTheirRange) {
    ASSERT_EQ(bank().size(), static_cast<std::size_t>(SAMPLE_COUNT));
    for (const Sample& s : bank()) {
        EXPECT_EQ(s.data.size() % 2, 0u) << s.name;
        EXPECT_LE(s.data.size(), 2u * 0xFFFF) << s.name;
        EXPECT_LE(s.name.size(), 22u);
        EXPECT_GE(s.volume, 1);
        EXPECT_LE(s.volume, 64);
        const auto [lo, hi] = std::minmax_element(s.data.begin(), s.data.end());
        EXPECT_GE(std::max(-*lo, static_cast<int>(*hi)), 120) << s.name << " wastes its eight bits";
        if (s.loopLength == 0) {
            EXPECT_EQ(s.data[0] | s.data[1], 0) << s.name << ": a one-shot starts silent";
        }
    }
    EXPECT_EQ(synthesiseSamples()[Snare - 1].data, bank()[Snare - 1].data) << "noise is seeded";
}

}  // namespace
}  // namespace composer
