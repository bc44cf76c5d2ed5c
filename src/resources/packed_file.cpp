#include "resources/packed_file.h"

#include <allegro.h>

#include <algorithm>
#include <cstring>

namespace Zorvek {

namespace {

// A read-only packfile over bytes in memory, for the library's LZSS reader.
struct Source {
    const std::uint8_t* at;
    const std::uint8_t* end;
};

int sourceGetc(void* data) {
    auto* s = static_cast<Source*>(data);
    return s->at == s->end ? EOF : *s->at++;
}
long sourceRead(void* p, long n, void* data) {
    auto* s = static_cast<Source*>(data);
    n = std::clamp(n, 0L, static_cast<long>(s->end - s->at));
    std::memcpy(p, s->at, static_cast<std::size_t>(n));
    s->at += n;
    return n;
}
int sourceFeof(void* data) {
    auto* s = static_cast<Source*>(data);
    return s->at == s->end;
}
int sourceError(void*) { return 0; }
int sourceClose(void*) { return 0; }
int refusedUngetc(int, void*) { return EOF; }
int refusedPutc(int, void*) { return EOF; }
long refusedWrite(const void*, long, void*) { return 0; }
int refusedSeek(void*, int) { return -1; }

const PACKFILE_VTABLE SOURCE = {sourceClose,  sourceGetc,  refusedUngetc, sourceRead, refusedPutc,
                                refusedWrite, refusedSeek, sourceFeof,    sourceError};

}  // namespace

Unpacked unpackLzss(const std::uint8_t* packed, std::size_t size, std::size_t limit, std::vector<std::uint8_t>& out) {
    out.clear();
    Source source{packed, packed + size};
    PACKFILE* file = pack_fopen_vtable(&SOURCE, &source);
    LZSS_UNPACK_DATA* state = file ? create_lzss_unpack_data() : nullptr;
    Unpacked result = state ? Unpacked::Ok : Unpacked::Damaged;
    constexpr int PIECE = 1 << 16;
    unsigned char piece[PIECE];
    while (result == Unpacked::Ok) {
        const int n = lzss_read(file, state, PIECE, piece);
        if (n <= 0) break;
        if (out.size() + static_cast<std::size_t>(n) > limit) result = Unpacked::TooLarge;
        else out.insert(out.end(), piece, piece + n);
    }
    // The stream simply ends: one cut short unpacks to a datafile cut short, which the walk over
    // it finds as such.
    if (result == Unpacked::Ok && out.empty()) result = Unpacked::Damaged;
    if (state) free_lzss_unpack_data(state);
    if (file) pack_fclose(file);
    if (result != Unpacked::Ok) out.clear();
    return result;
}

}  // namespace Zorvek
