// Drums and noises: kick, snare, clap, hats, cymbals, tom, the noise sweep, the impact and the zap.

#include "samples_synth.h"

#include <cmath>

#include "dsp.h"

namespace composer {

namespace {

// A decaying sine whose pitch falls from low + drop Hz to low Hz with time constant `fall`:
// the body of the kick, the toms, the snare and the impact.
std::vector<float> fallingSine(double rate, double seconds, double low, double drop, double fall, double decay) {
    std::vector<float> out(static_cast<std::size_t>(rate * seconds));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = i / rate;
        phase += TAU * (low + drop * std::exp(-t / fall)) / rate;
        out[i] = static_cast<float>(std::sin(phase)) * envelope(t, decay);
    }
    return out;
}

// Adds decaying noise through a one-pole filter: high-passed it rattles, low-passed it rumbles.
void addNoise(std::vector<float>& out, double rate, std::uint32_t seed, double cutoff, bool high, float gain,
              double decay) {
    Noise noise(seed);
    OnePole filter;
    filter.setCutoff(cutoff, rate);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float n = noise.next();
        out[i] += gain * (high ? filter.highpass(n) : filter.lowpass(n)) * envelope(i / rate, decay);
    }
}

}  // namespace

std::vector<float> kick(double rate) {
    std::vector<float> out = fallingSine(rate, 0.42, 46.0, 140.0, 0.035, 0.16);  // the pitch drop is the punch
    const double clickLength = rate * 0.004;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float click = i < clickLength ? 0.6f * static_cast<float>(1.0 - i / clickLength) : 0.0f;
        out[i] = std::tanh(1.6f * out[i]) + click * (i % 2 ? -1.0f : 1.0f);
    }
    return out;
}

std::vector<float> snare(double rate) {
    std::vector<float> out = fallingSine(rate, 0.30, 180.0, 60.0, 0.02, 0.05);
    for (float& s : out) s *= 0.7f;
    addNoise(out, rate, 0x5A4E, 1200.0, true, 1.1f, 0.09);
    return out;
}

std::vector<float> clap(double rate) {
    const int n = static_cast<int>(rate * 0.35);
    std::vector<float> out(n);
    Noise noise(0xC1A9);
    StateVariable bp;
    bp.set(1300.0, 2.5, rate);
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        // three quick hand slaps, then the room's tail
        double env = envelope(std::fmod(t, 0.011), 0.003);
        if (t >= 0.033) env = envelope(t - 0.033, 0.08);
        bp.run(noise.next());
        out[i] = bp.band * static_cast<float>(env);
    }
    return out;
}

// Six detuned square waves through a band-pass: the metallic ring of an analogue cymbal.
static std::vector<float> metal(double rate, double seconds, double decay, double brightness, std::uint32_t seed) {
    static const double partials[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    const int n = static_cast<int>(rate * seconds);
    std::vector<float> out(n);
    Noise noise(seed);
    OnePole hp;
    hp.setCutoff(brightness, rate);
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        float ring = 0.0f;
        for (double p : partials) ring += std::sin(TAU * p * 1.7 * t) > 0.0 ? 0.16f : -0.16f;
        out[i] = hp.highpass(0.55f * ring + 0.8f * noise.next()) * envelope(t, decay);
    }
    return out;
}

std::vector<float> hat(double rate, bool open) {
    return open ? metal(rate, 0.45, 0.12, 7000.0, 0x0BE1) : metal(rate, 0.09, 0.022, 7500.0, 0xC105);
}

std::vector<float> crash(double rate) { return metal(rate, 1.9, 0.6, 3500.0, 0xC4A5); }

std::vector<float> ride(double rate) {
    std::vector<float> out = metal(rate, 0.8, 0.35, 5000.0, 0x41DE);
    for (std::size_t i = 0; i < out.size(); ++i)  // the bell of the ride: a clear high ping
        out[i] += 0.35f * static_cast<float>(std::sin(TAU * 3150.0 * i / rate)) * envelope(i / rate, 0.25);
    return out;
}

std::vector<float> reverseCrash(double rate) {
    std::vector<float> out = crash(rate);
    out.resize(static_cast<std::size_t>(rate * 1.4));
    for (std::size_t i = 0; i < out.size(); ++i) out[i] *= static_cast<float>(i) / out.size();
    return {out.rbegin(), out.rend()};
}

std::vector<float> tom(double rate) {
    std::vector<float> out = fallingSine(rate, 0.4, 110.0, 70.0, 0.06, 0.14);
    addNoise(out, rate, 0x7033, 6000.0, false, 0.08f, 0.14);
    return out;
}

std::vector<float> impact(double rate) {
    std::vector<float> out = fallingSine(rate, 1.6, 38.0, 90.0, 0.08, 0.5);
    for (float& s : out) s = std::tanh(2.0f * s);
    addNoise(out, rate, 0x1A9C, 900.0, false, 0.6f, 0.25);
    return out;
}

std::vector<float> zap(double rate) {
    const int n = static_cast<int>(rate * 0.35);
    std::vector<float> out(n);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        phase += TAU * (120.0 + 3200.0 * std::exp(-t / 0.05)) / rate;
        out[i] = (std::sin(phase) > 0.0 ? 0.8f : -0.8f) * envelope(t, 0.1);
    }
    return out;
}

// Loopable white noise, slightly darkened; the score sweeps its pitch for risers.
std::vector<float> noiseSweep(int length) {
    std::vector<float> out(length);
    Noise noise(0x5EE9);
    float previous = 0.0f;
    for (float& s : out) {
        const float x = noise.next();
        s = 0.6f * x + 0.4f * previous;
        previous = x;
    }
    return out;
}

}  // namespace composer
