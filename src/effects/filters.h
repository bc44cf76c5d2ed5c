#pragma once
// 3 x 3 convolution filters: pop a frame, push its filtered copy in the effect's own frame.

#include "effects/effect.h"

namespace Zorvek {

// Each channel: clamp((bias + sum of weight x neighbour) >> shift) to 0..255. Pixels beyond the
// frame's edge are the edge pixels themselves.
class Filter3x3Effect : public ProtectedFrameEffect {
public:
    // Until initFilter the kernel passes the picture through unchanged.
    int shift = 0;  // only the low five bits count
    int bias = 0;   // added before the shift
    // k0..k8: the columns from right to left, each from the bottom up (k0 lower right, k4 centre,
    // k8 upper left).
    int kernel[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};

    void render() override;
    const char* name() override;
    void initFilter(Demo* demo, int shift, int bias, int k0, int k1, int k2, int k3, int k4, int k5, int k6, int k7,
                    int k8);
};

class Soften3x3Effect : public Filter3x3Effect {
public:
    const char* name() override;
    void init(Demo* demo) override;
};

// Its weights sum to 18 over a divisor of 16: the picture brightens as it blurs.
class Blur3x3Effect : public Filter3x3Effect {
public:
    const char* name() override;
    void init(Demo* demo) override;
};

class Sharpen3x3Effect : public Filter3x3Effect {
public:
    const char* name() override;
    void init(Demo* demo) override;
};

class Emboss3x3Effect : public Filter3x3Effect {
public:
    const char* name() override;
    void init(Demo* demo) override;
};

class Edge3x3Effect : public Filter3x3Effect {
public:
    const char* name() override;
    void init(Demo* demo) override;
};

}  // namespace Zorvek
