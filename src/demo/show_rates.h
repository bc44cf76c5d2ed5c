#pragma once

#include <cstdint>

#include "display/per_second.h"

struct BITMAP;

namespace Zorvek {

// What the show did each second, for the report at exit: passes run, and pictures presented
// that differ from the one before (told apart by a hash of their pixels, taken only when asked
// for).
struct ShowRates {
    PerSecond passes;
    PerSecond pictures;
    long dropped = 0;  // passes of the grid left out because more were due at once than a refresh runs
    bool hashPictures = false;

    void passRun(Nanos now) { passes.count(now); }
    void presented(BITMAP* frame, Nanos now);

private:
    std::uint64_t lastHash = 0;
    bool haveHash = false;
};

// A 64-bit hash of a frame's pixels (FNV-1a in four interleaved lanes over its rows).
std::uint64_t frameHash(BITMAP* frame);

}  // namespace Zorvek
