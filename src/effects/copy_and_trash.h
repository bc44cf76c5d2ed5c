#pragma once
// The frame stack's plain moves: the top frame copied into a private one, and dropped.

#include "effects/effect.h"

namespace Zorvek {

// Filter: a private copy of the top frame, so that overlays can draw on it.
class CopyEffect : public ProtectedFrameEffect {
public:
    void render() override;
    const char* name() override;
};

// Drops the top frame.
class TrashEffect : public Effect {
public:
    void render() override;
    const char* name() override;
};

}  // namespace Zorvek
