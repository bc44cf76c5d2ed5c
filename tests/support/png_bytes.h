#pragma once
// PNG files and datafiles built byte by byte, whole or damaged on purpose, for the tests of the
// show's file checks and for the hostile variants of its files.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Zorvek::testing {

using Bytes = std::vector<std::uint8_t>;

// A chunk: length, type, body, checksum.
Bytes pngChunk(const char* type, const Bytes& body);

// A PNG of `width` x `height` pixels whose raw samples are all `sample` (RGB 8-bit unless told
// otherwise), with a palette of greys for palette pictures.
Bytes plainPng(std::uint32_t width, std::uint32_t height, int colourType = 2, int bitDepth = 8,
               std::uint8_t sample = 0x80, bool interlaced = false);

// The PNG (of one picture-data chunk) with its inflated picture data changed by `change`. A
// fixture that cannot be built as asked throws (std::runtime_error), here and below.
Bytes withPictureData(const Bytes& png, const std::function<void(Bytes& raw)>& change);

// Where each chunk of a PNG starts (its length field), in order.
struct ChunkAt {
    std::string type;
    std::size_t at;
    std::uint32_t length;
};
std::vector<ChunkAt> pngChunks(const Bytes& png);

// Rewrites the header's fields with a correct checksum, as a hostile file would.
void setPngHeader(Bytes& png, std::uint32_t width, std::uint32_t height, int bitDepth, int colourType);

// Inserts `chunk` before the first picture-data chunk.
void insertBeforeImage(Bytes& png, const Bytes& chunk);

// A whole zlib stream inflated, however large.
Bytes inflated(const std::uint8_t* data, std::size_t size);

void putBigEndian(Bytes& bytes, std::size_t at, std::uint32_t value);

// An uncompressed datafile of named objects of type "PNG ".
Bytes datafileOf(const std::vector<std::pair<std::string, Bytes>>& objects);

// The datafile packed whole, as the graphics library's tools pack one (dat -c2): its packed
// signature and its contents after the plain signature, LZSS-compressed by the library itself.
Bytes packedWhole(const Bytes& datafile);

Bytes readBytes(const std::string& path);
bool writeBytes(const std::string& path, const Bytes& bytes);

}  // namespace Zorvek::testing
