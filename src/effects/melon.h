#pragma once
// An image bouncing up and down on the top frame, squashed near the floor.

#include "effects/image_effects.h"

namespace Zorvek {

// An overlay: loaded like ImageBlitEffect (its y is not used), drawn 64 x 64 at its x.
class BouncyMelonEffect : public ImageBlitEffect {
public:
    static constexpr int BOUNCE_MS = 975;

    float bounce = 0;  // phase of the current bounce, 0 <= bounce < 1

    void update(int time) override;
    void render() override;
    const char* name() override;
};

}  // namespace Zorvek
