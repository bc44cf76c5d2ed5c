#pragma once
// The plasma: concentric sine rings through a 256-colour palette, drifting with time.

#include <cstdint>

#include "effects/effect.h"

namespace Zorvek {

// Generator: every pass draws index = 128 sin(X² + Y²) + 128 through the palette into its own
// frame and pushes it. X and Y advance by stepX and stepY per pixel, from start values that move
// the rings' centre with the progress through the period.
class PlasmaEffect : public ProtectedFrameEffect {
public:
    float progress = 0.0f;            // local time / period, 0 ... 1
    float stepY = 0.0f;               // change of Y from one row to the next
    float stepX = 0.0f;               // change of X from one column to the next
    std::uint32_t palette[256] = {};  // colour of each plasma value

    void update(int time) override;
    void render() override;
    const char* name() override;
    void init(Demo* demo) override;
};

// The plasma through a rainbow palette running from red backwards around the hue circle.
class Plasma101 : public PlasmaEffect {
public:
    void init(Demo* demo) override;
};

// The palette index of a plasma argument, 0 ... 255: trunc(128 sin(argument) + 128) with the
// double-precision library sine, the one value 256 (sine exactly 1) kept inside the palette.
int plasmaIndex(double argument);

// plasmaIndex for count arguments at once, the same value for every one, much faster.
void plasmaIndices(const double* arguments, int count, std::int32_t* indices);

}  // namespace Zorvek
