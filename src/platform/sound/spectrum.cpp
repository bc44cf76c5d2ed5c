#include "platform/sound/spectrum.h"

#include <cmath>

#include "platform/sound/decoder.h"

namespace Zorvek::sound {

Spectrum::Spectrum() : plan(kiss_fftr_alloc(SIZE, 0, nullptr, nullptr)) {}

Spectrum::~Spectrum() { kiss_fftr_free(plan); }

void Spectrum::compute(const std::int16_t* frames, int channel, float* out) {
    constexpr float FULL_SCALE = 1.0f / 32768.0f;
    for (int i = 0; i < SIZE; ++i) input[i] = frames[i * CHANNELS + channel] * FULL_SCALE;
    kiss_fftr(plan, input, output);
    // A sine of amplitude A puts A * SIZE / 2 into its band; a constant level A puts A * SIZE
    // into band 0.
    constexpr float BAND_SCALE = 2.0f / SIZE;
    out[0] = std::fabs(output[0].r) / SIZE;
    // Band values stay far below float's range, so a plain square root serves (hypot guards
    // against overflow at several times the cost).
    for (int k = 1; k < BANDS; ++k)
        out[k] = std::sqrt(output[k].r * output[k].r + output[k].i * output[k].i) * BAND_SCALE;
}

}  // namespace Zorvek::sound
