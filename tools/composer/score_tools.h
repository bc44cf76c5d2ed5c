#pragma once
// What the sections are written with: a writer over a segment's rows, chords, drum grids,
// melodies in a small text notation, and the usual bass, pad and arpeggio figures.

#include <string>
#include <vector>

#include "samples.h"
#include "song.h"

namespace composer {

constexpr int BAR = 16;  // rows in a bar: four beats of four sixteenths

// Channels by role; ProTracker pans them left, right, right, left, left, right, right, left.
enum Channel : int { KICK = 0, BASS = 1, HATS = 2, SNARE = 3, LEAD = 4, ECHO = 5, PAD_R = 6, PAD_L = 7 };

// A chord: a root (MIDI pitch class, C = 0) and the intervals above it.
struct Chord {
    int root;
    std::vector<int> intervals;  // always starts with 0
    int tone(int i) const;       // i-th chord tone counting upward through octaves
};

// "Am F C G E7 Dm7 Fmaj7 Gsus": one chord per name.
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

class Writer {
public:
    explicit Writer(Segment& segment) : name(segment.name), rows(segment.rows) {}
    int length() const { return static_cast<int>(rows.size()); }

    // A pitched note (MIDI number) or a drum; volume 0..64 adds a Cxx, -1 keeps the default.
    void note(int row, int ch, SampleId s, int midi, int volume = -1);
    void hit(int row, int ch, SampleId s, int volume = -1);
    void effect(int row, int ch, int effect, int param);
    void silence(int row, int ch) { effect(row, ch, SET_VOLUME, 0); }
    // Silences the channels that hold looping tones; drums ring out by themselves, and their
    // channels keep a free effect slot for the tempo commands.
    void silenceTones(int row);

    // One character per row, repeated to fill `count` rows: x = hit, o = soft hit, . = nothing.
    void drums(int row, int count, int ch, SampleId s, const std::string& grid);

    // The kick, snare and hat grids of a beat together, on their channels.
    void beat(int row, int count, const Beat& b);

    // The last beat of the bar starting at `row` rolls on the snare into the next phrase.
    void turnaround(int row);

    // A bar of fill leading into the next section: the drums given, and the bass pumping the
    // chord's root in eighths, an octave up in the second half, under the pads.
    void fill(int row, const std::string& chord, const Beat& b);

    // A melody: "a4:3 c#5:2 -:4 _:2", name and octave then length in rows; "-" silences the
    // channel, "_" holds. A "~" after the length adds vibrato to the held rows. Returns the row
    // after the last note.
    int melody(int row, int ch, SampleId s, const std::string& line, int volume = -1);

    // Copies the notes of one channel into another, `delay` rows later and at `volume`: the
    // stereo echo of a lead.
    void echo(int from, int to, int first, int last, int delay, int volume);

    // Figures over a chord progression, `barsPerChord` bars per chord, from `row` for `bars` bars.
    void bassLine(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                  const std::string& figure, int floor = 33);
    void padChords(int row, int bars, const std::vector<Chord>& p, int barsPerChord, SampleId s = Pad, int floor = 57);
    void arpeggio(int row, int bars, int ch, SampleId s, const std::vector<Chord>& p, int barsPerChord,
                  const std::string& steps, int floor, int volume = -1);
    void chipChords(int row, int bars, int ch, const std::vector<Chord>& p, int barsPerChord, int floor);

    // Fades a channel out over `count` rows: enough one-step volume slides, spread evenly.
    void fadeOut(int row, int count, int ch);
    // A noise riser: `sample` from `midi` climbing to the top of the period table by the end of
    // `count` rows, louder at every bar from `fromVolume` to `toVolume`.
    void riser(int row, int count, int ch, SampleId s, int midi, int fromVolume, int toVolume);
    // Silences every tonal channel that the first row neither plays nor touches: a section starts
    // from what it plays itself, whatever rang on from the section before.
    void clearCarryOver();

private:
    Cell& at(int row, int ch);
    [[noreturn]] void fault(int row, int ch, const std::string& what) const;
    const std::string& name;
    std::vector<Row>& rows;
};

}  // namespace composer
