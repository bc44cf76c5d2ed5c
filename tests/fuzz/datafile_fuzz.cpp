// Fuzz target: the datafile's checks, and the decoding of every picture that passes them.
// Random changes rarely keep a PNG chunk's checksum right, while a hostile file would: each input
// is tried as it is, and once more with every picture's checksums made right, so that the
// decoder behind the checks is reached too.
#include <allegro.h>
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "resources/datafile.h"
#include "resources/png_file.h"

namespace {

std::uint32_t bigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Rewrites the checksum of every chunk that fits within the object.
void rightChecksums(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size) {
    std::uint8_t* p = bytes.data() + offset;
    for (std::size_t at = 8; size >= 12 && at <= size - 12;) {
        std::uint32_t length = bigEndian(p + at);
        if (length > size - 12 - at) return;
        uLong crc = crc32(0L, p + at + 4, 4 + length);
        for (int i = 0; i < 4; ++i) p[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

void decodeEveryPicture(const Zorvek::Datafile& datafile) {
    for (const Zorvek::Datafile::Object& o : datafile.objects()) {
        if (!o.picture) continue;
        if (BITMAP* b = Zorvek::decodePng(datafile.data(o), o.size)) destroy_bitmap(b);
        datafile.picture(o.name.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        install_allegro(SYSTEM_NONE, &errno, std::atexit);
        set_color_depth(32);
        return true;
    }();
    (void)ready;
    std::vector<std::uint8_t> bytes(data, data + size);
    Zorvek::Datafile datafile;
    datafile.take(bytes);
    decodeEveryPicture(datafile);
    for (const Zorvek::Datafile::Object& o : datafile.objects()) rightChecksums(bytes, o.offset, o.size);
    datafile.take(std::move(bytes));
    decodeEveryPicture(datafile);
    return 0;
}
