#pragma once

#include <cstdint>

#include "process/pass_rate.h"
#include "runtime/pass_grid.h"
#include "runtime/present_time.h"
#include "runtime/refresh_times.h"
#include "timeline/timeline.h"

struct BITMAP;

namespace Zorvek {

class Clock;
class Demo;
class Effect;

// The latest end of any event in the schedule (0 when it is empty): after it nothing is active.
// Not always the last event's end: an event added earlier may last longer.
int latestEnd(const Timeline& timeline);

// The main loop's state and its pass: turns the clock's time into the picture of one refresh.
// The program, the tests and the offline renderer all drive the show through this.
//
// The show was made at 60 passes a second, and much of it feeds each pass's picture into the
// next. So a moment whose picture depends on the passes before it runs its passes on a 60 Hz
// grid of music time (PassGrid), whatever the display's rate: a refresh runs the grid's passes
// that have come due since the last one (none, one, or on a display slower than 60 Hz sometimes
// two) and shows the latest. Every other moment renders one pass per refresh, at the refresh's
// own time, as smoothly as the display allows.
class MainLoop {
public:
    // Between passes the list holds only effects that had an event in the last pass (at most
    // 63 distinct ones), and a pass adds at most 63 more, each effect once: so a jump from one
    // full moment to another fits.
    static constexpr int MAX_RUNNING = 2 * (Timeline::MAX_ACTIVE - 1);

    MainLoop(Demo& demo, Clock& clock);

    // Before the first pass: the Home and End jump points, and the effects prepared.
    void begin();
    // Serves a pending window/fullscreen switch.
    void switchModeIfRequested();
    // One refresh: its time, the passes due then (schedule, effects, the finished frame), the
    // overlays, the presentation. Returns the picture presented (valid until the next pass).
    BITMAP* pass();
    // After the last pass: stops every running effect.
    void end();

    Effect* running[MAX_RUNNING] = {};
    int runningCount = 0;
    int lastEnd = 0;      // end of the last event in the schedule
    int scheduleEnd = 0;  // the latest end of any event: nothing is active after it
    int prevTime = 0;
    int time = 0;            // T of the last pass
    bool quitAtEnd = false;  // at the end of the schedule, quit instead of rewinding

    // The most passes one refresh runs: enough for a 50 Hz display (two now and then) and one
    // refresh missed on it. More due (a slow pass, a busy machine) are left for the next
    // refreshes, which catch up two passes a refresh at 60 Hz; but a show further behind than
    // MOST_BEHIND passes (a process stopped for a while) drops the older ones rather than race
    // through them.
    static constexpr int MOST_PASSES = 3;
    static constexpr int MOST_BEHIND = PASSES_PER_SECOND / 5;  // a fifth of a second of the grid
    int mostPasses = MOST_PASSES;                              // the capture, which can take its time, runs them all
    // Count refreshes rather than read the music at each (the program on a display, which paces
    // them): RefreshTimes.
    bool steadyRefreshes = false;
    // Every moment on the grid, not only those that depend on the passes before them.
    bool everyPassOnTheGrid = false;
    PresentTime presentTime;
    PassGrid grid;
    // Counts in 64 bits on every platform: the capture asks for every pass due at once (mostPasses
    // at its largest), and a sum with it must not wrap where long has 32 bits.
    std::int64_t nextGridPass = 0;  // the first pass of the grid not yet run or left behind
    std::int64_t passes = 0;        // passes run

private:
    enum class Landing { Playing, Landed, Held };
    Landing takeTime(int& t);
    // Lays the grid from `t` and renders there.
    BITMAP* land(int t);
    // The passes of a refresh at `t` while the show plays.
    BITMAP* play(int t);
    // One pass at music time t: schedule, effects, the finished frame.
    BITMAP* render(int t);
    // Presents the refresh's picture: the frame a pass drew, or (null) the last one again.
    void showPicture(BITMAP* frame);
    void runActiveEvents(int t);
    void addRunning(Effect* e);
    void stopFinishedEffects();
    BITMAP* takeFinishedFrame();
    void drawOverlays(BITMAP* frame, int t);

    Demo& demo;
    Clock& clock;
    RefreshTimes refreshTimes;
    bool anchored = false;       // the grid is laid: the show has landed at least once
    int landedAt = -1;           // where the music was moved by the last pass's end of schedule
    BITMAP* shown = nullptr;     // the last picture presented
    bool shownOnScreen = false;  // `shown` is on the screen as it is now: no pass drew into it since
};

}  // namespace Zorvek
