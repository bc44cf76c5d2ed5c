#pragma once
// The module's instrument bank: every sample is synthesised here, none is recorded.

#include <cstdint>
#include <string>
#include <vector>

namespace composer {

// Sample numbers as the patterns use them (1-based, as in the format).
enum SampleId : int {
    Kick = 1,
    Snare,
    Clap,
    HatClosed,
    HatOpen,
    Crash,
    Ride,
    Tom,
    NoiseSweep,
    ReverseCrash,
    Bass,
    SubBass,
    Acid,
    Lead,
    Chip,
    Pluck,
    Pad,
    Bell,
    Choir,
    Impact,
    Zap,
    PadMajor,
    PadMajor6,
    PadMajor64,
    PadMinor,
    PadMinor6,
    PadMinor64,
    StabMinor,
    StabMajor,
    Shaker,
    RideBright,
    SAMPLE_COUNT = RideBright
};

// The pad chords: major and minor triads in root position, first and second inversion, as
// semitones above their lowest note, which sounds at the sample's pitch.
constexpr int TRIAD_SHAPES[2][3][3] = {{{0, 4, 7}, {0, 3, 8}, {0, 5, 9}}, {{0, 3, 7}, {0, 4, 9}, {0, 5, 8}}};
constexpr SampleId padChord(bool minor, int inversion) {
    return static_cast<SampleId>(PadMajor + 3 * (minor ? 1 : 0) + inversion);
}

// How the score plays a sample. Tonal samples: `midiAtC1` is the pitch (MIDI number) of the
// tracker note C-1. Drums are rendered for one tracker note, `trigger`, and played there (toms
// also a few semitones around it).
struct Voice {
    int midiAtC1;
    int trigger;  // tracker note index 0..35, or -1 for tonal samples
    int volume;   // default volume 0..64: the mix
};

const Voice& voice(SampleId id);

struct Sample {
    std::string name;
    std::vector<std::int8_t> data;  // even length
    int loopStart = 0;              // bytes, even
    int loopLength = 0;             // bytes, even; 0 for a one-shot sample
    int volume = 64;
};

// The whole bank, index 0 holding sample 1.
std::vector<Sample> synthesiseSamples();

// Playback rate of a tracker note (0 = C-1) on a PAL machine, in samples per second.
double noteRate(int note);

}  // namespace composer
