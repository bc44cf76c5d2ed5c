#include "audio.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <numbers>

#include "platform/sound/sound_layer.h"

namespace review {

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    void run(std::vector<float>& x) const {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (float& v : x) {
            const double y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = v;
            y2 = y1;
            y1 = y;
            v = static_cast<float>(y);
        }
    }
};

// The two stages of the K-weighting at any rate: a shelf that lifts the highs as a head does,
// then a high-pass under the lowest notes.
Biquad headShelf(double rate) {
    const double k = std::tan(std::numbers::pi * 1681.974450955533 / rate), q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0, 2 * (k * k - 1) / a0,
            (1 - k / q + k * k) / a0};
}
Biquad lowCut(double rate) {
    const double k = std::tan(std::numbers::pi * 38.13547087602444 / rate), q = 0.5003270373238773;
    const double a0 = 1 + k / q + k * k;
    return {1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
}

double lufs(double power) { return -0.691 + 10 * std::log10(std::max(power, 1e-20)); }

double hann(int i, int n) { return 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n); }

}  // namespace

std::size_t Sound::frame(double ms) const {
    const double f = std::floor(ms * rate / 1000.0);
    return f <= 0 ? 0 : std::min(left.size(), static_cast<std::size_t>(f));
}

bool decodeModule(const std::string& path, int toMs, Sound& sound) {
    std::vector<std::int16_t> pcm;
    if (!Zorvek::sound::decodeSpan(path.c_str(), 0, toMs, pcm, sound.rate)) return false;
    sound.left.resize(pcm.size() / 2);
    sound.right.resize(pcm.size() / 2);
    for (std::size_t i = 0; i < sound.left.size(); ++i) {
        sound.left[i] = pcm[2 * i] / 32768.0f;
        sound.right[i] = pcm[2 * i + 1] / 32768.0f;
    }
    return true;
}

Loudness::Loudness(const Sound& sound) : weightedLeft(sound.left), weightedRight(sound.right) {
    for (auto* side : {&weightedLeft, &weightedRight}) {
        headShelf(sound.rate).run(*side);
        lowCut(sound.rate).run(*side);
    }
    const std::size_t block = static_cast<std::size_t>(sound.rate / 10);
    for (std::size_t first = 0; first + block <= weightedLeft.size(); first += block) {
        double sum = 0;
        for (std::size_t i = first; i < first + block; ++i)
            sum += double(weightedLeft[i]) * weightedLeft[i] + double(weightedRight[i]) * weightedRight[i];
        blocks.push_back(sum / block);
    }
}

double Loudness::of(const Sound& sound, double fromMs, double toMs) const {
    const std::size_t a = sound.frame(fromMs), b = sound.frame(toMs);
    if (b <= a) return lufs(0);
    double sum = 0;
    for (std::size_t i = a; i < b; ++i)
        sum += double(weightedLeft[i]) * weightedLeft[i] + double(weightedRight[i]) * weightedRight[i];
    return lufs(sum / (b - a));
}

double Loudness::shortTerm(double ms) const {
    const std::size_t end = std::min(blocks.size(), static_cast<std::size_t>(std::lround(ms / 100)));
    const std::size_t first = end >= 30 ? end - 30 : 0;
    double sum = 0;
    for (std::size_t b = first; b < end; ++b) sum += blocks[b];
    return lufs(end > first ? sum / (end - first) : 0);
}

double Loudness::integrated() const {
    std::vector<double> gated;
    for (std::size_t b = 4; b <= blocks.size(); ++b) {
        const double p = (blocks[b - 4] + blocks[b - 3] + blocks[b - 2] + blocks[b - 1]) / 4;
        if (lufs(p) > -70) gated.push_back(p);
    }
    if (gated.empty()) return lufs(0);
    double mean = 0;
    for (double p : gated) mean += p / gated.size();
    double sum = 0;
    int count = 0;
    for (double p : gated)
        if (lufs(p) > lufs(mean) - 10) {
            sum += p;
            ++count;
        }
    return lufs(sum / count);
}

double Loudness::range() const {
    std::vector<double> powers;
    for (std::size_t end = 30; end <= blocks.size(); ++end) {
        double sum = 0;
        for (std::size_t b = end - 30; b < end; ++b) sum += blocks[b];
        if (lufs(sum / 30) > -70) powers.push_back(sum / 30);
    }
    if (powers.empty()) return 0;
    double mean = 0;
    for (double p : powers) mean += p / powers.size();
    std::vector<double> kept;
    for (double p : powers)
        if (lufs(p) > lufs(mean) - 20) kept.push_back(lufs(p));
    std::sort(kept.begin(), kept.end());
    const auto at = [&](double q) { return kept[static_cast<std::size_t>(std::lround(q * (kept.size() - 1)))]; };
    return at(0.95) - at(0.10);
}

std::vector<double> onsets(const Sound& sound) {
    constexpr int N = 256, BINS = N / 2;
    constexpr int BACK_FROM = 25, BACK_TO = 8;  // the reference: frames 25 to 8 ms before
    const int hop = sound.rate / 1000;
    const std::size_t count = sound.left.size() >= static_cast<std::size_t>(N) ? (sound.left.size() - N) / hop : 0;
    kiss_fftr_cfg plan = kiss_fftr_alloc(N, 0, nullptr, nullptr);
    std::vector<float> in(N), window(N);
    std::vector<kiss_fft_cpx> out(N / 2 + 1);
    for (int i = 0; i < N; ++i) window[i] = static_cast<float>(hann(i, N));
    std::deque<std::vector<float>> history;  // the log spectra of the last BACK_FROM frames
    std::vector<float> flux(count, 0.0f);
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t first = n * hop;
        for (int i = 0; i < N; ++i) in[i] = 0.5f * (sound.left[first + i] + sound.right[first + i]) * window[i];
        kiss_fftr(plan, in.data(), out.data());
        std::vector<float> c(BINS);
        for (int k = 1; k <= BINS; ++k) c[k - 1] = std::log1p(100.0f * std::hypot(out[k].r, out[k].i));
        if (history.size() == BACK_FROM) {
            double sum = 0;
            for (int k = 0; k < BINS; ++k) {
                float reference = 0;
                for (int b = 0; b <= BACK_FROM - BACK_TO; ++b) reference += history[b][k];
                reference /= BACK_FROM - BACK_TO + 1;
                sum += std::max(0.0f, c[k] - reference);
            }
            flux[n] = static_cast<float>(sum / BINS);
            history.pop_front();
        }
        history.push_back(std::move(c));
    }
    kiss_fftr_free(plan);

    // Peaks: the largest within 20 ms either side, twice the mean of the second around them,
    // and above a floor that silence and slow swells stay under.
    constexpr int PEAK = 20, AROUND = 500;
    constexpr float FLOOR = 0.15f;
    std::vector<double> prefix(count + 1, 0.0);
    for (std::size_t n = 0; n < count; ++n) prefix[n + 1] = prefix[n] + flux[n];
    std::vector<double> found;
    for (std::size_t n = 0; n < count; ++n) {
        if (flux[n] < FLOOR) continue;
        const std::size_t a = n >= PEAK ? n - PEAK : 0, b = std::min(count, n + PEAK + 1);
        bool peak = true;
        for (std::size_t m = a; m < b && peak; ++m) peak = flux[m] < flux[n] || (flux[m] == flux[n] && m >= n);
        if (!peak) continue;
        const std::size_t lo = n >= AROUND ? n - AROUND : 0, hi = std::min(count, n + AROUND + 1);
        const double mean = (prefix[hi] - prefix[lo]) / (hi - lo);
        if (flux[n] > 2 * mean) found.push_back(static_cast<double>(n));
    }
    return found;
}

std::vector<BandShare> bandShares(const Sound& sound, double fromMs, double toMs,
                                  const std::vector<std::pair<double, double>>& bands) {
    constexpr int N = 4096;
    kiss_fftr_cfg plan = kiss_fftr_alloc(N, 0, nullptr, nullptr);
    std::vector<float> in(N);
    std::vector<kiss_fft_cpx> out(N / 2 + 1);
    std::vector<double> power(N / 2 + 1, 0.0);
    const std::size_t a = sound.frame(fromMs), b = sound.frame(toMs);
    for (const std::vector<float>* side : {&sound.left, &sound.right})
        for (std::size_t first = a; first + N <= b; first += N / 2) {
            for (int i = 0; i < N; ++i) in[i] = static_cast<float>((*side)[first + i] * hann(i, N));
            kiss_fftr(plan, in.data(), out.data());
            for (int k = 0; k <= N / 2; ++k) power[k] += double(out[k].r) * out[k].r + double(out[k].i) * out[k].i;
        }
    kiss_fftr_free(plan);
    double total = 0;
    for (int k = 1; k <= N / 2; ++k) total += power[k];
    std::vector<BandShare> shares;
    for (auto [lo, hi] : bands) {
        double sum = 0;
        for (int k = 1; k <= N / 2; ++k) {
            const double hz = k * double(sound.rate) / N;
            if (hz >= lo && hz < hi) sum += power[k];
        }
        shares.push_back({lo, hi, total > 0 ? sum / total : 0});
    }
    return shares;
}

double correlation(const Sound& sound, double fromMs, double toMs) {
    double ll = 0, rr = 0, lr = 0;
    for (std::size_t i = sound.frame(fromMs); i < sound.frame(toMs); ++i) {
        ll += double(sound.left[i]) * sound.left[i];
        rr += double(sound.right[i]) * sound.right[i];
        lr += double(sound.left[i]) * sound.right[i];
    }
    return ll > 0 && rr > 0 ? lr / std::sqrt(ll * rr) : 0;
}

}  // namespace review
