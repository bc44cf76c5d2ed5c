#pragma once
// The ProTracker file format: 31 samples, an order list of up to 128 positions, 64-row patterns
// of four bytes per cell, "8CHN" for eight channels.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "arrange.h"
#include "samples.h"

namespace composer {

std::vector<std::uint8_t> writeMod(const std::string& title, const Arrangement& arrangement,
                                   const std::vector<Sample>& samples);

// A cell's four bytes: sample high nibble and period, period low byte, sample low nibble and
// effect, effect parameter.
std::array<std::uint8_t, 4> encodeCell(const Cell& cell);

}  // namespace composer
