// Pitched samples, built additively from whole cycles so that every loop closes without a click
// and all instruments share one tuning (their cycle lengths are powers of two).

#include "samples_synth.h"

#include <cmath>
#include <functional>

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

// A loop of `period * k` samples holding detuned copies of one tone: a copy that runs k + d
// cycles in the loop is detuned by d / k, and the loop still closes exactly.
std::vector<float> chorusLoop(int period, int k, std::initializer_list<int> detunes,
                              const std::function<double(int)>& spectrum) {
    const int length = period * k;
    std::vector<float> out(length);
    int copy = 0;
    for (int d : detunes) {
        const int cycles = k + d;
        for (int h = 1; static_cast<double>(cycles) * h / length < 0.45; ++h) {
            const double a = spectrum(h);
            const double offset = 1.7 * copy * h;  // spread the copies' phases so they do not peak together
            for (int i = 0; i < length; ++i)
                out[i] += static_cast<float>(a * std::sin(TAU * cycles * h * i / length + offset));
        }
        ++copy;
    }
    return out;
}

double lowpass(int h, double cutoff, int order) { return 1.0 / (1.0 + std::pow(h / cutoff, order)); }

double constant(double) { return 1.0; }

}  // namespace

LoopedTone bass() {
    // bright at the pluck, settling into a round saw: the last cycle is the loop
    const int cycles = 24;
    auto tone = morphingCycles(128, cycles, [](int h, double x) {
        return lowpass(h, 7.0 + 20.0 * (1.0 - x) * (1.0 - x), 4) / h;
    }, constant);
    return {tone, (cycles - 1) * 128, 128};
}

LoopedTone subBass() {
    auto tone = morphingCycles(128, 1, [](int h, double) {
        return h == 1 ? 1.0 : h == 2 ? 0.22 : h == 3 ? 0.08 : 0.0;
    }, constant);
    return {tone, 0, 128};
}

LoopedTone acid() {
    // a square with a resonant peak that closes over the first sixteen cycles
    const int cycles = 16;
    auto tone = morphingCycles(64, cycles, [](int h, double x) {
        const double cut = 4.0 + 12.0 * (1.0 - x);
        const double body = ((h % 2) ? 1.0 : 0.2) / h * lowpass(h, cut, 6);
        const double peak = 0.5 * std::exp(-std::pow((h - cut) / 1.5, 2.0)) / std::sqrt(h);
        return body + peak;
    }, constant);
    return {tone, (cycles - 1) * 64, 64};
}

LoopedTone lead() {
    auto tone = chorusLoop(32, 128, {0, 1, -1}, [](int h) { return lowpass(h, 11.0, 2) / h; });
    return {tone, 0, static_cast<int>(tone.size())};
}

LoopedTone chip() {
    // a 25% pulse, the classic arpeggio voice
    auto tone = morphingCycles(32, 1, [](int h, double) { return std::sin(3.14159265358979 * h * 0.25) / h; }, constant);
    return {tone, 0, 32};
}

LoopedTone pluck() {
    auto tone = morphingCycles(32, 160, [](int h, double x) {
        return lowpass(h, 2.0 + 14.0 * std::exp(-6.0 * x), 3) / h;
    }, [](double x) { return std::exp(-5.0 * x); });
    return {tone, 0, 0};
}

LoopedTone pad() {
    auto loop = chorusLoop(32, 128, {0, 1, -1, 2, -2}, [](int h) { return lowpass(h, 5.0, 4) / std::pow(h, 1.3); });
    // the first pass through the loop fades in, then the loop repeats at full level
    std::vector<float> tone(loop.size() * 2);
    for (std::size_t i = 0; i < loop.size(); ++i) {
        tone[i] = loop[i] * static_cast<float>(i) / loop.size();
        tone[loop.size() + i] = loop[i];
    }
    return {tone, static_cast<int>(loop.size()), static_cast<int>(loop.size())};
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
    return {tone, 0, 0};
}

}  // namespace composer
