#pragma once
// Reading the show's input files: only regular files, whole, and only up to a size the caller
// names. A pipe, a device, a directory or a loop of links is refused at once instead of blocking
// or reading forever.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zorvek::platform {

enum class FileStatus { Ok, NotFound, Unreadable };

// Reads the whole of the regular file `path` into `bytes`. NotFound when nothing is there;
// Unreadable for anything else that is not a regular file of at most `limit` bytes read in full.
// On failure `bytes` is empty.
FileStatus readRegularFile(const char* path, std::size_t limit, std::vector<std::uint8_t>& bytes);

}  // namespace Zorvek::platform
