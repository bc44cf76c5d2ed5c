#pragma once
// Effects that bring pictures from the datafile into the frame flow: two generators that push a
// whole image, and overlays that draw one onto the top frame.

#include "effects/effect.h"

namespace Zorvek {

// Pushes the cached image itself (no copy: whoever draws on it must copy it first).
class ImageEffect : public Effect {
public:
    BITMAP* image = nullptr;

    ~ImageEffect();
    void render() override;
    const char* name() override;
    virtual void load(Demo* demo, const char* name);
};

// Copies the image into its own frame and pushes that.
class ProtectedImageEffect : public ProtectedFrameEffect {
public:
    BITMAP* image = nullptr;

    ~ProtectedImageEffect();
    void render() override;
    const char* name() override;
    virtual void load(Demo* demo, const char* name);
};

// Blits the image onto the top frame at (x, y), clipped.
class ImageBlitEffect : public Effect {
public:
    int x = 0;
    int y = 0;
    BITMAP* image = nullptr;

    ~ImageBlitEffect();
    void render() override;
    const char* name() override;
    virtual void load(Demo* demo, const char* name, int x, int y);
};

// As ImageBlitEffect, skipping mask-coloured (magenta) pixels.
class SpriteBlitEffect : public ImageBlitEffect {
public:
    void render() override;
    const char* name() override;
};

// As ImageBlitEffect, blending each pixel by the image's own alpha.
class AlphaBlitEffect : public ImageBlitEffect {
public:
    ~AlphaBlitEffect();
    void render() override;
    const char* name() override;
    // Cuts the image into strips of rows (views of it, made once), which threads blend apart.
    void prepare() override;

private:
    static constexpr int MAX_STRIPS = 16;
    BITMAP* strips[MAX_STRIPS] = {};
    int stripCount = 0;
    int stripRows = 0;
    BITMAP* stripsOf = nullptr;  // the image they view

    void destroyStrips();
};

// Moves the image across the frame from right to left once per period.
class HorScrollBlitEffect : public ImageBlitEffect {
public:
    void update(int time) override;
    const char* name() override;
    // Same parameter list as the base's load, read as (name, y, period).
    void load(Demo* demo, const char* name, int y, int period) override;
};

// Alternates the two 240-row halves of its image, one row lower every other time; all instances
// advance one shared counter.
class InterlaceEffect : public ImageBlitEffect {
public:
    static int phase;  // shared by every instance, 0 at program start

    void update(int time) override;
    const char* name() override;
    bool carriesState() const override { return true; }  // the counter
    using ImageBlitEffect::load;
    virtual void load(Demo* demo, const char* name);
};

}  // namespace Zorvek
