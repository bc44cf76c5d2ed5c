#pragma once
// Small per-pixel building blocks of the frame flow: fills, copies, a canvas, a drop, noise, an
// RGB sub-pixel mask, specks, a vertical roll, a hue-cycling seed and the feedback pair.

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

// Generator: grey TV noise with a rolling black band.
class NoiseEffect : public ProtectedFrameEffect {
public:
    void render() override;
    const char* name() override;
    bool drawsRandom() const override { return true; }
};

// Overlay: each pixel keeps one channel whole and dims the other two to a sixteenth, red, green,
// blue column after column.
class RgbugEffect : public Effect {
public:
    void render() override;
    const char* name() override;
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

// Filter: the picture rolled down by `offset` rows with wrap-around, faster and faster.
class VerticalFlipperEffect : public ProtectedFrameEffect {
public:
    int offset = 0;  // rows

    void update(int time) override;
    void render() override;
    const char* name() override;
    void init(Demo* demo) override;
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

// Generator: pushes the picture the eater stored, in an earlier pass or earlier in this one.
class FeedbackFeederEffect : public Effect {
public:
    BITMAP* feedbackFrame = nullptr;  // a scratch frame lent for the whole show

    ~FeedbackFeederEffect();
    void render() override;
    const char* name() override;
};

// Overlay: stores the top frame into the feeder's frame.
class FeedbackEaterEffect : public Effect {
public:
    FeedbackFeederEffect* feeder = nullptr;

    void render() override;
    const char* name() override;
    // What it stores is what the feeder pushes at its next pass: the feedback's picture is kept
    // here, from pass to pass. (The feeder only shows the last one stored.)
    bool carriesState() const override { return true; }
};

}  // namespace Zorvek
