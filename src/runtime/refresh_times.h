#pragma once

#include "process/pass_rate.h"
#include "process/time.h"

namespace Zorvek {

// The music time of each refresh as the display counts its refreshes: from where it was last
// set, one refresh interval more per refresh. The music clock read at each refresh wavers by a
// millisecond or two (its own steps, the moment the pass begins); near a pass of the 60 Hz grid
// that would make one refresh run two passes and the next none. The count follows the music's
// reading a millisecond a refresh where the two clocks drift apart (the sound clock is steered
// toward the device's), so that the picture keeps with the sound; it is set again to the
// reading whenever the two part by more than TOLERANCE_MS: a jump, a seek, a hold.
class RefreshTimes {
public:
    static constexpr int TOLERANCE_MS = 1000 / PASSES_PER_SECOND / 2;  // half a pass of the grid
    static constexpr int STEADY_MS = 1;                                // a wavering this small is left alone

    // The time of the refresh to be presented at `present` (refreshes `interval` apart), for
    // which the music reads `ms`.
    int at(int ms, Nanos present, Nanos interval);
    void forget() { set = false; }

private:
    bool set = false;
    int fromMs = 0;
    Nanos fromPresent = 0;
};

}  // namespace Zorvek
