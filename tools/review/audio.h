#pragma once
// The module's sound as the show plays it, and what is measured of it: loudness (K-weighted, as
// loudness meters weigh it), onsets, the share of energy in frequency bands, the correlation of
// the two sides.

#include <string>
#include <vector>

namespace review {

struct Sound {
    int rate = 0;
    std::vector<float> left, right;  // -1 .. 1
    double ms(std::size_t frame) const { return frame * 1000.0 / rate; }
    std::size_t frame(double ms) const;  // clamped to the sound's length
};

// Decodes [0, toMs) of the module with the player's own decoder and settings.
bool decodeModule(const std::string& path, int toMs, Sound& sound);

class Loudness {
public:
    explicit Loudness(const Sound& sound);  // K-weights both sides, in 100 ms blocks
    // Mean K-weighted power of [fromMs, toMs) in LUFS (any span; not gated).
    double of(const Sound& sound, double fromMs, double toMs) const;
    // Short-term loudness: the 3 s ending at `ms` (a multiple of 100).
    double shortTerm(double ms) const;
    double integrated() const;  // gated, over 400 ms blocks
    double range() const;       // loudness range: 10th to 95th percentile of the short-term loudness

private:
    std::vector<double> blocks;  // K-weighted power of each 100 ms
    std::vector<float> weightedLeft, weightedRight;
};

// Times (ms) at which new sound begins: a rise of the log spectrum against the 25 ms before,
// picked where it peaks within 20 ms and stands out from its second around it.
std::vector<double> onsets(const Sound& sound);

// The share of the energy of [fromMs, toMs) (both sides) that lies between two frequencies (Hz).
struct BandShare {
    double lowHz, highHz;
    double share;
};
std::vector<BandShare> bandShares(const Sound& sound, double fromMs, double toMs,
                                  const std::vector<std::pair<double, double>>& bands);

// The correlation of the two sides over [fromMs, toMs).
double correlation(const Sound& sound, double fromMs, double toMs);

}  // namespace review
