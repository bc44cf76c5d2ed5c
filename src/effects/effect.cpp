#include "effects/effect.h"

#include <allegro.h>

#include "demo/demo.h"
#include "process/fail.h"

namespace Zorvek {

void Effect::start() { running = true; }
void Effect::update(int) {}
void Effect::render() {}
void Effect::stop() { running = false; }
const char* Effect::name() { return "Effect"; }

void Effect::prepare() {}
bool Effect::carriesState() const { return false; }
bool Effect::drawsRandom() const { return false; }

void Effect::init(Demo* owner) {
    running = false;
    demo = owner;
    period = 1000;
}

void Effect::push(BITMAP* frame) {
    if (demo->frameCount >= Demo::FRAME_SLOTS) fail(EXIT_MISUSE, "Framestack overflow.");
    demo->frames[demo->frameCount++] = frame;
}

BITMAP* Effect::pop() {
    // Popping the null floor is caught by the end-of-pass check; popping below it is not allowed.
    if (demo->frameCount <= 0) fail(EXIT_MISUSE, "Framestack underflow.");
    return demo->frames[--demo->frameCount];
}

BITMAP* Effect::top() const { return demo->frames[demo->frameCount - 1]; }

void ProtectedFrameEffect::start() {
    frame = demo->display.borrowScratch();
    running = true;
}

void ProtectedFrameEffect::stop() {
    demo->display.returnScratch(frame);
    running = false;
}

void TodoEffect::render() { textout_centre_ex(top(), font, text, 160, 120, 0x00FF00, -1); }

const char* TodoEffect::name() { return "TODO"; }

}  // namespace Zorvek
