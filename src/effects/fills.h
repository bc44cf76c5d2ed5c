#pragma once
// Generators of the effect's own frame: filled with one colour, or pushed as it was left.

#include "effects/effect.h"

namespace Zorvek {

// Generator: its own frame filled with black.
class BlacknessEffect : public ProtectedFrameEffect {
public:
    void render() override;
    const char* name() override;
};

// Generator: its own frame filled with white.
class WhitenessEffect : public ProtectedFrameEffect {
public:
    void render() override;
    const char* name() override;
};

// Generator: its own frame filled with the mask colour, magenta.
class MagicPinkEffect : public ProtectedFrameEffect {
public:
    void render() override;
    const char* name() override;
};

// Generator: its own frame as it is; what later effects draw on it stays while it runs.
class CanvasEffect : public ProtectedFrameEffect {
public:
    void render() override;
    const char* name() override;
};

}  // namespace Zorvek
