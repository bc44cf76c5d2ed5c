// The show as the program plays it on a desktop: the window's events and the main loop's passes,
// one after the other, until the viewer quits.
#include "process/time.h"
#include "runtime/run_demo.h"
#include "runtime/show_play.h"
#include "window_events.h"

namespace Zorvek {

void runDemo(Demo& demo) {
    ShowPlay play(demo);
    WindowEvents events(play.input);
    while (!play.over()) {
        const Nanos now = monotonicNow();
        events.poll(now);
        play.refresh(now);
    }
    play.end();
}

}  // namespace Zorvek
