#pragma once

#include "display/pacer.h"

namespace Zorvek {

// The music time that a pass renders: the moment its picture will be on the screen, which is
// the music's position now plus the time until the display shows what the pass makes. The one
// place where the picture's time is taken from the sound's: a correction the sound side knows
// of (how late what is played is heard) is added here.
struct PresentTime {
    int correctionMs = 0;

    int at(int positionMs, Nanos untilPresent) const {
        return positionMs + static_cast<int>(untilPresent / 1'000'000) + correctionMs;
    }
};

}  // namespace Zorvek
