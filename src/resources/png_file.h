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

// True when `data` holds a whole PNG that the show can decode: the signature, a first chunk that
// is a valid header (a colour type and depth the format allows, sides from 1 to
// MAX_PICTURE_SIDE), every chunk within the data with its checksum right, a palette where one
// is needed, picture data, and an end chunk. Fills `header` when given.
bool checkPng(const std::uint8_t* data, std::size_t size, PngHeader* header = nullptr);

// Decodes a PNG that passed checkPng into a bitmap of the current colour depth, exactly as the
// PNG add-on's load_png does (the same colour conversions, alpha kept when the PNG has it). The
// chunks that carry no pixel (text above all, whose compressed forms could make the decoder hold
// far more memory than the file's size) are left out first, with those the decoder would ignore.
// Null when the decoder refuses the picture.
BITMAP* decodePng(const std::uint8_t* data, std::size_t size);

}  // namespace Zorvek
