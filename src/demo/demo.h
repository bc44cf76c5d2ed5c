#pragma once

#include "display/display.h"
#include "music/music.h"
#include "parallel/worker_pool.h"
#include "resources/loader.h"
#include "demo/show_rates.h"
#include "timeline/timeline.h"

struct BITMAP;

namespace Zorvek {

// How the demo object brings the platform up.
enum class DemoMode {
    Interactive,  // a window on the display, with the viewer's keyboard and mouse
    Headless,     // no system driver, no input: tests and offline rendering
};

// The base of the show: owns every runtime service by value. The concrete show derives from it,
// adds its effects and fills the timeline in script().
class Demo {
public:
    static constexpr int FRAME_SLOTS = 17;  // slot 0 is the permanent null floor

    Loader loader;
    Display display;
    Music music;
    Timeline timeline;
    BITMAP* frames[FRAME_SLOTS] = {nullptr};
    int frameCount = 1;
    // Threads that share out the heaviest effects' rows; started with the demo, idle between
    // passes. Their number is workerCount() at construction.
    WorkerPool workers;
    bool quitAtEnd = false;  // leave when the schedule has run out, instead of rewinding
    int stoppedAt = 0;       // music time of the last pass, once run() has returned
    ShowRates rates;         // passes and pictures per second, for the report at exit

    explicit Demo(DemoMode mode = DemoMode::Interactive);
    virtual ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    virtual void script();
    static void setKeyJump(int scancode, int ms);
};

}  // namespace Zorvek
