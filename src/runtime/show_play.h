#pragma once

#include "runtime/clock.h"
#include "runtime/input.h"
#include "runtime/main_loop.h"

namespace Zorvek {

class Demo;

// The show as it plays, on any platform: the music as its clock, the main loop, and the viewer's
// input, which the platform feeds between refreshes. Made, the music starts; refresh() gives each
// displayed refresh its pass; end() stops the running effects and releases the music.
class ShowPlay {
public:
    explicit ShowPlay(Demo& demo);
    ShowPlay(const ShowPlay&) = delete;
    ShowPlay& operator=(const ShowPlay&) = delete;

    // One refresh at `now`: the key repeats and ticks due, a pending switch between window and
    // fullscreen, the pass.
    void refresh(Nanos now);
    // The viewer asked to quit, or the show played once to its end where it was to.
    bool over() const;
    void end();

    Input input;

private:
    Demo& demo;
    MusicClock clock;
    MainLoop loop;
};

}  // namespace Zorvek
