// Drums and noises: kick, snare, clap, hats, cymbals, tom, the noise sweep, the impact and the zap.

#include "samples_synth.h"

#include <cmath>

#include "dsp.h"

namespace composer {

std::vector<float> kick(double rate) {
    const int n = static_cast<int>(rate * 0.42);
    std::vector<float> out(n);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        const double hz = 46.0 + 140.0 * std::exp(-t / 0.035);  // the pitch drop is the punch
        phase += TAU * hz / rate;
        const float body = static_cast<float>(std::sin(phase)) * envelope(t, 0.16);
        const float click = (i < rate * 0.004) ? 0.6f * static_cast<float>(1.0 - i / (rate * 0.004)) : 0.0f;
        out[i] = std::tanh(1.6f * body) + click * (i % 2 ? -1.0f : 1.0f);
    }
    return out;
}

std::vector<float> snare(double rate) {
    const int n = static_cast<int>(rate * 0.30);
    std::vector<float> out(n);
    Noise noise(0x5A4E);
    OnePole hp;
    hp.setCutoff(1200.0, rate);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        phase += TAU * (180.0 + 60.0 * std::exp(-t / 0.02)) / rate;
        const float body = 0.7f * static_cast<float>(std::sin(phase)) * envelope(t, 0.05);
        const float rattle = hp.highpass(noise.next()) * envelope(t, 0.09);
        out[i] = body + 1.1f * rattle;
    }
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
    const int n = static_cast<int>(rate * 0.4);
    std::vector<float> out(n);
    double phase = 0.0;
    Noise noise(0x7033);
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        phase += TAU * (110.0 + 70.0 * std::exp(-t / 0.06)) / rate;
        out[i] = (static_cast<float>(std::sin(phase)) + 0.08f * noise.next()) * envelope(t, 0.14);
    }
    return out;
}

std::vector<float> impact(double rate) {
    const int n = static_cast<int>(rate * 1.6);
    std::vector<float> out(n);
    Noise noise(0x1A9C);
    OnePole lp;
    lp.setCutoff(900.0, rate);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        phase += TAU * (38.0 + 90.0 * std::exp(-t / 0.08)) / rate;
        out[i] = std::tanh(2.0f * static_cast<float>(std::sin(phase)) * envelope(t, 0.5)) +
                 0.6f * lp.lowpass(noise.next()) * envelope(t, 0.25);
    }
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
