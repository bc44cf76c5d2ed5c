#pragma once

#include <cstdint>

#include "display/per_second.h"

struct BITMAP;

namespace Zorvek {

// What the show did, in one place: each second, for the report at exit, the passes run, the
// refreshes presented on a screen and the pictures presented that differ from the one before (told
// apart by a hash of their pixels, taken only when asked for); and over the last refreshes, the
// passes each ran, for the frame-rate overlay. The times are the process's running time, so that
// seconds in which it stood still are no seconds of the show.
struct ShowRates {
    static constexpr int RECENT = 32;  // refreshes over which the passes a refresh runs are averaged

    PerSecond passes;
    PerSecond refreshes;
    PerSecond pictures;
    std::int64_t dropped = 0;  // passes of the grid left out because more were due at once than a refresh runs
    bool hashPictures = false;

    void passRun(Nanos now) { passes.count(now); }
    // A refresh that ran `passesRun` passes; `onScreen`: it was presented on a screen.
    void refreshed(int passesRun, bool onScreen, Nanos now);
    void presented(BITMAP* frame, Nanos now);
    // The passes a refresh ran, over the last refreshes; 0 before the first.
    double passesPerRefresh() const;

private:
    std::uint64_t lastHash = 0;
    bool haveHash = false;
    unsigned char recentPasses[RECENT] = {};
    int recentNext = 0, recentFilled = 0;
};

// A 64-bit hash of a frame's pixels (FNV-1a in four interleaved lanes over its rows).
std::uint64_t frameHash(BITMAP* frame);

}  // namespace Zorvek
