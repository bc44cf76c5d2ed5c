#include "resources/png_file.h"

#include <allegro.h>
#include <loadpng.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/big_endian.h"

namespace Zorvek {

namespace {

using platform::bigEndian;

constexpr std::uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t CHUNK_OVERHEAD = 12;  // length, type, checksum
constexpr std::size_t HEADER_LENGTH = 13;
constexpr int TRUECOLOUR = 2, PALETTE = 3, GREY_ALPHA = 4, TRUECOLOUR_ALPHA = 6;

bool isType(const std::uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

bool isLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Critical chunks have an upper-case first letter; a decoder must refuse one it does not know.
bool isCritical(const std::uint8_t* type) { return type[0] >= 'A' && type[0] <= 'Z'; }

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

int samplesPerPixel(int colourType) {
    switch (colourType) {
        case TRUECOLOUR: return 3;
        case GREY_ALPHA: return 2;
        case TRUECOLOUR_ALPHA: return 4;
        default: return 1;
    }
}

// The rows of filtered picture data a header calls for, pass by pass when interlaced: each row
// is a filter byte and the row's packed samples.
class RowPlan {
public:
    explicit RowPlan(const PngHeader& h) : header(h) { nextPass(); }
    bool done() const { return pass > 7; }
    std::uint64_t rowLength() const { return length; }
    void rowDone() {
        if (--rowsLeft == 0) nextPass();
    }

private:
    void nextPass() {
        // Adam7: where each of the seven passes starts, and its steps, across and down.
        static constexpr int X0[7] = {0, 4, 0, 2, 0, 1, 0}, Y0[7] = {0, 0, 4, 0, 2, 0, 1};
        static constexpr int DX[7] = {8, 8, 4, 4, 2, 2, 1}, DY[7] = {8, 8, 8, 4, 4, 2, 2};
        while (++pass <= 7) {
            std::uint64_t w = header.width, h = header.height;
            if (header.interlace) {
                int p = pass - 1;
                w = header.width > X0[p] ? (header.width - X0[p] + DX[p] - 1) / DX[p] : 0;
                h = header.height > Y0[p] ? (header.height - Y0[p] + DY[p] - 1) / DY[p] : 0;
            } else if (pass > 1) {
                pass = 8;
                return;
            }
            if (w == 0 || h == 0) continue;
            rowsLeft = h;
            length = 1 + (w * samplesPerPixel(header.colourType) * header.bitDepth + 7) / 8;
            return;
        }
    }

    PngHeader header;
    int pass = 0;
    std::uint64_t rowsLeft = 0, length = 0;
};

// The picture data's chunks: where each body begins, and its length.
using ImageChunks = std::vector<std::pair<const std::uint8_t*, std::uint32_t>>;

// The picture data, inflated once without being kept: exactly the rows the header calls for,
// each with a known filter, and nothing after them. A decoder that met anything else would give
// up halfway through a picture (or warn about it on standard error).
bool isWholePictureData(const PngHeader& h, const ImageChunks& chunks) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    RowPlan rows(h);
    std::uint64_t inRow = 0;
    std::uint8_t out[1 << 15];
    int status = Z_OK;
    bool ok = true;
    std::size_t i = 0;
    for (; ok && status == Z_OK && i < chunks.size(); ++i) {
        z.next_in = const_cast<Bytef*>(chunks[i].first);
        z.avail_in = chunks[i].second;
        while (ok && status == Z_OK && (z.avail_in > 0 || z.avail_out == 0)) {
            z.next_out = out;
            z.avail_out = sizeof out;
            status = inflate(&z, Z_NO_FLUSH);
            if (status == Z_BUF_ERROR) status = Z_OK;  // no progress possible until more input
            if (status != Z_OK && status != Z_STREAM_END) ok = false;
            for (std::uint8_t* p = out; ok && p < z.next_out;) {
                if (rows.done()) {
                    ok = false;  // more data than the picture holds
                } else if (inRow == 0 && *p > 4) {
                    ok = false;  // filter types 0 to 4
                } else {
                    std::uint64_t take =
                        std::min<std::uint64_t>(rows.rowLength() - inRow, static_cast<std::uint64_t>(z.next_out - p));
                    p += take;
                    inRow += take;
                    if (inRow == rows.rowLength()) {
                        inRow = 0;
                        rows.rowDone();
                    }
                }
            }
        }
    }
    inflateEnd(&z);
    // The stream ends with the last chunk's last byte.
    return ok && status == Z_STREAM_END && rows.done() && i == chunks.size() && z.avail_in == 0;
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

// Which chunks the decoder gets: only those that shape the picture, each once and in its place.
// The critical ones; the gamma, sRGB and colour-profile chunks before the palette; one valid
// transparency chunk before the picture data. What is left out is what it would ignore (with a
// warning on standard error when out of place), or what carries no pixel: text, above all, whose
// compressed forms could make it hold far more memory than the file's size.
class DecoderChunks {
public:
    explicit DecoderChunks(int colourType) : colourType(colourType) {}

    // Whether the next chunk, in file order, goes to the decoder.
    bool keeps(const std::uint8_t* type, std::uint32_t length) {
        if (isCritical(type)) {
            if (isType(type, "PLTE")) {
                palette = true;
                paletteEntries = length / 3;
            }
            if (isType(type, "IDAT")) image = true;
            return true;
        }
        if (!image && !palette && isType(type, "gAMA")) return length == 4 && first(gamma);
        if (!image && !palette && isType(type, "sRGB")) return length == 1 && first(standard);
        if (!image && !palette && isType(type, "iCCP")) return first(profile);
        if (!image && isType(type, "tRNS")) return fitsTransparency(length) && first(transparency);
        return false;
    }

private:
    static bool first(bool& seen) { return !seen && (seen = true); }
    bool fitsTransparency(std::uint32_t length) const {
        switch (colourType) {
            case 0: return length == 2;
            case TRUECOLOUR: return length == 6;
            case PALETTE: return palette && length >= 1 && length <= paletteEntries;
            default: return false;  // the picture has an alpha channel of its own
        }
    }

    int colourType;
    bool palette = false, image = false, gamma = false, standard = false, profile = false, transparency = false;
    std::uint32_t paletteEntries = 0;
};

// The file as the decoder gets it: the signature and the chunks it keeps. `imageData` receives
// the picture data's chunks, for the check that they hold the whole picture.
std::vector<std::uint8_t> chunksForDecoder(const std::uint8_t* data, std::size_t size, int colourType,
                                           ImageChunks& imageData) {
    std::vector<std::uint8_t> kept(data, data + sizeof SIGNATURE);
    kept.reserve(size);
    DecoderChunks chunks(colourType);
    walkChunks(data, size,
               [&](const std::uint8_t* type, const std::uint8_t* body, std::uint32_t length, std::size_t at) {
                   if (isType(type, "IDAT") && length > 0) imageData.emplace_back(body, length);
                   if (chunks.keeps(type, length))
                       kept.insert(kept.end(), data + at, data + at + CHUNK_OVERHEAD + length);
                   return true;
               });
    return kept;
}

// The add-on does not check what it allocates: the room it will take (the bitmap, and rows of up
// to 8 bytes a pixel as it decodes them) is made sure of first.
bool roomToDecode(const PngHeader& header) {
    const std::size_t room = static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height) * 12;
    void* trial = std::malloc(room);
    if (!trial) return false;
    std::free(trial);
    return true;
}
}  // namespace

bool checkPng(const std::uint8_t* data, std::size_t size, PngHeader* header) {
    if (!data || size < sizeof SIGNATURE || std::memcmp(data, SIGNATURE, sizeof SIGNATURE) != 0) return false;
    PngHeader h;
    bool seenHeader = false, seenPalette = false, dataEnded = false;
    std::size_t imageChunks = 0;
    bool whole = walkChunks(data, size,
                            [&](const std::uint8_t* type, const std::uint8_t* body, std::uint32_t length, std::size_t) {
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

BITMAP* decodePng(const std::uint8_t* data, std::size_t size, bool* lackedMemory) {
    if (lackedMemory) *lackedMemory = false;
    if (size > static_cast<std::size_t>(INT_MAX)) return nullptr;
    PngHeader header;
    if (!checkPng(data, size, &header)) return nullptr;
    ImageChunks imageData;
    const std::vector<std::uint8_t> kept = chunksForDecoder(data, size, header.colourType, imageData);
    if (!isWholePictureData(header, imageData)) return nullptr;
    if (!roomToDecode(header)) {
        if (lackedMemory) *lackedMemory = true;
        return nullptr;
    }
    return load_memory_png(kept.data(), static_cast<int>(kept.size()), nullptr);
}

}  // namespace Zorvek
