// The bank: renders every instrument, converts it to 8-bit PCM and names it.

#include "samples.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "dsp.h"
#include "periods.h"
#include "samples_synth.h"

namespace composer {

namespace {

constexpr int TONAL = -1;
constexpr int C3 = 24;  // tracker note C-3
constexpr int B3 = 35;

// In SampleId order. Default volumes are the mix: kick, bass, leads and pads at full level, the
// snare close under them, hats and cymbals further down; sections set their own where they differ.
constexpr Voice VOICES[SAMPLE_COUNT] = {
    {0, C3, 64},      // Kick
    {0, B3, 60},      // Snare
    {0, B3, 58},      // Clap
    {0, B3, 52},      // HatClosed
    {0, B3, 48},      // HatOpen
    {0, B3, 50},      // Crash
    {0, B3, 44},      // Ride
    {0, C3, 56},      // Tom
    {48, TONAL, 48},  // NoiseSweep (the risers set their own)
    {0, B3, 50},      // ReverseCrash
    {24, TONAL, 64},  // Bass
    {24, TONAL, 64},  // SubBass
    {36, TONAL, 64},  // Acid
    {48, TONAL, 64},  // Lead
    {48, TONAL, 48},  // Chip
    {48, TONAL, 64},  // Pluck
    {48, TONAL, 56},  // Pad
    {48, TONAL, 60},  // Bell
    {36, TONAL, 58},  // Choir
    {0, C3, 64},      // Impact
    {0, C3, 40},      // Zap
    {48, TONAL, 64},  // PadMajor
    {48, TONAL, 64},  // PadMajor6
    {48, TONAL, 64},  // PadMajor64
    {48, TONAL, 64},  // PadMinor
    {48, TONAL, 64},  // PadMinor6
    {48, TONAL, 64},  // PadMinor64
    {48, TONAL, 60},  // StabMinor
    {48, TONAL, 60},  // StabMajor
    {0, B3, 44},      // Shaker
    {0, B3, 44},      // RideBright
};

Sample make(const char* name, const LoopedTone& tone, int id) {
    Sample s;
    s.name = name;
    std::vector<float> signal = tone.signal;
    if (tone.loopLength == 0) signal[0] = signal[1] = 0.0f;  // a one-shot's first word is what idle players repeat
    s.data = toPcm(signal);
    s.volume = VOICES[id - 1].volume;
    s.loopStart = tone.loopStart;
    s.loopLength = tone.loopLength;
    if (s.loopStart % 2 || s.loopLength % 2 || s.loopStart + s.loopLength > static_cast<int>(s.data.size()))
        throw std::logic_error(std::string("loop out of line in ") + name);
    return s;
}

}  // namespace

const Voice& voice(SampleId id) { return VOICES[id - 1]; }

double noteRate(int note) { return PAL_CLOCK / PERIODS.at(note); }

std::vector<std::int8_t> toPcm(const std::vector<float>& signal, double peak) {
    float top = 0.0f;
    for (float s : signal) top = std::max(top, std::fabs(s));
    const double scale = top > 0.0f ? 127.0 * peak / top : 0.0;
    std::vector<std::int8_t> out(signal.size() + signal.size() % 2, 0);
    for (std::size_t i = 0; i < signal.size(); ++i)
        out[i] = static_cast<std::int8_t>(std::lround(std::clamp(signal[i] * scale, -127.0, 127.0)));
    return out;
}

std::vector<Sample> synthesiseSamples() {
    // Low drums play at C-3; everything with highs at B-3, the fastest rate every player knows.
    const double drum = noteRate(C3), bright = noteRate(B3);
    std::vector<Sample> bank;
    const auto oneShot = [](const char* name, std::vector<float> signal, int id) {
        return make(name, LoopedTone{std::move(signal), 0, 0}, id);
    };
    bank.push_back(oneShot("kick", kick(drum), Kick));
    bank.push_back(oneShot("snare", snare(bright), Snare));
    bank.push_back(oneShot("clap", clap(bright), Clap));
    bank.push_back(oneShot("closed hat", hat(bright, false), HatClosed));
    bank.push_back(oneShot("open hat", hat(bright, true), HatOpen));
    bank.push_back(oneShot("crash", crash(bright), Crash));
    bank.push_back(oneShot("ride", ride(bright, true), Ride));
    bank.push_back(oneShot("tom", tom(drum), Tom));
    bank.push_back(make("noise sweep", LoopedTone{noiseSweep(16384), 0, 16384}, NoiseSweep));
    bank.push_back(oneShot("reverse crash", reverseCrash(bright), ReverseCrash));
    bank.push_back(make("bass", bass(), Bass));
    bank.push_back(make("sub bass", subBass(), SubBass));
    bank.push_back(make("acid", acid(), Acid));
    bank.push_back(make("lead", lead(), Lead));
    bank.push_back(make("chip", chip(), Chip));
    bank.push_back(make("pluck", pluck(), Pluck));
    bank.push_back(make("pad", pad(), Pad));
    bank.push_back(make("bell", bell(), Bell));
    bank.push_back(make("choir", choir(), Choir));
    bank.push_back(oneShot("impact", impact(drum), Impact));
    bank.push_back(oneShot("zap", zap(drum), Zap));
    static const char* const PAD_NAMES[2][3] = {{"pad major", "pad major 6", "pad major 6/4"},
                                                {"pad minor", "pad minor 6", "pad minor 6/4"}};
    for (int minor = 0; minor < 2; ++minor)
        for (int inversion = 0; inversion < 3; ++inversion) {
            const auto& shape = TRIAD_SHAPES[minor][inversion];
            bank.push_back(make(PAD_NAMES[minor][inversion], padTriad({shape[0], shape[1], shape[2]}),
                                padChord(minor == 1, inversion)));
        }
    bank.push_back(make("stab minor", stab(true), StabMinor));
    bank.push_back(make("stab major", stab(false), StabMajor));
    bank.push_back(oneShot("shaker", shaker(bright), Shaker));
    bank.push_back(oneShot("bright ride", ride(bright, false), RideBright));
    return bank;
}

}  // namespace composer
