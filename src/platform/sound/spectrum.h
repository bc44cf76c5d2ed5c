#pragma once
// Magnitude spectrum of one output channel: a 512-point FFT with a rectangular window, scaled so
// that a full-scale sine on a band reads 1.0 there.

#include <kiss_fftr.h>

#include <cstdint>

namespace Zorvek::sound {

class Spectrum {
public:
    static constexpr int SIZE = 512;
    static constexpr int BANDS = SIZE / 2;

    Spectrum();  // plans the FFT once; computing allocates nothing
    ~Spectrum();
    Spectrum(const Spectrum&) = delete;
    Spectrum& operator=(const Spectrum&) = delete;

    // `frames`: SIZE interleaved stereo frames; `channel`: 0 or 1; writes BANDS magnitudes.
    void compute(const std::int16_t* frames, int channel, float* out);

private:
    kiss_fftr_cfg plan;
    kiss_fft_scalar input[SIZE];
    kiss_fft_cpx output[SIZE / 2 + 1];
};

}  // namespace Zorvek::sound
