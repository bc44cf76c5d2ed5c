#pragma once
// What the sections are written with: a writer over a segment's rows, chords, drum grids with
// accents and ghost notes, fills, melodies in a small text notation, voice-led pad chords, and
// bass lines that walk from chord to chord.

#include <string>
#include <vector>

#include "samples.h"
#include "song.h"

namespace composer {

constexpr int BAR = 16;  // rows in a bar: four beats of four sixteenths

// Channels by role. The kick, the bass and the snare sit in the middle; the others are spread
// (see the song's panning).
enum Channel : int { KICK = 0, BASS = 1, HATS = 2, SNARE = 3, LEAD = 4, ECHO = 5, PAD = 6, FX = 7 };

// A chord: a root (MIDI pitch class, C = 0) and the intervals above it.
struct Chord {
    int root;
    std::vector<int> intervals;  // always starts with 0; a fourth entry is the colour a pad adds
    int tone(int i) const;       // i-th chord tone counting upward through octaves
    bool minor() const { return intervals[1] == 3; }
};

// "Am F C G E7 Dm7 Fmaj7 Cadd9 Em9 Gsus": one chord per name; flats as "Bb".
std::vector<Chord> chords(const std::string& names);

// MIDI number of a pitch class at or above a floor.
int above(int pitchClass, int floor);

// A drum kit's part: one grid per voice, as for Writer::drums; an empty grid plays nothing.
struct Beat {
    std::string kick;
    std::string snare;
    std::string hats;
    std::string openHats = "";
    SampleId snareSample = Snare;
};

// Fills on the snare channel over the last beats of a bar.
enum class Fill {
    Roll,     // sixteenths growing from a whisper to an accent
    Toms,     // toms falling in pitch, the kick under the last
    Flams,    // accents with ghost notes between them
    Stutter,  // the snare retriggered ever faster
    Drop,     // kick and hats stop; one snare on the last offbeat
};

class Writer {
public:
    explicit Writer(Segment& segment) : segment(segment), rows(segment.rows) {}
    int length() const { return static_cast<int>(rows.size()); }

    // A pitched note (MIDI number) or a drum; volume 0..64 adds a Cxx, -1 keeps the default. A
    // drum can be tuned `semitones` away from the note it was rendered for.
    void note(int row, int ch, SampleId s, int midi, int volume = -1);
    void hit(int row, int ch, SampleId s, int volume = -1, int semitones = 0);
    void effect(int row, int ch, int effect, int param);
    void silence(int row, int ch) { effect(row, ch, SET_VOLUME, 0); }
    // Silences the channels that hold looping tones.
    void silenceTones(int row);
    // Empties a cell: no note, no effect.
    void clear(int row, int ch) { at(row, ch) = Cell{}; }

    // One character per row, repeated to fill `count` rows: X = accent, x = hit at `volume` (the
    // sample's own when -1), o = two thirds of it, g = a third (a ghost note), . = nothing.
    void drums(int row, int count, int ch, SampleId s, const std::string& grid, int volume = -1);

    // The kick, snare and hat grids of a beat together, on their channels.
    void beat(int row, int count, const Beat& b);

    // A fill over the last `beats` beats of the bar starting at `row`; what the snare channel held
    // there gives way.
    void fill(int row, Fill kind, int beats = 1);

    // A melody: "a4:3 c#5:2 -:4 _:2", name and octave then length in rows; "-" silences the
    // channel, "_" holds. A "~" after the length adds vibrato to the held rows. Every note moves
    // by `transpose` semitones. Returns the row after the last note.
    int melody(int row, int ch, SampleId s, const std::string& line, int volume = -1, int transpose = 0);

    // Copies the notes of one channel into another, `delay` rows later and at `volume`: the
    // stereo echo of a lead.
    void echo(int from, int to, int first, int last, int delay, int volume);

    // A second voice under a melody: each note of channel `from` is copied to `to` as the nearest
    // tone of the chord of its bar that lies at least a minor third below it.
    void harmony(int from, int to, int first, int last, const std::vector<Chord>& p, int barsPerChord, int volume);

    // A bass figure over a chord progression, `barsPerChord` bars a chord, from `row` for `bars`
    // bars, one character a row: R root, O octave, F fifth, f fifth below, T third, S seventh,
    // N the step above the root, P the note a half step from the next bar's root on the side
    // it comes from (a passing note into it), lower case for the same note soft, - silence.
    // Roots sit at or above `floor`; `volume` (if not -1) replaces the sample's own.
    void bassLine(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                  const std::string& figure, int floor = 33, int volume = -1);

    // Pad chords on PAD, `barsPerChord` bars a chord: each triad in the inversion closest to the
    // one before, so that the voices move by steps, its lowest note at or above `floor`. A chord's
    // fourth tone (a seventh, a ninth) goes to `colourChannel` (if not -1) on `colourSample`,
    // kept near the one before. Later chords start into their attack, so that they join.
    void pads(int row, int bars, const std::vector<Chord>& p, int barsPerChord, int floor = 55, int colourChannel = -1,
              SampleId colourSample = Pad);
    // The pads' next chord starts afresh, with its full attack and in the middle of the register.
    void resetVoicing() {
        lastVoicing.clear();
        lastColour = -1;
    }

    void arpeggio(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                  const std::string& steps, int floor, int volume = -1);
    void chipChords(int row, int bars, int ch, const std::vector<Chord>& p, int barsPerChord, int floor);

    // Fades a channel out over `count` rows: enough one-step volume slides, spread evenly.
    void fadeOut(int row, int count, int ch);
    // Sets a channel's volume from `from` to `to` in steps at every bar over `bars` bars.
    void swellVolume(int row, int bars, int ch, int from, int to);
    // A noise riser: `sample` from `midi` climbing to the top of the period table by the end of
    // `count` rows, louder at every bar from `fromVolume` to `toVolume`.
    void riser(int row, int count, int ch, SampleId s, int midi, int fromVolume, int toVolume);
    // A reverse cymbal on `ch` that peaks just before `row` begins (placed once timing is known).
    void swell(int row, int ch) { segment.swells.push_back({row, ch}); }
    // Pumps a channel with the kick: on every row where a full kick (or impact) strikes, the
    // channel drops to `percent` of its volume, and comes back on the next row. Rows whose effect
    // slot is taken keep their volume.
    void sidechain(int ch, int percent);
    // Silences every tonal channel that the first row neither plays nor touches: a section starts
    // from what it plays itself, whatever rang on from the section before.
    void clearCarryOver();
    // The segment's last `count` rows hold their breath: the drums and every tone stop there, so
    // that the next chapter's first beat lands out of a hush.
    void rest(int count);

private:
    Cell& at(int row, int ch);
    [[noreturn]] void fault(int row, int ch, const std::string& what) const;
    Segment& segment;
    std::vector<Row>& rows;
    std::vector<int> lastVoicing;  // the pads' last chord, lowest note first
    int lastColour = -1;
};

}  // namespace composer
