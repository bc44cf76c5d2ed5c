#pragma once
// The show's pictures are PNG files. Each one is checked before any decoder sees it, so that a
// damaged or hostile file ends in a clear refusal rather than in a decoder that trusts what it
// reads: the structure of its chunks, their checksums and the size of the picture.

#include <cstddef>
#include <cstdint>

struct BITMAP;

namespace Zorvek {

// Pictures are at most this wide and high: 64 MB decoded at the show's 32 bits.
constexpr int MAX_PICTURE_SIDE = 4096;

struct PngHeader {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
};

// True when `data` holds a whole PNG as far as its chunks tell: the signature, a first chunk that
// is a valid header (a colour type and depth the format allows, sides from 1 to
// MAX_PICTURE_SIDE), every chunk within the data with its checksum right, no critical chunk but
// the four known ones, a palette where one is needed, picture data in one run, and an end chunk.
// Cheap: nothing is inflated. Fills `header` when given.
bool checkPng(const std::uint8_t* data, std::size_t size, PngHeader* header = nullptr);

// Decodes a PNG into a bitmap of the current colour depth, exactly as the PNG add-on's load_png
// does (the same colour conversions, alpha kept when the PNG has it). Null, before any bitmap is
// made, unless it passes checkPng and its picture data inflates to exactly the rows its header
// calls for, each with a known filter (a decoder would otherwise give up halfway, or warn on
// standard error). The chunks that carry no pixel (text above all, whose compressed forms could
// make the decoder hold far more memory than the file's size) are left out first, with those the
// decoder would ignore.
// `lackedMemory`, when given, tells a refusal for want of memory to decode into from a refusal
// of the file.
BITMAP* decodePng(const std::uint8_t* data, std::size_t size, bool* lackedMemory = nullptr);

}  // namespace Zorvek
