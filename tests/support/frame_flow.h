#pragma once
// Runs effects as the main loop does: events on the demo's timeline and whole passes at chosen
// music times, with pictures placed in the loader cache as if the datafile held them.

#include <allegro.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "runtime/clock.h"
#include "runtime/controls.h"
#include "runtime/main_loop.h"
#include "support/headless.h"

namespace Zorvek::testing {

// Fills a picture with pseudo-random pixels, top byte included (as a loaded picture's alpha).
inline void scramble(BITMAP* b, std::uint32_t seed) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            setPixel(b, x, y, seed ^ (seed >> 16));
        }
}

class Stage {
public:
    static constexpr const char* DATAFILE = "stage.dat";

    HeadlessDemo demo;

    Stage() { demo.loader.datafile = DATAFILE; }
    // Effects declared after the stage are destroyed before it: their images go back first.
    ~Stage() {
        for (BITMAP* image : images) demo.loader.unloadImage(image);
    }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;

    // Puts `image` in the cache under `objectName`; the cache owns it from now on. The stage holds
    // one reference until it ends, so the image outlives the effects that load it.
    BITMAP* picture(const char* objectName, BITMAP* image) {
        char path[64];
        std::snprintf(path, sizeof path, "%s#%s", DATAFILE, objectName);
        demo.loader.insert(path, image, 0, 1);
        images.push_back(image);
        return image;
    }

    TimelineEvent* event(Effect& effect, int start, int duration, int phase = 0) {
        return demo.timeline.add(start, duration, &effect, phase);
    }

    // One pass of the main loop at music time `ms`; returns the finished frame. It lands there as
    // a jump does, so that a moment which keeps to the 60 Hz grid renders `ms` all the same.
    BITMAP* passAt(int ms) {
        if (!loop) loop.emplace(demo, clock);
        clock.ms = ms;
        jumpTo = ms;
        return loop->pass();
    }

    // Stops every running effect, as the main loop does when the show quits.
    void end() {
        if (loop) loop->end();
    }

private:
    ManualClock clock;
    std::optional<MainLoop> loop;
    std::vector<BITMAP*> images;
};

}  // namespace Zorvek::testing
