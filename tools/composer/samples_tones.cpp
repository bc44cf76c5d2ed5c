// Pitched samples, built additively from whole cycles so that every loop closes without a click
// and all instruments share one tuning (their cycle lengths are powers of two).

#include "samples_synth.h"

#include <cmath>
#include <functional>
#include <numbers>

#include "dsp.h"

namespace composer {

namespace {

using Spectrum = std::function<double(int harmonic, double progress)>;

// `cycles` periods of `period` samples; harmonic h of cycle c has amplitude
// spectrum(h, c / (cycles - 1)) times gain(c / (cycles - 1)). Harmonics stop below Nyquist.
std::vector<float> morphingCycles(int period, int cycles, const Spectrum& spectrum,
                                  const std::function<double(double)>& gain) {
    std::vector<float> out(static_cast<std::size_t>(period) * cycles);
    for (int c = 0; c < cycles; ++c) {
        const double x = cycles > 1 ? static_cast<double>(c) / (cycles - 1) : 1.0;
        const double g = gain(x);
        for (int h = 1; h < period / 2; ++h) {
            const double a = spectrum(h, x) * g;
            if (a == 0.0) continue;
            for (int i = 0; i < period; ++i)
                out[static_cast<std::size_t>(c) * period + i] += static_cast<float>(a * std::sin(TAU * h * i / period));
        }
    }
    return out;
}

// A loop of `length` samples holding detuned copies of several tones: tone v runs cycles[v] times
// in the loop, and a copy detuned by d runs cycles[v] + d times, so the loop still closes exactly.
// Harmonics stop short of the loop's Nyquist limit.
std::vector<float> chordLoop(int length, const std::vector<int>& cycles, std::initializer_list<int> detunes,
                             const std::function<double(int)>& spectrum) {
    std::vector<float> out(length);
    int copy = 0;
    for (int tone : cycles) {
        for (int d : detunes) {
            const int turns = tone + d;
            for (int h = 1; static_cast<double>(turns) * h / length < 0.45; ++h) {
                const double a = spectrum(h);
                const double offset = 1.7 * copy * h;  // spread the copies' phases so they do not peak together
                for (int i = 0; i < length; ++i)
                    out[i] += static_cast<float>(a * std::sin(TAU * turns * h * i / length + offset));
            }
            ++copy;
        }
    }
    return out;
}

// One tone: a loop of `period * k` samples, k cycles of the tone and its detuned copies.
std::vector<float> chorusLoop(int period, int k, std::initializer_list<int> detunes,
                              const std::function<double(int)>& spectrum) {
    return chordLoop(period * k, {k}, detunes, spectrum);
}

// Cycles in a loop of `k` cycles of the lowest tone for a tone `semitones` above it: the nearest
// whole number, within a few cents of equal temperament.
int cyclesAbove(int k, int semitones) { return static_cast<int>(std::lround(k * std::pow(2.0, semitones / 12.0))); }

// The first pass through a loop fades in, then the loop repeats at full level; the loop is
// saturated with `drive` first.
LoopedTone withAttack(std::vector<float> loop, double drive) {
    saturate(loop, drive);
    std::vector<float> tone(loop.size() * 2);
    for (std::size_t i = 0; i < loop.size(); ++i) {
        tone[i] = loop[i] * static_cast<float>(i) / loop.size();
        tone[loop.size() + i] = loop[i];
    }
    return {tone, static_cast<int>(loop.size()), static_cast<int>(loop.size())};
}

double lowpass(int h, double cutoff, int order) { return 1.0 / (1.0 + std::pow(h / cutoff, order)); }

double constant(double) { return 1.0; }

double padColour(int h) { return lowpass(h, 6.0, 4) / std::pow(h, 1.3); }

}  // namespace

LoopedTone bass() {
    // bright at the pluck, settling into a round saw: the last cycle is the loop
    const int cycles = 24;
    auto tone = morphingCycles(
        128, cycles, [](int h, double x) { return lowpass(h, 7.0 + 20.0 * (1.0 - x) * (1.0 - x), 4) / h; }, constant);
    saturate(tone, 1.8);
    return {tone, (cycles - 1) * 128, 128};
}

LoopedTone subBass() {
    auto tone = morphingCycles(
        128, 1, [](int h, double) { return h == 1   ? 1.0
                                           : h == 2 ? 0.22
                                           : h == 3 ? 0.08
                                                    : 0.0; }, constant);
    return {tone, 0, 128};
}

LoopedTone acid() {
    // a square with a resonant peak that closes over the first sixteen cycles, then driven hard:
    // the loop buzzes with harmonics up to the top of its rate
    const int cycles = 16;
    auto tone = morphingCycles(
        64, cycles,
        [](int h, double x) {
            const double cut = 10.0 + 16.0 * (1.0 - x);
            const double body = ((h % 2) ? 1.0 : 0.2) / h * lowpass(h, cut, 4);
            const double peak = 0.5 * std::exp(-std::pow((h - cut) / 2.0, 2.0)) / std::sqrt(h);
            return body + peak;
        },
        constant);
    saturate(tone, 2.5);
    return {tone, (cycles - 1) * 64, 64};
}

LoopedTone lead() {
    auto tone = chorusLoop(32, 128, {0, 1, -1}, [](int h) { return lowpass(h, 11.0, 2) / h; });
    saturate(tone, 2.0);
    return {tone, 0, static_cast<int>(tone.size())};
}

LoopedTone chip() {
    // a 25% pulse, the classic arpeggio voice
    auto tone = morphingCycles(
        32, 1, [](int h, double) { return std::sin(std::numbers::pi * h * 0.25) / h; }, constant);
    return {tone, 0, 32};
}

LoopedTone pluck() {
    auto tone = morphingCycles(
        32, 160, [](int h, double x) { return lowpass(h, 2.0 + 14.0 * std::exp(-6.0 * x), 3) / h; },
        [](double x) { return std::exp(-5.0 * x); });
    fadeTail(tone, 0.1, static_cast<double>(tone.size()));  // the last tenth
    return {tone, 0, 0};
}

LoopedTone pad() { return withAttack(chorusLoop(32, 128, {0, 1, -1, 2, -2}, padColour), 2.0); }

LoopedTone padTriad(const std::vector<int>& semitones) {
    std::vector<int> cycles;
    for (int s : semitones) cycles.push_back(cyclesAbove(128, s));
    return withAttack(chordLoop(32 * 128, cycles, {0, 1, -1}, padColour), 2.2);
}

LoopedTone stab(bool minor) {
    // a bright detuned-saw chord with its octave, struck and dying away: root, third, fifth, octave
    const std::vector<int> cycles = {128, cyclesAbove(128, minor ? 3 : 4), cyclesAbove(128, 7), 256};
    auto loop = chordLoop(32 * 128, cycles, {0, 1, -1}, [](int h) { return lowpass(h, 12.0, 2) / h; });
    saturate(loop, 3.0);
    std::vector<float> tone(loop.size() * 3);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = loop[i % loop.size()] * static_cast<float>(std::exp(-2.5 * i / tone.size()));
    fadeTail(tone, 0.25, static_cast<double>(tone.size()));  // the last quarter
    return {tone, 0, 0};
}

LoopedTone choir() {
    // an "aah": harmonics weighted by three vowel formants, as heard around A-2
    const double fundamental = noteRate(21) / 64.0;
    auto tone = chorusLoop(64, 64, {0, 1, -1}, [fundamental](int h) {
        const double f = h * fundamental;
        auto formant = [f](double centre, double width, double gain) {
            return gain * std::exp(-std::pow((f - centre) / width, 2.0));
        };
        return (formant(750.0, 160.0, 1.0) + formant(1200.0, 200.0, 0.6) + formant(2600.0, 300.0, 0.25) + 0.05) /
               std::sqrt(h);
    });
    saturate(tone, 1.8);
    return {tone, 0, static_cast<int>(tone.size())};
}

LoopedTone bell() {
    // two-operator FM at the rate of C-3; the modulation index falls as the bell rings out
    const double rate = noteRate(24);
    const double f = rate / 32.0;
    const int n = static_cast<int>(rate * 1.3);
    std::vector<float> tone(n);
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        const double index = 2.5 * std::exp(-t / 0.25);
        tone[i] = static_cast<float>(std::sin(TAU * f * t + index * std::sin(TAU * 3.5 * f * t))) * envelope(t, 0.45);
    }
    fadeTail(tone, 0.3, rate);
    return {tone, 0, 0};
}

}  // namespace composer
