#pragma once
// A jointed figure of thick round-ended limbs: the dancer of the movies and of DANCERS.

#include "canvas.h"

namespace picgen {

// Angles in radians, 0 pointing straight down, positive swinging towards +x.
struct Pose {
    float hipX = 0, hipY = 0;                                        // pelvis
    float lean = 0;                                                  // torso angle from upright
    float armUpper[2] = {0.3f, -0.3f}, armLower[2] = {0.2f, -0.2f};  // relative to the torso / the upper arm
    float legUpper[2] = {0.15f, -0.15f}, legLower[2] = {0, 0};       // relative to vertical / the thigh
};

// The figure's silhouette; `size` is the torso length in pixels, limb widths scale with it.
Mask figureMask(int w, int h, const Pose& pose, float size);
// Blends two poses (t = 0 gives a, 1 gives b).
Pose blend(const Pose& a, const Pose& b, float t);

}  // namespace picgen
