#pragma once
// Files packed by the graphics library's own tools (a datafile saved with global compression):
// unpacked in memory through the library's packfile layer, never to more than a limit.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zorvek {

enum class Unpacked {
    Ok,
    TooLarge,  // it would unpack to more than the limit
    Damaged,   // the packed data ends before its last piece, or is no packed data at all
};

// Unpacks the LZSS data `packed` (what follows the packed file's signature) into `out`, at most
// `limit` bytes. On failure `out` is empty.
Unpacked unpackLzss(const std::uint8_t* packed, std::size_t size, std::size_t limit, std::vector<std::uint8_t>& out);

}  // namespace Zorvek
