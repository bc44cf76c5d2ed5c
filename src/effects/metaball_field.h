#pragma once
// The metaball field: per pixel, every ball adds weight / distance² to three signed sums (integer
// division, truncating toward zero); negative sums clamp to 0 and a sum above 255 scales all three
// down with their ratios kept.

#include "effects/metaballs.h"
#include "effects/pixels.h"

namespace Zorvek::metaballField {

// The weights of every ball: radius² × component, 32-bit with wrap-around.
void computeWeights(Ball* balls, int count);

// The colour of the pixel at (dx, dy) from the frame centre ((w >> 1, h >> 1) is (0, 0)).
pixels::Pixel at(const Ball* balls, int count, int dx, int dy);

// The kernels that evaluate a run of pixels; Plain is the portable one, the others are chosen at
// run time by what the processor offers. Every kernel gives the same pixels.
enum class Kernel { Plain, Vector, VectorAvx2 };

bool available(Kernel kernel);
Kernel fastest();

struct VectorBall {
    float x, y, red, green, blue;  // position and weights
};

// Evaluates runs of pixels of one frame for one ball set (weights computed). The vector kernels
// are used only where they are exact for these balls over this frame; otherwise Plain is.
class RowEvaluator {
public:
    RowEvaluator(const Ball* balls, int count, int frameWidth, int frameHeight, Kernel kernel = fastest());
    // `count` pixels of the row dy (from the centre), at dx = firstDx, firstDx + step, ...
    void run(int dy, int firstDx, int step, int count, pixels::Pixel* out) const;

private:
    const Ball* balls;
    int ballCount;
    Kernel kernel;
    VectorBall vectorBalls[MetaBallsEffect::MAX_BALLS];
};

}  // namespace Zorvek::metaballField
