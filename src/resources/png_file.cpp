#include "resources/png_file.h"

#include <allegro.h>
#include <loadpng.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace Zorvek {

namespace {
constexpr std::uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t CHUNK_OVERHEAD = 12;  // length, type, checksum
constexpr std::size_t HEADER_LENGTH = 13;
constexpr int TRUECOLOUR = 2, PALETTE = 3, GREY_ALPHA = 4, TRUECOLOUR_ALPHA = 6;

std::uint32_t bigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool isType(const std::uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

bool isLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Critical chunks have an upper-case first letter; a decoder must refuse one it does not know.
bool isCritical(const std::uint8_t* type) { return type[0] >= 'A' && type[0] <= 'Z'; }

bool isText(const std::uint8_t* type) {
    return isType(type, "tEXt") || isType(type, "zTXt") || isType(type, "iTXt");
}

// The depths the format allows for each colour type.
bool isAllowedDepth(int colourType, int depth) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case PALETTE: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case TRUECOLOUR:
        case GREY_ALPHA:
        case TRUECOLOUR_ALPHA: return depth == 8 || depth == 16;
        default: return false;
    }
}

bool readHeader(const std::uint8_t* d, PngHeader& h) {
    std::uint32_t w = bigEndian(d), ht = bigEndian(d + 4);
    if (w < 1 || w > MAX_PICTURE_SIDE || ht < 1 || ht > MAX_PICTURE_SIDE) return false;
    h.width = static_cast<int>(w);
    h.height = static_cast<int>(ht);
    h.bitDepth = d[8];
    h.colourType = d[9];
    h.interlace = d[12];
    // d[10], d[11]: compression and filter method, of which the format knows only 0.
    return isAllowedDepth(h.colourType, h.bitDepth) && d[10] == 0 && d[11] == 0 && h.interlace <= 1;
}

// Walks the chunks after the signature, calling visit(type, data, length) for each, up to and
// including the end chunk. False when a chunk does not fit, has a bad name or a bad checksum, or
// the data ends before the end chunk.
template <class Visit>
bool walkChunks(const std::uint8_t* data, std::size_t size, Visit visit) {
    std::size_t at = sizeof SIGNATURE;
    for (;;) {
        if (size - at < CHUNK_OVERHEAD) return false;
        std::uint32_t length = bigEndian(data + at);
        const std::uint8_t* type = data + at + 4;
        if (length > size - at - CHUNK_OVERHEAD) return false;
        if (!std::all_of(type, type + 4, isLetter)) return false;
        const std::uint8_t* body = type + 4;
        uLong crc = crc32(crc32(0L, Z_NULL, 0), type, 4 + length);
        if (crc != bigEndian(body + length)) return false;
        if (!visit(type, body, length, at)) return false;
        at += CHUNK_OVERHEAD + length;
        if (isType(type, "IEND")) return true;
    }
}
}  // namespace

bool checkPng(const std::uint8_t* data, std::size_t size, PngHeader* header) {
    if (!data || size < sizeof SIGNATURE || std::memcmp(data, SIGNATURE, sizeof SIGNATURE) != 0)
        return false;
    PngHeader h;
    bool seenHeader = false, seenPalette = false, dataEnded = false;
    int imageChunks = 0;
    bool whole = walkChunks(data, size, [&](const std::uint8_t* type, const std::uint8_t* body,
                                            std::uint32_t length, std::size_t) {
        if (!seenHeader) {
            // The header comes first, once.
            seenHeader = isType(type, "IHDR") && length == HEADER_LENGTH && readHeader(body, h);
            return seenHeader;
        }
        bool image = isType(type, "IDAT");
        if (imageChunks > 0 && !image) dataEnded = true;
        if (image) {
            // Picture data comes in one run of chunks, after the palette it needs.
            if (dataEnded || (h.colourType == PALETTE && !seenPalette)) return false;
            ++imageChunks;
        } else if (isType(type, "PLTE")) {
            if (seenPalette || imageChunks > 0 || length == 0 || length % 3 != 0) return false;
            if (h.colourType == 0 || h.colourType == GREY_ALPHA) return false;
            std::uint32_t entries = length / 3;
            if (entries > 256 || (h.colourType == PALETTE && entries > (1u << h.bitDepth)))
                return false;
            seenPalette = true;
        } else if (isType(type, "IEND")) {
            return length == 0 && imageChunks > 0;
        } else if (isCritical(type)) {
            return false;  // a second header, or a critical chunk no decoder knows
        }
        return true;
    });
    if (!whole) return false;
    if (header) *header = h;
    return true;
}

BITMAP* decodePng(const std::uint8_t* data, std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) return nullptr;
    std::vector<std::uint8_t> plain;
    bool hasText = false;
    walkChunks(data, size, [&](const std::uint8_t* type, const std::uint8_t*, std::uint32_t,
                               std::size_t) {
        hasText = hasText || isText(type);
        return true;
    });
    if (hasText) {
        plain.reserve(size);
        plain.insert(plain.end(), data, data + sizeof SIGNATURE);
        walkChunks(data, size, [&](const std::uint8_t* type, const std::uint8_t*,
                                   std::uint32_t length, std::size_t at) {
            if (!isText(type)) plain.insert(plain.end(), data + at, data + at + CHUNK_OVERHEAD + length);
            return true;
        });
        data = plain.data();
        size = plain.size();
    }
    return load_memory_png(data, static_cast<int>(size), nullptr);
}

}  // namespace Zorvek
