#include "effects/fills.h"

#include <allegro.h>

namespace Zorvek {

void BlacknessEffect::render() {
    clear_to_color(frame, 0x000000);
    push(frame);
}
const char* BlacknessEffect::name() { return "Blackness"; }

void WhitenessEffect::render() {
    clear_to_color(frame, 0xFFFFFF);
    push(frame);
}
const char* WhitenessEffect::name() { return "Whiteness"; }

void MagicPinkEffect::render() {
    clear_to_color(frame, 0xFF00FF);
    push(frame);
}
const char* MagicPinkEffect::name() { return "Magic Pink"; }

void CanvasEffect::render() { push(frame); }
const char* CanvasEffect::name() { return "Canvas"; }

}  // namespace Zorvek
