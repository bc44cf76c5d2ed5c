#pragma once
// Small signal helpers shared by the sample synthesisers: a seeded noise source, one-pole
// filters, and the conversion of a float signal to the module's 8-bit PCM.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace composer {

constexpr double TAU = 6.283185307179586;

// xorshift32: the same seed gives the same noise on every machine, so the module is reproducible.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed ? seed : 1u) {}
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }

private:
    std::uint32_t state;
};

class OnePole {
public:
    // coefficient from a cutoff in Hz at the given sample rate
    void setCutoff(double hz, double rate) { a = static_cast<float>(1.0 - std::exp(-TAU * hz / rate)); }
    float lowpass(float x) { return y += a * (x - y); }
    float highpass(float x) { return x - lowpass(x); }

private:
    float a = 1.0f;
    float y = 0.0f;
};

// Chamberlin state-variable filter: band-pass for claps and toms, resonant low-pass for sweeps.
class StateVariable {
public:
    void set(double hz, double q, double rate) {
        f = static_cast<float>(2.0 * std::sin(TAU * 0.5 * std::min(hz, rate / 6.0) / rate));
        damp = static_cast<float>(1.0 / q);
    }
    void run(float x) {
        low += f * band;
        high = x - low - damp * band;
        band += f * high;
    }
    float low = 0.0f, band = 0.0f, high = 0.0f;

private:
    float f = 0.1f, damp = 1.0f;
};

inline float envelope(double t, double decaySeconds) { return static_cast<float>(std::exp(-t / decaySeconds)); }

// Fades the last `seconds` of a one-shot to silence along a half cosine, so that the sample ends
// on zero whatever its decay left: a sample that stops while still sounding ticks.
inline void fadeTail(std::vector<float>& signal, double seconds, double rate) {
    const std::size_t n = std::min(signal.size(), static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i + 1) / n;  // 1/n .. 1 from the fade's start to the end
        signal[signal.size() - n + i] *= static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * x));
    }
}

// Soft-clips a signal through tanh after scaling its peak to `drive`: the louder the drive, the
// squarer the wave and the more of its time it spends near full scale (a sample's loudness for
// its peak). The result peaks at 1.
inline void saturate(std::vector<float>& signal, double drive) {
    float top = 0.0f;
    for (float s : signal) top = std::max(top, std::fabs(s));
    if (top == 0.0f) return;
    const double norm = std::tanh(drive);
    for (float& s : signal) s = static_cast<float>(std::tanh(drive * s / top) / norm);
}

// Scales to the given peak (fraction of full scale) and rounds to signed 8 bits; the length is
// made even because the format counts sample lengths in 16-bit words.
std::vector<std::int8_t> toPcm(const std::vector<float>& signal, double peak = 0.99);

}  // namespace composer
