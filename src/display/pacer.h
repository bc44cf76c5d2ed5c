#pragma once

#include "process/pass_rate.h"
#include "process/time.h"

namespace Zorvek {

// One pass per displayed refresh. Where the renderer's vsync really waits for the display, the
// present itself paces the passes; where it does not (software renderers, virtual X servers,
// drivers that ignore it), the passes sleep to the refresh rate instead. Which of the two holds
// is told by the intervals between presents: vsync never lets them fall well below a refresh.
// The pacer also keeps what is presented, for the frame-rate overlay and the report at exit.
class Pacer {
public:
    // When the display does not say: the show's own rate.
    static constexpr int DEFAULT_RATE = PASSES_PER_SECOND;
    static constexpr int RECENT = 32;  // intervals kept for the recent rate and the vsync check

    // The display's refresh rate (0: unknown, counts as 60) and whether the renderer waits for
    // vsync. Once vsync was found not to pace, it is not trusted again.
    void setDisplay(int refreshHz, bool vsync);
    // When to present the pass that is ready at `now`: `now` itself while vsync paces, else the
    // next refresh slot. Slots follow one another at the refresh interval without drift; late
    // passes catch up on a few missed slots, but one far behind starts a new series rather than
    // hurrying through them all.
    Nanos presentAt(Nanos now);
    // When the pass that begins at `now` is expected on the screen: the slot presentAt would give
    // it were it ready now, or, while vsync paces, the refresh after the last present.
    Nanos nextPresent(Nanos now) const;
    // A present returned at `now`. True when this present showed that vsync does not pace, so the
    // caller can stop asking for it.
    bool presented(Nanos now);

    bool pacedByVsync() const { return byVsync; }
    // The rate passes are presented at: the display's refresh rate, 60 when it is unknown.
    int refreshRate() const { return rate; }
    Nanos interval() const { return period; }
    // Presents per second over the last intervals (the inverse of their median); 0 until there
    // are a few.
    double recentRate() const;

private:
    int rate = DEFAULT_RATE;
    Nanos period = SECOND / DEFAULT_RATE;
    bool byVsync = false;
    bool vsyncFailed = false;

    Nanos slot = 0;         // the slot of the last paced present; 0: none yet
    Nanos lastPresent = 0;  // 0: none yet
    Nanos intervals[RECENT] = {};
    int intervalCount = 0;  // how many of `intervals` hold values
    int intervalNext = 0;
    int sinceVsyncClaim = 0;  // intervals measured since vsync was asked for
};

}  // namespace Zorvek
