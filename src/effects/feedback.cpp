#include "effects/feedback.h"

#include <allegro.h>

#include "demo/demo.h"

namespace Zorvek {

FeedbackFeederEffect::~FeedbackFeederEffect() {
    if (demo && feedbackFrame) demo->display.returnScratch(feedbackFrame);
}

void FeedbackFeederEffect::render() { push(feedbackFrame); }
const char* FeedbackFeederEffect::name() { return "Feedback Feeder"; }

void FeedbackEaterEffect::render() {
    feeder->render();
    BITMAP* stored = pop();
    blit(top(), stored, 0, 0, 0, 0, stored->w, stored->h);
}
const char* FeedbackEaterEffect::name() { return "Feedback Eater"; }

}  // namespace Zorvek
