#pragma once
// The feedback pair, which carries a picture from one pass into the next.

#include "effects/effect.h"

namespace Zorvek {

// Generator: pushes the picture the eater stored, in an earlier pass or earlier in this one.
class FeedbackFeederEffect : public Effect {
public:
    BITMAP* feedbackFrame = nullptr;  // a scratch frame lent for the whole show

    ~FeedbackFeederEffect();
    void render() override;
    const char* name() override;
};

// Overlay: stores the top frame into the feeder's frame.
class FeedbackEaterEffect : public Effect {
public:
    FeedbackFeederEffect* feeder = nullptr;

    void render() override;
    const char* name() override;
    // What it stores is what the feeder pushes at its next pass: the feedback's picture is kept
    // here, from pass to pass. (The feeder only shows the last one stored.)
    bool carriesState() const override { return true; }
};

}  // namespace Zorvek
