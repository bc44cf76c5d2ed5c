#pragma once
// The picture rolled down with wrap-around, faster and faster.

#include "effects/effect.h"

namespace Zorvek {

// Filter: the picture rolled down by `offset` rows with wrap-around, faster and faster.
class VerticalFlipperEffect : public ProtectedFrameEffect {
public:
    int offset = 0;  // rows

    void update(int time) override;
    void render() override;
    const char* name() override;
    void init(Demo* demo) override;
};

}  // namespace Zorvek
