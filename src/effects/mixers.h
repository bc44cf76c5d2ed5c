#pragma once
// Mixers: combine the two frames on top of the stack into the upper one (A, pushed last) and
// leave it alone on the stack; the lower one (B) is only read.

#include "effects/effect.h"

namespace Zorvek {

// Per channel, the larger of the two values with the lowest bit dropped.
class MixMaxEffect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// Per channel, the smaller of the two values with the lowest bit dropped.
class MixMinEffect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// Per channel, (a × b) >> 8.
class MixMulEffect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// The whole words XORed.
class MixXorEffect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// Half of each.
class Mix5050Effect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// A quarter of A, three quarters of B.
class Mix2575Effect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// Three quarters of A, a quarter of B.
class Mix7525Effect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// A checkerboard of 2 × 2 cells: A keeps its upper-left and lower-right pixels, B shows through
// in the other two, shifted one column.
class Dither5050Effect : public Effect {
public:
    void render() override;
    const char* name() override;
};

// Fades from A (at the event's start) to B (at its end).
class CrossfadeEffect : public Effect {
public:
    float weight = 0.0f;  // B's share: local time / event duration

    void update(int time) override;
    void render() override;
    void init(Demo* demo) override;
};

}  // namespace Zorvek
