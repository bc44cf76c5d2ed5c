#pragma once
// Two effects drawn from lines: a grey sine grating that drifts with time (two of them mixed give
// the interference pattern), and the music-driven ray caster that reveals the picture below it
// along 320 rays.

#include <cstdint>

#include "effects/effect.h"

namespace Zorvek {

// A generator: fills its frame with the grating and pushes it.
class ParallelLineInterferenceEffect : public ProtectedFrameEffect {
public:
    float phase = 0;  // time / period

    void update(int time) override;
    void render() override;
    const char* name() override;
    void init(Demo* demo) override;
};

// A filter: pops the picture below, casts two rays per spectrum band from the origin towards a
// circle around the centre, and pushes its own frame.
class SyncobeamEffect : public ProtectedFrameEffect {
public:
    static constexpr int BANDS = 160;  // spectrum bands used, two rays each

    float* left = nullptr;                  // first 256 bands of the music spectrum for this pass
    float* right = nullptr;                 // the 256 bands after them
    float phase = 0;                        // time / period
    std::int32_t originX = 0, originY = 0;  // where every ray starts
    std::int32_t centreX = 0, centreY = 0;  // centre of the circle of ray end points

    void update(int time) override;
    void render() override;
    const char* name() override;
    bool drawsRandom() const override { return true; }  // the sparkles

    // The line walker's point callback and what it keeps along one ray. The state is valid only
    // during render(): `source` is the picture popped this pass.
    static void rayPoint(BITMAP* target, int x, int y, int col);
    // Calls rayPoint for every point that do_line visits from (x1, y1) to (x2, y2).
    static void castRay(BITMAP* target, int x1, int y1, int x2, int y2, int col);
    static BITMAP* source;
    static std::uint32_t rayColour;  // the ray's current colour
    static int rayMode;              // 0 over the key colour, 1 flaring after a sparkle, 2 past the picture

    // Scales the quieter channel's bands 0..159 up to the louder one's peak, in place.
    void levelSpectrum();
    // The level of one band as a colour channel: 4096 per unit, at most 256.
    static int level(float band);
};

}  // namespace Zorvek
