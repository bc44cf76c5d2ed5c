#include "display/enlarge.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zorvek {

namespace {

// One row widened, each pixel `scale` times, a pixel at a time.
void widenPlain(const std::uint32_t* in, int w, int scale, std::uint32_t* out) {
    for (int x = 0; x < w; ++x)
        for (int j = 0; j < scale; ++j) out[scale * x + j] = in[x];
}

#if defined(__SSE2__)
// Stores for rows that start on a 16-byte boundary: streamed past the caches, since the enlarged
// picture is written once and read by the window system, not by us.
struct Streamed {
    static void put(__m128i* to, __m128i v) { _mm_stream_si128(to, v); }
};
struct Unaligned {
    static void put(__m128i* to, __m128i v) { _mm_storeu_si128(to, v); }
};

// Four pixels at a time, each spread over `Scale` words by shuffles; the rest as above.
template <int Scale, class Store>
void widen(const std::uint32_t* in, int w, std::uint32_t* out) {
    const int whole = w & ~3;
    for (int x = 0; x < whole; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
        auto* to = reinterpret_cast<__m128i*>(out + Scale * x);
        if constexpr (Scale == 2) {
            Store::put(to, _mm_unpacklo_epi32(v, v));
            Store::put(to + 1, _mm_unpackhi_epi32(v, v));
        } else if constexpr (Scale == 3) {
            Store::put(to, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 0, 0)));
            Store::put(to + 1, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 1, 1)));
            Store::put(to + 2, _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 2)));
        } else {
            static_assert(Scale == 4);
            Store::put(to, _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 0, 0, 0)));
            Store::put(to + 1, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 1, 1, 1)));
            Store::put(to + 2, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 2, 2)));
            Store::put(to + 3, _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 3)));
        }
    }
    widenPlain(in + whole, w - whole, Scale, out + Scale * whole);
}

template <int Scale>
void widen(const std::uint32_t* in, int w, std::uint32_t* out) {
    if ((reinterpret_cast<std::uintptr_t>(out) & 15) == 0) widen<Scale, Streamed>(in, w, out);
    else widen<Scale, Unaligned>(in, w, out);
}

// The streamed stores reach memory before the window system is told to read it.
void storesDone() { _mm_sfence(); }
#else
template <int Scale>
void widen(const std::uint32_t* in, int w, std::uint32_t* out) {
    widenPlain(in, w, Scale, out);
}

void storesDone() {}
#endif

void widen(const std::uint32_t* in, int w, int scale, std::uint32_t* out) {
    switch (scale) {
        case 1: std::memcpy(out, in, static_cast<std::size_t>(w) * sizeof *out); return;
        case 2: widen<2>(in, w, out); return;
        case 3: widen<3>(in, w, out); return;
        case 4: widen<4>(in, w, out); return;
        default: widenPlain(in, w, scale, out); return;
    }
}

template <class T>
T* advance(T* p, std::ptrdiff_t bytes) {
    using Byte = std::conditional_t<std::is_const_v<T>, const unsigned char, unsigned char>;
    return reinterpret_cast<T*>(reinterpret_cast<Byte*>(p) + bytes);
}

}  // namespace

void enlargeWhole(const std::uint32_t* from, int fromPitch, int w, int h, int scale, std::uint32_t* to, int toPitch) {
    if (w <= 0 || h <= 0 || scale < 1) return;
    // Every copy of a row is widened from the frame's row, which stays in the cache meanwhile.
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* in = advance(from, static_cast<std::ptrdiff_t>(fromPitch) * y);
        for (int k = 0; k < scale; ++k)
            widen(in, w, scale, advance(to, static_cast<std::ptrdiff_t>(toPitch) * (scale * y + k)));
    }
    storesDone();
}

}  // namespace Zorvek
