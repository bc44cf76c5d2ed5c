#include "figure.h"

#include <cmath>
#include <numbers>

namespace picgen {

namespace {
struct Point {
    float x, y;
};
Point limb(Point from, float angle, float length) {
    return {from.x + std::sin(angle) * length, from.y + std::cos(angle) * length};
}
}  // namespace

Mask figureMask(int w, int h, const Pose& p, float size) {
    Point hip{p.hipX, p.hipY};
    // The torso points up: angle pi is straight up.
    Point neck = limb(hip, std::numbers::pi_v<float> + p.lean, size);
    Point head = limb(neck, std::numbers::pi_v<float> + p.lean, size * 0.38f);
    float limbW = size * 0.26f;
    Mask m = lineMask(w, h, hip.x, hip.y, neck.x, neck.y, size * 0.42f);
    addInto(m, circleMask(w, h, head.x, head.y, size * 0.24f));
    for (int side = 0; side < 2; ++side) {
        Point shoulder = limb(neck, p.lean, size * 0.08f);
        Point elbow = limb(shoulder, p.lean + p.armUpper[side], size * 0.55f);
        Point hand = limb(elbow, p.lean + p.armUpper[side] + p.armLower[side], size * 0.5f);
        addInto(m, lineMask(w, h, shoulder.x, shoulder.y, elbow.x, elbow.y, limbW));
        addInto(m, lineMask(w, h, elbow.x, elbow.y, hand.x, hand.y, limbW * 0.9f));
        Point knee = limb(hip, p.legUpper[side], size * 0.62f);
        Point foot = limb(knee, p.legUpper[side] + p.legLower[side], size * 0.6f);
        addInto(m, lineMask(w, h, hip.x, hip.y, knee.x, knee.y, limbW * 1.2f));
        addInto(m, lineMask(w, h, knee.x, knee.y, foot.x, foot.y, limbW));
    }
    return m;
}

Pose blend(const Pose& a, const Pose& b, float t) {
    auto l = [t](float x, float y) { return x + (y - x) * t; };
    Pose r;
    r.hipX = l(a.hipX, b.hipX);
    r.hipY = l(a.hipY, b.hipY);
    r.lean = l(a.lean, b.lean);
    for (int s = 0; s < 2; ++s) {
        r.armUpper[s] = l(a.armUpper[s], b.armUpper[s]);
        r.armLower[s] = l(a.armLower[s], b.armLower[s]);
        r.legUpper[s] = l(a.legUpper[s], b.legUpper[s]);
        r.legLower[s] = l(a.legLower[s], b.legLower[s]);
    }
    return r;
}

}  // namespace picgen
