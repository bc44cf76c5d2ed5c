#pragma once
// An RGB sub-pixel mask over the top frame.

#include "effects/effect.h"

namespace Zorvek {

// Overlay: each pixel keeps one channel whole and dims the other two to a sixteenth, red, green,
// blue column after column.
class RgbugEffect : public Effect {
public:
    void render() override;
    const char* name() override;
};

}  // namespace Zorvek
