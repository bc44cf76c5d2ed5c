#pragma once
// The rate the show was made at: 60 passes of the main loop a second. What each pass adds to the
// picture before it (feedback and its specks, the steps that warps and interlaces take pass by
// pass, the random patterns) looks as it was made only at this rate, so those passes keep to it
// on every display, in every capture and on every platform. Whatever depends on the count of
// passes reckons from here.

#include "process/time.h"

namespace Zorvek {

constexpr int PASSES_PER_SECOND = 60;
constexpr Nanos PASS_INTERVAL = SECOND / PASSES_PER_SECOND;

}  // namespace Zorvek
