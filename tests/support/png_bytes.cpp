#include "support/png_bytes.h"

#include <allegro.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace Zorvek::testing {

namespace {
constexpr std::uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void append32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}

void appendText(Bytes& b, const char* text) { b.insert(b.end(), text, text + std::strlen(text)); }

int channels(int colourType) {
    switch (colourType) {
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 1;
    }
}

// Deflates the filtered picture data: every row of every pass (one pass unless interlaced) led by
// filter byte 0 and filled with `sample`, without holding the whole raw picture.
Bytes deflateRows(std::uint32_t width, std::uint32_t height, int colourType, int bitDepth, bool interlaced,
                  std::uint8_t sample) {
    static constexpr int X0[7] = {0, 4, 0, 2, 0, 1, 0}, Y0[7] = {0, 0, 4, 0, 2, 0, 1};
    static constexpr int DX[7] = {8, 8, 4, 4, 2, 2, 1}, DY[7] = {8, 8, 8, 4, 4, 2, 2};
    Bytes out;
    z_stream z{};
    if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw std::runtime_error("deflateRows: zlib would not start");
    std::uint8_t buffer[1 << 16];
    auto feed = [&](const std::uint8_t* data, std::size_t size, int flush) {
        z.next_in = const_cast<std::uint8_t*>(data);
        z.avail_in = static_cast<uInt>(size);
        do {
            z.next_out = buffer;
            z.avail_out = sizeof buffer;
            const int status = deflate(&z, flush);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                throw std::runtime_error("deflateRows: zlib failed");
            out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
    };
    for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
        std::uint32_t w = width, h = height;
        if (interlaced) {
            w = width > std::uint32_t(X0[pass]) ? (width - X0[pass] + DX[pass] - 1) / DX[pass] : 0;
            h = height > std::uint32_t(Y0[pass]) ? (height - Y0[pass] + DY[pass] - 1) / DY[pass] : 0;
        }
        if (w == 0) continue;
        Bytes line(1 + (std::size_t{w} * channels(colourType) * bitDepth + 7) / 8, sample);
        line[0] = 0;
        for (std::uint32_t y = 0; y < h; ++y) feed(line.data(), line.size(), Z_NO_FLUSH);
    }
    feed(nullptr, 0, Z_FINISH);
    deflateEnd(&z);
    return out;
}
}  // namespace

Bytes inflated(const std::uint8_t* data, std::size_t size) {
    Bytes out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::runtime_error("inflated: zlib would not start");
    z.next_in = const_cast<std::uint8_t*>(data);
    z.avail_in = static_cast<uInt>(size);
    std::uint8_t buffer[1 << 16];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) throw std::runtime_error("inflated: the data is no whole zlib stream");
    return out;
}

void putBigEndian(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

Bytes pngChunk(const char* type, const Bytes& body) {
    Bytes c(12 + body.size());
    putBigEndian(c, 0, static_cast<std::uint32_t>(body.size()));
    std::memcpy(c.data() + 4, type, 4);
    if (!body.empty()) std::memcpy(c.data() + 8, body.data(), body.size());
    uLong crc = crc32(0L, c.data() + 4, static_cast<uInt>(4 + body.size()));
    putBigEndian(c, 8 + body.size(), static_cast<std::uint32_t>(crc));
    return c;
}

Bytes plainPng(std::uint32_t width, std::uint32_t height, int colourType, int bitDepth, std::uint8_t sample,
               bool interlaced) {
    Bytes png(SIGNATURE, SIGNATURE + sizeof SIGNATURE);
    Bytes header;
    append32(header, width);
    append32(header, height);
    header.insert(header.end(), {static_cast<std::uint8_t>(bitDepth), static_cast<std::uint8_t>(colourType), 0, 0,
                                 static_cast<std::uint8_t>(interlaced)});
    Bytes ihdr = pngChunk("IHDR", header);
    png.insert(png.end(), ihdr.begin(), ihdr.end());
    if (colourType == 3) {
        Bytes palette;
        for (int i = 0; i < (bitDepth < 8 ? 1 << bitDepth : 256); ++i)
            palette.insert(palette.end(), 3, static_cast<std::uint8_t>(i));
        Bytes plte = pngChunk("PLTE", palette);
        png.insert(png.end(), plte.begin(), plte.end());
    }
    Bytes idat = pngChunk("IDAT", deflateRows(width, height, colourType, bitDepth, interlaced, sample));
    png.insert(png.end(), idat.begin(), idat.end());
    Bytes iend = pngChunk("IEND", {});
    png.insert(png.end(), iend.begin(), iend.end());
    return png;
}

std::vector<ChunkAt> pngChunks(const Bytes& png) {
    std::vector<ChunkAt> out;
    std::size_t at = sizeof SIGNATURE;
    while (at + 12 <= png.size()) {
        std::uint32_t length = (std::uint32_t{png[at]} << 24) | (std::uint32_t{png[at + 1]} << 16) |
                               (std::uint32_t{png[at + 2]} << 8) | png[at + 3];
        out.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8), at, length});
        if (length > png.size() - at - 12) break;
        at += 12 + length;
    }
    return out;
}

void setPngHeader(Bytes& png, std::uint32_t width, std::uint32_t height, int bitDepth, int colourType) {
    const std::size_t body = sizeof SIGNATURE + 8;
    putBigEndian(png, body, width);
    putBigEndian(png, body + 4, height);
    png[body + 8] = static_cast<std::uint8_t>(bitDepth);
    png[body + 9] = static_cast<std::uint8_t>(colourType);
    putBigEndian(png, body + 13, static_cast<std::uint32_t>(crc32(0L, png.data() + body - 4, 17)));
}

Bytes withPictureData(const Bytes& png, const std::function<void(Bytes& raw)>& change) {
    for (const ChunkAt& c : pngChunks(png)) {
        if (c.type != "IDAT") continue;
        Bytes raw = inflated(png.data() + c.at + 8, c.length);
        change(raw);
        uLongf packed = compressBound(raw.size());
        Bytes deflated(packed);
        if (compress(deflated.data(), &packed, raw.data(), raw.size()) != Z_OK)
            throw std::runtime_error("withPictureData: the changed picture data could not be deflated");
        deflated.resize(packed);
        Bytes out(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(c.at));
        Bytes idat = pngChunk("IDAT", deflated);
        out.insert(out.end(), idat.begin(), idat.end());
        out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(c.at + 12 + c.length), png.end());
        return out;
    }
    return png;
}

void insertBeforeImage(Bytes& png, const Bytes& chunk) {
    for (const ChunkAt& c : pngChunks(png))
        if (c.type == "IDAT") {
            png.insert(png.begin() + static_cast<std::ptrdiff_t>(c.at), chunk.begin(), chunk.end());
            return;
        }
}

Bytes packedWhole(const Bytes& datafile) {
    // The library's LZSS writer, writing through a packfile into memory.
    struct Sink {
        static int putc(int c, void* out) {
            static_cast<Bytes*>(out)->push_back(static_cast<std::uint8_t>(c));
            return c;
        }
        static long write(const void* p, long n, void* out) {
            auto* b = static_cast<const std::uint8_t*>(p);
            static_cast<Bytes*>(out)->insert(static_cast<Bytes*>(out)->end(), b, b + n);
            return n;
        }
        static int close(void*) { return 0; }
        static int none(void*) { return 0; }
        static int getc(void*) { return EOF; }
        static int ungetc(int, void*) { return EOF; }
        static long read(void*, long, void*) { return 0; }
        static int seek(void*, int) { return -1; }
    };
    static const PACKFILE_VTABLE vtable = {Sink::close, Sink::getc, Sink::ungetc, Sink::read, Sink::putc,
                                           Sink::write, Sink::seek, Sink::none,   Sink::none};
    Bytes packed = {'s', 'l', 'h', '!'};
    PACKFILE* file = pack_fopen_vtable(&vtable, &packed);
    LZSS_PACK_DATA* state = create_lzss_pack_data();
    Bytes contents(datafile.begin() + 4, datafile.end());
    lzss_write(file, state, static_cast<int>(contents.size()), contents.data(), 1);
    free_lzss_pack_data(state);
    pack_fclose(file);
    return packed;
}

Bytes datafileOf(const std::vector<std::pair<std::string, Bytes>>& objects) {
    const char magic[] = "slh.ALL.";
    Bytes d(magic, magic + 8);
    append32(d, static_cast<std::uint32_t>(objects.size()));
    for (const auto& [name, data] : objects) {
        appendText(d, "propNAME");
        append32(d, static_cast<std::uint32_t>(name.size()));
        d.insert(d.end(), name.begin(), name.end());
        appendText(d, "PNG ");
        append32(d, static_cast<std::uint32_t>(data.size()));
        append32(d, static_cast<std::uint32_t>(data.size()));
        d.insert(d.end(), data.begin(), data.end());
    }
    return d;
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace Zorvek::testing
