#pragma once
// The synthesisers behind the bank, one function per instrument (float signals before PCM).

#include <vector>

namespace composer {

struct LoopedTone {
    std::vector<float> signal;
    int loopStart;   // samples
    int loopLength;  // samples; 0 for a one-shot
};

// Drums are rendered at the playback rate of the note that triggers them.
std::vector<float> kick(double rate);
std::vector<float> snare(double rate);
std::vector<float> clap(double rate);
std::vector<float> hat(double rate, bool open);
std::vector<float> shaker(double rate);
std::vector<float> crash(double rate);
// `rounded` as the other cymbals; the credits' ride keeps its top octave whole, for the ray
// caster, which lights its rays by the highs of its ringing.
std::vector<float> ride(double rate, bool rounded);
std::vector<float> reverseCrash(double rate);
std::vector<float> tom(double rate);
std::vector<float> impact(double rate);
std::vector<float> zap(double rate);
std::vector<float> noiseSweep(int length);

LoopedTone bass();
LoopedTone subBass();
LoopedTone acid();
LoopedTone lead();
LoopedTone chip();
LoopedTone pluck();
LoopedTone pad();
// A pad chord: tones at these semitones above the lowest, which sounds at the sample's pitch.
LoopedTone padTriad(const std::vector<int>& semitones);
// A struck chord of root, third, fifth and octave.
LoopedTone stab(bool minor);
LoopedTone choir();
LoopedTone bell();

double noteRate(int note);

}  // namespace composer
