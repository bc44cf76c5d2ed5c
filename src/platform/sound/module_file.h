#pragma once
// Limits on a module file, and refusing one that ends before the data its header promises.

#include <cstddef>
#include <cstdint>

namespace Zorvek::sound {

// Modules are small: a larger file is taken for something else.
constexpr std::size_t MAX_MODULE_BYTES = std::size_t(256) << 20;

// A ProTracker-style module (a channel signature at offset 1080) is complete when it holds its
// header, every pattern its order table names and every sample its header lists. The decoder
// would play a cut-off file with silence in place of the missing part; the show refuses it
// instead. Files of other formats are left to the decoder's own checks.
bool isTruncatedTrackerModule(const std::uint8_t* data, std::size_t size);

}  // namespace Zorvek::sound
