#pragma once
// Renderers of the Mandelbrot set in three fixed-point precisions, chosen by the view height: a
// 32-bit one with 14 fraction bits that iterates every pixel, a 32-bit one with 27 fraction bits
// that fills odd rows from agreeing neighbours, and a 64-bit one with 30 fraction bits that also
// fills odd columns. Every point is iterated exactly by the rules of its format, wrap-arounds
// included; the kernels differ only in how many points they iterate at once.

#include <cstdint>

#include "effects/pixels.h"

struct BITMAP;

namespace Zorvek {
class WorkerPool;
}

namespace Zorvek::mandelbrotKernels {

enum class Precision { Coarse, Medium, Fine };

// Coarse above 1/16 high, Medium above 0x2000 units, Fine below (and for a negative height).
Precision precisionFor(std::int64_t viewHeight);

// Generic is portable; the others are chosen at run time by what the processor offers (and the
// instruction sets allow, see instruction_sets.h).
enum class Kernel { Generic, Avx2, Avx512 };

bool available(Kernel kernel);
Kernel fastest();
// The kernel that render uses unless told otherwise: the fastest, or the one forced last while it
// is available (tests and benchmarks force each in turn; forcing one the processor lacks is
// ignored).
Kernel chosen();
void force(Kernel kernel);

struct View {
    std::int64_t centreX;  // 32 fraction bits
    std::int64_t centreY;
    std::int64_t height;
};

// Renders every pixel of the frame; with a pool, its threads share out the rows. The pixels are
// the same whatever the kernel and however many threads work.
void render(BITMAP* frame, const View& view, const pixels::Pixel* palette, Kernel kernel = chosen(),
            WorkerPool* pool = nullptr);

}  // namespace Zorvek::mandelbrotKernels
