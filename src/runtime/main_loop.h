#pragma once

#include "timeline/timeline.h"

struct BITMAP;

namespace Zorvek {

class Clock;
class Demo;
class Effect;

// The latest end of any event in the schedule (0 when it is empty): after it nothing is active.
// Not always the last event's end: an event added earlier may last longer.
int latestEnd(const Timeline& timeline);

// The main loop's state and its pass: turns the clock's time into one finished frame.
// The program, the tests and the offline renderer all drive the show through this.
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
    // One pass: time, schedule, effects, the finished frame, overlays, presentation.
    // Returns the finished frame (valid until the next pass).
    BITMAP* pass();
    // After the last pass: stops every running effect.
    void end();

    Effect* running[MAX_RUNNING] = {};
    int runningCount = 0;
    int lastEnd = 0;      // end of the last event in the schedule
    int scheduleEnd = 0;  // the latest end of any event: nothing is active after it
    int prevTime = 0;
    int time = 0;  // T of the last pass
    bool quitAtEnd = false;  // at the end of the schedule, quit instead of rewinding

private:
    int takeTime();
    void runActiveEvents(int t);
    void addRunning(Effect* e);
    void stopFinishedEffects();
    BITMAP* takeFinishedFrame();
    void drawOverlays(BITMAP* frame, int t);

    Demo& demo;
    Clock& clock;
};

}  // namespace Zorvek
