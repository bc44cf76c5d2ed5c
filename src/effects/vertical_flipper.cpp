#include "effects/vertical_flipper.h"

#include <allegro.h>

#include <cmath>

namespace Zorvek {

void VerticalFlipperEffect::init(Demo* owner) {
    Effect::init(owner);
    period = 8000;
    offset = 120;
}

// 200 whole turns of 240 rows per period, accelerating: back at 0 when the period wraps.
void VerticalFlipperEffect::update(int time) {
    if (period <= 0) {
        offset = 0;
        return;
    }
    double x = static_cast<double>(time) / period;
    double rows = std::fmod(std::trunc(48000.0 * x * x), 240.0);
    offset = static_cast<int>(rows < 0 ? rows + 240.0 : rows);
}

void VerticalFlipperEffect::render() {
    BITMAP* source = pop();
    const int w = source->w;
    const int h = source->h;
    // The roll wraps within the source's rows; for the show's 240-row frames this is `offset`.
    const int roll = h > 0 ? ((offset % h) + h) % h : 0;
    blit(source, frame, 0, 0, 0, roll, w, h - roll);
    blit(source, frame, 0, h - roll, 0, 0, w, roll);
    push(frame);
}
const char* VerticalFlipperEffect::name() { return "Vertical Flipper"; }

}  // namespace Zorvek
