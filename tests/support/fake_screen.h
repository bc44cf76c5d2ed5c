#pragma once
// A stand-in screen for tests of the display and the main loop: it opens what it is told it can,
// and remembers what it was asked to open and to show.

#include <vector>

#include "display/screen.h"

namespace Zorvek::testing {

class FakeScreen final : public Screen {
public:
    bool fullscreenWorks = true;
    bool windowWorks = true;
    std::vector<bool> opened;  // the windowed flag of every open asked for
    BITMAP* shown = nullptr;   // the last frame shown
    int shows = 0;             // frames shown
    int holds = 0;             // passes that kept the picture on show
    Pacer pacer;

    bool open(bool windowed, int, int) override {
        opened.push_back(windowed);
        return windowed ? windowWorks : fullscreenWorks;
    }
    void show(BITMAP* frame) override {
        if (!frame) {
            ++holds;
            return;
        }
        ++shows;
        shown = frame;
    }
    const Pacer& pacing() const override { return pacer; }
};

}  // namespace Zorvek::testing
