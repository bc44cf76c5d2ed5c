#pragma once
// ProTracker's period table (finetune 0): three octaves, C-1 to B-3, the range every player reads.

#include <array>

namespace composer {

constexpr int NOTE_COUNT = 36;
constexpr std::array<int, NOTE_COUNT> PERIODS = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339, 320,
    302, 285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
};
constexpr double PAL_CLOCK = 3546895.0;  // Paula's clock divided by two: rate = clock / period

}  // namespace composer
