#pragma once
// The Mandelbrot set in fixed point, and two exponential zooms into points of its border.

#include <cstdint>

#include "effects/effect.h"

namespace Zorvek {

class MandelbrotEffect : public ProtectedFrameEffect {
public:
    // Complex-plane values with 32 fraction bits (1.0 is 0x100000000).
    std::int64_t centreX = 0;
    std::int64_t centreY = 0;         // grows downwards on screen
    std::int64_t viewHeight = 0;      // the frame's rows span this height
    std::uint32_t palette[256] = {};  // by remaining iteration count; 0 is inside the set

    void render() override;
    const char* name() override;
    void init(Demo* demo) override;
};

// Zooms from the whole set (8.0 high) down to a few units of 2^-32, into a point right of the cusp.
class Mandelbrot101 : public MandelbrotEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

// The same zoom into a point near the negative real axis, left of the main bulbs.
class Mandelbrot102 : public MandelbrotEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

}  // namespace Zorvek
