// Drums and noises: kick, snare, clap, hats, shaker, cymbals, tom, the noise sweep, the impact and
// the zap. Every one-shot fades to silence at its end.

#include "samples_synth.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"

namespace composer {

namespace {

// Drums with highs are rounded off above this, as drums sampled for a tracker sound: bright, but
// not a hiss above everything else.
constexpr double TOP_HZ = 6500.0;

// Two one-pole low-passes at TOP_HZ.
void roundTop(std::vector<float>& signal, double rate) {
    OnePole a, b;
    a.setCutoff(TOP_HZ, rate);
    b.setCutoff(TOP_HZ, rate);
    for (float& v : signal) v = b.lowpass(a.lowpass(v));
}

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

// Six detuned square waves and noise through a high-pass: the metallic ring of an analogue cymbal.
std::vector<float> metal(double rate, double seconds, double decay, double brightness, std::uint32_t seed) {
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

}  // namespace

std::vector<float> kick(double rate) {
    // the pitch drop is the punch; the saturation keeps the body loud for its whole length
    std::vector<float> out = fallingSine(rate, 0.40, 54.0, 170.0, 0.03, 0.2);
    const double clickLength = rate * 0.004;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float click = i < clickLength ? 0.6f * static_cast<float>(1.0 - i / clickLength) : 0.0f;
        out[i] = std::tanh(3.5f * out[i]) + click * (i % 2 ? -1.0f : 1.0f);
    }
    fadeTail(out, 0.12, rate);
    return out;
}

std::vector<float> snare(double rate) {
    // two drum-head modes, then the wires: a bright crack and a rattle that outlasts the body
    std::vector<float> out = fallingSine(rate, 0.32, 180.0, 70.0, 0.015, 0.055);
    const std::vector<float> overtone = fallingSine(rate, 0.32, 330.0, 60.0, 0.01, 0.03);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = 0.75f * out[i] + 0.3f * overtone[i];
    addNoise(out, rate, 0x5A4E, 1800.0, true, 1.0f, 0.085);
    addNoise(out, rate, 0x5A4F, 5000.0, true, 0.35f, 0.012);
    saturate(out, 2.5);
    roundTop(out, rate);
    fadeTail(out, 0.08, rate);
    return out;
}

std::vector<float> clap(double rate) {
    const int n = static_cast<int>(rate * 0.35);
    std::vector<float> out(n);
    Noise noise(0xC1A9);
    StateVariable bp;
    bp.set(1300.0, 2.5, rate);
    OnePole air;
    air.setCutoff(5000.0, rate);
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        // three quick hand slaps, then the room's tail
        double env = envelope(std::fmod(t, 0.011), 0.003);
        if (t >= 0.033) env = envelope(t - 0.033, 0.08);
        const float x = noise.next();
        bp.run(x);
        out[i] = (bp.band + 0.25f * air.highpass(x)) * static_cast<float>(env);
    }
    saturate(out, 2.5);
    roundTop(out, rate);
    fadeTail(out, 0.08, rate);
    return out;
}

std::vector<float> hat(double rate, bool open) {
    std::vector<float> out = open ? metal(rate, 0.45, 0.12, 4500.0, 0x0BE1) : metal(rate, 0.09, 0.022, 5000.0, 0xC105);
    saturate(out, 2.0);  // crunchy, as the highs of a tracker mix are
    roundTop(out, rate);
    fadeTail(out, open ? 0.1 : 0.02, rate);
    return out;
}

std::vector<float> shaker(double rate) {
    // a grain of sand: band-passed noise with a soft attack
    const int n = static_cast<int>(rate * 0.08);
    std::vector<float> out(n);
    Noise noise(0x54A4);
    StateVariable bp;
    bp.set(8000.0, 1.2, rate);
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        bp.run(noise.next());
        out[i] = bp.band * static_cast<float>(std::min(1.0, t / 0.006)) * envelope(t, 0.022);
    }
    saturate(out, 3.0);
    fadeTail(out, 0.02, rate);
    return out;
}

std::vector<float> crash(double rate) {
    std::vector<float> out = metal(rate, 2.0, 0.6, 3500.0, 0xC4A5);
    saturate(out, 2.5);
    roundTop(out, rate);
    fadeTail(out, 0.35, rate);
    return out;
}

std::vector<float> ride(double rate, bool rounded) {
    std::vector<float> out = metal(rate, 0.8, 0.35, 5000.0, 0x41DE);
    for (std::size_t i = 0; i < out.size(); ++i)  // the bell of the ride: a clear high ping
        out[i] += 0.12f * static_cast<float>(std::sin(TAU * 3150.0 * i / rate)) * envelope(i / rate, 0.25);
    saturate(out, 2.5);
    if (rounded) roundTop(out, rate);
    fadeTail(out, 0.15, rate);
    return out;
}

std::vector<float> reverseCrash(double rate) {
    // a crash played backwards: it swells from silence to the cymbal's strike at its very end,
    // then closes within twenty milliseconds, so that the strike meets the downbeat
    std::vector<float> out = metal(rate, 1.5, 0.6, 3500.0, 0x4EC4);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] *= 1.0f + 2.0f * envelope(i / rate, 0.008);  // the strike
    fadeTail(out, 0.3, rate);  // the far end of the decay becomes a soft start
    std::reverse(out.begin(), out.end());
    fadeTail(out, 0.02, rate);
    return out;
}

std::vector<float> tom(double rate) {
    std::vector<float> out = fallingSine(rate, 0.45, 105.0, 80.0, 0.05, 0.15);
    addNoise(out, rate, 0x7033, 6000.0, false, 0.08f, 0.14);
    fadeTail(out, 0.1, rate);
    return out;
}

std::vector<float> impact(double rate) {
    std::vector<float> out = fallingSine(rate, 1.6, 38.0, 90.0, 0.08, 0.5);
    for (float& s : out) s = std::tanh(2.0f * s);
    addNoise(out, rate, 0x1A9C, 900.0, false, 0.6f, 0.25);
    fadeTail(out, 0.4, rate);
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
    fadeTail(out, 0.08, rate);
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
