#include "effects/filters.h"

#include <allegro.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "effects/pixels.h"
#include "demo/demo.h"

namespace Zorvek {

using pixels::Pixel;
using pixels::row;

namespace {

constexpr int MAX_IN_PLACE_WIDTH = 4096;

// Weights laid out as on screen: [row above, own row, row below][left, centre, right].
template <class Acc>
struct Taps {
    Acc w[3][3];
    Acc bias;
    int shift;
};

template <class Acc>
Taps<Acc> tapsOf(const Filter3x3Effect& f) {
    const int* k = f.kernel;
    return {{{Acc(k[8]), Acc(k[5]), Acc(k[2])}, {Acc(k[7]), Acc(k[4]), Acc(k[1])}, {Acc(k[6]), Acc(k[3]), Acc(k[0])}},
            Acc(f.bias),
            f.shift & 31};
}

// Whether every weighted sum fits 16 bits, so that the wide fast path gives the exact result.
bool fitsSixteenBits(const Filter3x3Effect& f) {
    std::int64_t reach = std::abs(static_cast<std::int64_t>(f.bias));
    for (int k : f.kernel) reach += 255 * std::abs(static_cast<std::int64_t>(k));
    return reach <= INT16_MAX;
}

template <class T>
inline std::uint8_t clampChannel(T v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One output channel byte from the three rows' bytes at `left`, `centre` and `right`.
template <class Acc>
inline std::uint8_t filterByte(const Taps<Acc>& t, const std::uint8_t* const rows[3], int left, int centre, int right) {
    Acc sum = t.bias;
    for (int r = 0; r < 3; ++r)
        sum += t.w[r][0] * rows[r][left] + t.w[r][1] * rows[r][centre] + t.w[r][2] * rows[r][right];
    return clampChannel(sum >> t.shift);
}

// One output pixel whose left or right neighbour lies beyond the edge (and is the pixel itself).
template <class Acc>
Pixel filterEdgePixel(const Taps<Acc>& t, const std::uint8_t* const rows[3], int x, int width) {
    int left = std::max(x - 1, 0) * 4, centre = x * 4, right = std::min(x + 1, width - 1) * 4;
    Pixel p = 0;
    for (int c = 0; c < 3; ++c) p |= Pixel{filterByte(t, rows, left + c, centre + c, right + c)} << (8 * c);
    return p;
}

// The inner columns 1..width-2, byte by byte (the alpha bytes too; they are cleared after).
// With 16-bit sums this loop vectorises eight (AVX2: sixteen) channels per operation.
template <class Acc>
void filterInner(const Taps<Acc> t, const std::uint8_t* up, const std::uint8_t* mid, const std::uint8_t* down,
                 std::uint8_t* out, int width) {
    pixels::vectorised([=] {
        // Locals, which the byte stores cannot be taken to change.
        const Taps<Acc> k = t;
        const std::uint8_t *u = up, *m = mid, *d = down;
        std::uint8_t* o = out;
        const int end = (width - 1) * 4;
        for (int c = 4; c < end; ++c) {
            Acc sum = k.bias;
            sum += k.w[0][0] * u[c - 4] + k.w[0][1] * u[c] + k.w[0][2] * u[c + 4];
            sum += k.w[1][0] * m[c - 4] + k.w[1][1] * m[c] + k.w[1][2] * m[c + 4];
            sum += k.w[2][0] * d[c - 4] + k.w[2][1] * d[c] + k.w[2][2] * d[c + 4];
            o[c] = clampChannel(sum >> k.shift);
        }
    });
}

// One output row from its three source rows (the edge rows standing in for what lies beyond).
template <class Acc>
void filterRow(const Taps<Acc>& t, const std::uint8_t* const rows[3], Pixel* out, int width) {
    filterInner(t, rows[0], rows[1], rows[2], reinterpret_cast<std::uint8_t*>(out), width);
    for (int x = 1; x < width - 1; ++x) out[x] &= pixels::COLOUR_BITS;
    out[0] = filterEdgePixel(t, rows, 0, width);
    if (width > 1) out[width - 1] = filterEdgePixel(t, rows, width - 1, width);
}

inline const std::uint8_t* bytes(const Pixel* p) { return reinterpret_cast<const std::uint8_t*>(p); }

template <class Acc>
void filterFrame(const Filter3x3Effect& f, BITMAP* source, BITMAP* target, WorkerPool& workers) {
    const Taps<Acc> t = tapsOf<Acc>(f);
    const int width = std::min(source->w, target->w);
    const int height = std::min(source->h, target->h);
    const int last = height - 1;
    if (source == target) {
        // A filter that meets its own frame (one used twice in a pass) filters it in place, row
        // after row as its window slides: the row above is already filtered, its own row and the
        // one below are read as they were. Its own row is kept aside before it is written.
        Pixel own[MAX_IN_PLACE_WIDTH];
        if (width > MAX_IN_PLACE_WIDTH) return;  // far beyond any render size: left as it is
        for (int i = 0; i < height; ++i) {
            std::copy_n(row(source, i), width, own);
            const std::uint8_t* rows[3] = {i == 0 ? bytes(own) : bytes(row(source, i - 1)), bytes(own),
                                           i == last ? bytes(own) : bytes(row(source, i + 1))};
            filterRow(t, rows, row(target, i), width);
        }
        return;
    }
    // Each output row reads three source rows and writes only itself: the rows share out freely.
    workers.forEachRowBand(0, height, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const std::uint8_t* rows[3] = {bytes(row(source, std::max(i - 1, 0))), bytes(row(source, i)),
                                           bytes(row(source, std::min(i + 1, last)))};
            filterRow(t, rows, row(target, i), width);
        }
    });
}

}  // namespace

void Filter3x3Effect::initFilter(Demo* owner, int shiftBits, int biasValue, int k0, int k1, int k2, int k3, int k4,
                                 int k5, int k6, int k7, int k8) {
    Effect::init(owner);
    shift = shiftBits;
    bias = biasValue;
    const int weights[9] = {k0, k1, k2, k3, k4, k5, k6, k7, k8};
    std::copy(weights, weights + 9, kernel);
}

void Filter3x3Effect::render() {
    BITMAP* source = pop();
    if (fitsSixteenBits(*this)) filterFrame<std::int16_t>(*this, source, frame, demo->workers);
    else filterFrame<std::int64_t>(*this, source, frame, demo->workers);
    push(frame);
}

const char* Filter3x3Effect::name() { return "3x3 Filter"; }

void Soften3x3Effect::init(Demo* owner) { initFilter(owner, 3, 0, 0, 1, 0, 1, 4, 1, 0, 1, 0); }
const char* Soften3x3Effect::name() { return "Soften"; }

void Blur3x3Effect::init(Demo* owner) { initFilter(owner, 4, 0, 1, 3, 1, 3, 2, 3, 1, 3, 1); }
const char* Blur3x3Effect::name() { return "Blur"; }

void Sharpen3x3Effect::init(Demo* owner) { initFilter(owner, 3, 0, -1, -1, -1, -1, 16, -1, -1, -1, -1); }
const char* Sharpen3x3Effect::name() { return "Sharpen"; }

void Emboss3x3Effect::init(Demo* owner) { initFilter(owner, 1, 0, 1, 2, 0, 2, 2, -2, 0, -2, -1); }
const char* Emboss3x3Effect::name() { return "Emboss"; }

void Edge3x3Effect::init(Demo* owner) { initFilter(owner, 0, 0, 1, 1, 1, 1, -8, 1, 1, 1, 1); }
const char* Edge3x3Effect::name() { return "Edge"; }

}  // namespace Zorvek
