#pragma once
// Metaballs: coloured balls whose light falls off with the inverse square of the distance, summed
// per pixel into the effect's own frame. Four variants move different ball sets.

#include <cstdint>

#include "effects/effect.h"

namespace Zorvek {

struct Ball {
    std::int32_t x;       // pixels right of the frame centre
    std::int32_t y;       // pixels below the frame centre
    std::int32_t radius;  // strength: the weight grows with its square
    std::int32_t red;     // colour components; negative ones darken
    std::int32_t green;
    std::int32_t blue;
    std::int32_t redWeight;  // radius² × component, recomputed by every render
    std::int32_t greenWeight;
    std::int32_t blueWeight;
};

class MetaBallsEffect : public ProtectedFrameEffect {
public:
    static constexpr int MAX_BALLS = 16;

    std::int32_t renderMode = 0;  // 0 every pixel, 1 every other column, 2 every other column and row
    std::uint8_t ballCount = 0;
    Ball balls[MAX_BALLS] = {};

    void render() override;
    const char* name() override;
    void init(Demo* demo) override;
};

// Two warm balls swinging sideways over a white one, two dark ones swinging up and down. Picks
// the finer renderer only when the pass is light.
class MetaBalls101 : public MetaBallsEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

// Eight balls on a spiral that opens and closes once per period.
class MetaBalls102 : public MetaBallsEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

// Eight balls in a column, each swaying sideways a little behind the one above.
class MetaBalls103 : public MetaBallsEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

// A row of fifteen white balls circling in two bands, shrinking to nothing at mid-period.
class MetaBalls104 : public MetaBallsEffect {
public:
    void update(int time) override;
    void init(Demo* demo) override;
};

}  // namespace Zorvek
