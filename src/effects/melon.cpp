#include "effects/melon.h"

#include <allegro.h>

#include <cmath>
#include <numbers>

namespace Zorvek {

namespace {
constexpr int SIZE = 64;     // drawn size, whatever the image's own
constexpr int FLOOR = 180;   // top row at the start and end of a bounce
constexpr int HEIGHT = 160;  // rows risen at the middle of a bounce
constexpr int SQUASH = 140;  // below this top row the melon is squashed
}  // namespace

const char* BouncyMelonEffect::name() { return "Bouncy Melon"; }

void BouncyMelonEffect::update(int time) {
    int t = time % BOUNCE_MS;
    if (t < 0) t += BOUNCE_MS;  // local times are never negative; keep the phase in [0, 1) anyway
    bounce = static_cast<float>(t / static_cast<double>(BOUNCE_MS));
}

void BouncyMelonEffect::render() {
    const int topRow = static_cast<int>(FLOOR - HEIGHT * std::sin(std::numbers::pi * bounce));
    int width = SIZE, height = SIZE, left = x;
    if (topRow > SQUASH) {
        // Flattened and widened about its centre; the bottom edge stays on row 204.
        const int e = topRow - SQUASH;
        height = SIZE - e;
        width = SIZE + (e >> 1);
        left = x - ((e >> 1) >> 1);
    }
    stretch_sprite(top(), image, left, topRow, width, height);
}

}  // namespace Zorvek
