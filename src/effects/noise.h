#pragma once
// Random patterns: grey TV noise, salt and pepper specks, and a seed of one hue at random places.

#include "effects/effect.h"

namespace Zorvek {

// Generator: grey TV noise with a rolling black band.
class NoiseEffect : public ProtectedFrameEffect {
public:
    void render() override;
    const char* name() override;
    bool drawsRandom() const override { return true; }
};

// Overlay: white and then black pixels at random places.
class SpeckleEffect : public Effect {
public:
    int saltCount = 0;    // white pixels per pass
    int pepperCount = 0;  // black pixels per pass

    void render() override;
    const char* name() override;
    bool drawsRandom() const override { return true; }
};

// Overlay: the centre pixel and 64 random ones in one colour that runs around the hue circle.
class RainbowSeed : public Effect {
public:
    float hue = 0.0f;  // 0..1

    void update(int time) override;
    void render() override;
    const char* name() override;
    void init(Demo* demo) override;
    bool drawsRandom() const override { return true; }
};

}  // namespace Zorvek
