#pragma once

#include "process/time.h"

namespace Zorvek {

// The music time that a pass renders: the moment its picture will be on the screen, which is
// the music's position now plus the time until the display shows what the pass makes. The
// position is already what is heard now (the sound layer takes the output's latency and the
// viewer's audio delay off it), so the picture lands with the sound it belongs to.
struct PresentTime {
    int at(int positionMs, Nanos untilPresent) const {
        return positionMs + static_cast<int>(untilPresent / MILLISECOND);
    }
};

}  // namespace Zorvek
