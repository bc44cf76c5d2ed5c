#pragma once
// Spirals of filled circles ("bobs") drawn over the top frame: each arm winds around a centre line
// that the variant recomputes every pass.

#include <cstdint>

#include "effects/effect.h"

namespace Zorvek {

struct SpiralArm {
    static constexpr int POINTS = 700;

    std::int32_t pathX[POINTS];  // centre line, frame pixels
    std::int32_t pathY[POINTS];
    std::uint32_t colours[256];  // by ring index; entry 255 is never drawn
    std::uint8_t flipSin;        // negate the sine term of the offset
    std::uint8_t flipCos;        // negate the cosine term
    std::uint8_t swapAxes;       // 0: sine term on x; 1: cosine term on x
};

// An overlay: draws onto the frame on top of the stack and leaves the stack as it is.
class SpirobobEffect : public Effect {
public:
    static constexpr int MAX_ARMS = 16;

    float rotation = 0;  // radians added to every bob's angle
    float spin = 0;      // turns of a spiral over its 700 points
    float bobScale = 0;  // circle radius per pixel of distance from the centre line
    SpiralArm arms[MAX_ARMS];
    std::int32_t armCount = 0;

    void render() override;
    const char* name() override;
    void init(Demo* demo) override;

protected:
    // One ring of bobs, as the render works it out: the offset terms of every arm's bob from the
    // centre line, the ring's colour index and the bobs' radius.
    struct Ring {
        int sinTerm, cosTerm, colour, radius;
    };
    Ring rings[SpiralArm::POINTS] = {};

    // Shared set-up of the variants: period, arm count, spin and bob size.
    void setUp(Demo* demo, int armCount, float spin, float bobScale);
    void setFlags(int arm, int flipSin, int flipCos, int swapAxes);
};

class Spiral101 : public SpirobobEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

class Spiral102 : public SpirobobEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

class Spiral103 : public SpirobobEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

class Spiral104 : public SpirobobEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

}  // namespace Zorvek
