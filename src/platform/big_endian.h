#pragma once
// Numbers stored most significant byte first, as the datafile, PNG and tracker formats keep them.

#include <cstdint>

namespace Zorvek::platform {

// The unsigned number in the `bytes` bytes (at most 4) at p.
constexpr std::uint32_t bigEndian(const std::uint8_t* p, int bytes = 4) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
    return value;
}

}  // namespace Zorvek::platform
