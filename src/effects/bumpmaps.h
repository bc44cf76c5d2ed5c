#pragma once
// Bump maps: a relief picture lit by a light that circles the screen.

#include "effects/effect.h"

namespace Zorvek {

// Generator: the slope of the height image (its blue channel) shifts the address at which the
// light image is read, so the relief looks lit from (lightX, lightY); pushes its own frame.
class BumpmapEffect : public ProtectedFrameEffect {
public:
    BITMAP* bumpmap = nullptr;   // heights in the low byte, shared through the loader
    BITMAP* lightmap = nullptr;  // read at columns and rows 0 ... 255, shared through the loader
    int lightX = 0;
    int lightY = 0;

    ~BumpmapEffect();
    void update(int time) override;
    void render() override;
    const char* name() override;
    // Called instead of init: takes both images from the loader and puts the light at the centre.
    virtual void load(Demo* demo, const char* bumpName, const char* lightName);
};

// The bump map with each pixel also darkened by the height under it.
class BumpmapMixEffect : public BumpmapEffect {
public:
    void render() override;
    const char* name() override;
};

}  // namespace Zorvek
