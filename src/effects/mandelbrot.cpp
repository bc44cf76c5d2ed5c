#include "effects/mandelbrot.h"

#include <allegro.h>

#include <cmath>
#include <cstdint>

#include "effects/mandelbrot_kernels.h"
#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

namespace {

// By remaining steps: bright yellow for the late escapes fading to olive, then dark red to violet
// for the early ones; white inside the set.
void zoomPalette(std::uint32_t* palette) {
    palette[0] = 0xFFFFFF;
    for (int i = 1; i < 192; ++i) palette[i] = pixels::pack(248 - i, 256 - i, 0);
    for (int i = 192; i < 256; ++i) palette[i] = pixels::pack(128 - 2 * (i - 192), 0, 192 - 3 * (i - 192));
}

// 8.0 high at time 0, halving every period / 35, down to 1 + h units (2^-32 each) at the end.
std::int64_t zoomHeight(int time, int period, int frameHeight) {
    const double e = 35.0 * static_cast<std::uint32_t>(period - time) / period;
    const double height = std::pow(2.0, e) + frameHeight;
    // Beyond the period the exponent runs away; the height stays the largest representable.
    if (!(height < 0x1p63)) return INT64_MAX;
    return static_cast<std::int64_t>(height);
}

}  // namespace

void MandelbrotEffect::render() {
    mandelbrotKernels::render(frame, {centreX, centreY, viewHeight}, palette, mandelbrotKernels::chosen(),
                              &demo->workers);
    push(frame);
}

const char* MandelbrotEffect::name() { return "Mandelbrot Fractal"; }

void MandelbrotEffect::init(Demo* owner) {
    Effect::init(owner);
    period = 60000;
    for (int i = 0; i < 256; ++i) palette[255 - i] = pixels::grey(i);
}

void Mandelbrot101::init(Demo* owner) {
    MandelbrotEffect::init(owner);
    period = 25000;
    centreX = 0x0000000053FF8400;
    centreY = static_cast<std::int64_t>(0xFFFFFFFFF6016800);
    zoomPalette(palette);
}

void Mandelbrot101::update(int time) { viewHeight = zoomHeight(time, period, frame->h); }

void Mandelbrot102::init(Demo* owner) {
    MandelbrotEffect::init(owner);
    period = 25000;
    centreX = static_cast<std::int64_t>(0xFFFFFFFE98BB8A00);
    centreY = 0x00000000077A1800;
    zoomPalette(palette);
}

void Mandelbrot102::update(int time) { viewHeight = zoomHeight(time, period, frame->h); }

}  // namespace Zorvek
