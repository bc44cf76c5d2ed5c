#include "effects/mandelbrot_kernels.h"

#include <allegro.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace Zorvek::mandelbrotKernels {

using pixels::Pixel;
using pixels::row;

namespace {

constexpr int MAX_STEPS = 256;

// The three fixed-point formats. W is the lane width the iteration runs in: the 27-bit format
// keeps 32-bit values but forms 64-bit products, so it runs in 64-bit lanes and narrows (keeps the
// low 32 bits, sign-extended) after every operation that the format does in 32 bits.
struct Coarse {
    using T = std::int32_t;  // the format's values
    using W = std::int32_t;  // lane width
    static constexpr int VIEW_SHIFT = 18;
    static constexpr int FRACTION = 14;
    static constexpr W FOUR = 0x10000;
};
struct Medium {
    using T = std::int32_t;
    using W = std::int64_t;
    static constexpr int VIEW_SHIFT = 5;
    static constexpr int FRACTION = 27;
    static constexpr W FOUR = 0x20000000;
};
struct Fine {
    using T = std::int64_t;
    using W = std::int64_t;
    static constexpr int VIEW_SHIFT = 2;
    static constexpr int FRACTION = 30;
    static constexpr W FOUR = 0x100000000;
};

template <class T, int L>
struct VectorOf {
    typedef T type __attribute__((vector_size(sizeof(T) * L)));
};

// The pixel-to-point mapping of one frame: (x − w/2) × v / h + c in the format's width, the
// product wrapping, the division truncating. Columns are tabled once per render.
template <class F>
class Points {
public:
    using T = typename F::T;
    using U = std::make_unsigned_t<T>;
    static constexpr int TABLED = 2048;

    Points(const View& view, int w, int h)
        : w(w), h(h), v(narrow(view.height)), cx(narrow(view.centreX)), cy(narrow(view.centreY)) {
        for (int x = 0; x < std::min(w, TABLED); ++x) columns[x] = compute(x, w, cx);
    }
    T cr(int x) const { return x < TABLED ? columns[x] : compute(x, w, cx); }
    T ci(int y) const { return compute(y, h, cy); }

private:
    static T narrow(std::int64_t value) { return static_cast<T>(value >> F::VIEW_SHIFT); }
    T compute(int pos, int size, T centre) const {
        const T product = static_cast<T>(static_cast<U>(pos - size / 2) * static_cast<U>(v));
        return static_cast<T>(static_cast<U>(product / h) + static_cast<U>(centre));
    }

    int w, h;
    T v, cx, cy;
    T columns[TABLED];
};

// Back to the format's width: the 32-bit formats wrap at 32 bits even in 64-bit lanes. (Vectors
// go by reference: the generic build has no ABI for wide vectors by value.)
template <class F, class S>
[[gnu::always_inline]] inline void narrow(S& x) {
    if constexpr (sizeof(typename F::T) < sizeof(typename F::W)) x = (x << 32) >> 32;
}

// Iterates L points at once; lanes that have escaped keep their count and compute on unseen.
template <class F, int L>
[[gnu::always_inline]] inline void iterateLanes(const typename F::T* cr, typename F::T ci, int n, int* counts) {
    using W = typename F::W;
    using UW = std::make_unsigned_t<W>;
    using S = typename VectorOf<W, L>::type;
    using U = typename VectorOf<UW, L>::type;
    for (int base = 0; base < n; base += L) {
        S c{};
        for (int l = 0; l < L; ++l) c[l] = cr[std::min(base + l, n - 1)];
        const U ucr = (U)c;  // (vector casts reinterpret the bits)
        const UW uci = static_cast<UW>(ci);
        S zr{}, zi{}, count = S{} + MAX_STEPS, alive = S{} - 1;
        for (int step = 0; step < MAX_STEPS; ++step) {
            const U ur = (U)zr, ui = (U)zi;
            S zr2 = (S)(ur * ur) >> F::FRACTION;
            S zi2 = (S)(ui * ui) >> F::FRACTION;
            narrow<F>(zr2);
            narrow<F>(zi2);
            alive &= zr2 + zi2 < F::FOUR;
            W any = 0;
            for (int l = 0; l < L; ++l) any |= alive[l];
            if (!any) break;
            S twice = (S)(ur * ui) >> (F::FRACTION - 1);
            narrow<F>(twice);
            const U nextI = (U)twice + uci;
            const U nextR = (U)zr2 - (U)zi2 + ucr;
            zi = (S)nextI;
            zr = (S)nextR;
            narrow<F>(zi);
            narrow<F>(zr);
            count += alive;  // alive lanes are −1
        }
        for (int l = 0; l < L && base + l < n; ++l) counts[base + l] = static_cast<int>(count[l]);
    }
}

template <class F>
void iterateGeneric(const typename F::T* cr, typename F::T ci, int n, int* counts) {
    iterateLanes<F, 4>(cr, ci, n, counts);
}

template <class F>
__attribute__((target("avx2"))) void iterateAvx2(const typename F::T* cr, typename F::T ci, int n, int* counts) {
    iterateLanes<F, 8>(cr, ci, n, counts);
}

template <class F>
__attribute__((target("avx512f,avx512dq,avx512vl,avx512bw"))) void iterateAvx512(
    const typename F::T* cr, typename F::T ci, int n, int* counts) {
    iterateLanes<F, 16>(cr, ci, n, counts);
}

// Points of one row collected for iteration; each flush colours its pixels.
template <class F>
class Batch {
public:
    using T = typename F::T;
    using Iterate = void (*)(const T*, T, int, int*);
    static constexpr int CAPACITY = 256;

    Batch(const Points<F>& points, const Pixel* palette, Iterate iterate)
        : points(points), palette(palette), iterate(iterate) {}

    void startRow(Pixel* pixels, int y) {
        line = pixels;
        ci = points.ci(y);
    }
    void add(int x) {
        columns[n] = x;
        cr[n] = points.cr(x);
        if (++n == CAPACITY) flush();
    }
    void flush() {
        iterate(cr, ci, n, counts);
        for (int j = 0; j < n; ++j) line[columns[j]] = palette[counts[j]];
        n = 0;
    }

private:
    const Points<F>& points;
    const Pixel* palette;
    Iterate iterate;
    Pixel* line = nullptr;
    T ci = 0;
    int n = 0;
    int columns[CAPACITY];
    T cr[CAPACITY];
    int counts[CAPACITY];
};

template <class F>
void iterateRow(Batch<F>& batch, BITMAP* frame, int y) {
    batch.startRow(row(frame, y), y);
    for (int x = 0; x < frame->w; ++x) batch.add(x);
    batch.flush();
}

// Odd rows: a pixel whose neighbours above and below agree in their top seven bits takes the
// colour above; the others are iterated.
template <class F>
void fillOddRow(Batch<F>& batch, BITMAP* frame, int y) {
    const Pixel* above = row(frame, y - 1);
    const Pixel* below = row(frame, y + 1);
    Pixel* line = row(frame, y);
    batch.startRow(line, y);
    for (int x = frame->w - 1; x >= 0; --x) {
        if (pixels::sameHalf(above[x], below[x])) line[x] = above[x];
        else batch.add(x);
    }
    batch.flush();
}

void renderCoarse(BITMAP* frame, Batch<Coarse>& batch) {
    for (int y = frame->h - 1; y >= 0; --y) iterateRow(batch, frame, y);
}

void renderMedium(BITMAP* frame, Batch<Medium>& batch) {
    const int h = frame->h;
    for (int y = 0; y < h; y += 2) iterateRow(batch, frame, y);
    if (h > 0) iterateRow(batch, frame, h - 1);
    for (int y = 1; y < h - 2; y += 2) fillOddRow(batch, frame, y);
}

void renderFine(BITMAP* frame, Batch<Fine>& batch) {
    const int w = frame->w, h = frame->h;
    // The horizontal test compares each computed pixel with the one computed before it, which
    // for the first pixel of a row is the last of the row below (black before the first row).
    Pixel prev = 0;
    for (int y = h - 2; y >= 0; y -= 2) {
        Pixel* line = row(frame, y);
        batch.startRow(line, y);
        for (int x = w - 2; x >= 0; x -= 2) batch.add(x);
        batch.flush();
        for (int x = w - 2; x >= 0; x -= 2) {
            const Pixel col = line[x];
            if (pixels::sameQuarter(col, prev)) line[x + 1] = col;
            else batch.add(x + 1);
            prev = col;
        }
        batch.flush();
    }
    for (int y = h - 3; y > 0; y -= 2) fillOddRow(batch, frame, y);
    if (h >= 2) std::copy_n(row(frame, h - 2), w, row(frame, h - 1));
}

template <class F>
typename Batch<F>::Iterate iterateFor(Kernel kernel) {
    switch (kernel) {
    case Kernel::Avx512: return iterateAvx512<F>;
    case Kernel::Avx2: return iterateAvx2<F>;
    case Kernel::Generic: break;
    }
    return iterateGeneric<F>;
}

template <class F>
void renderWith(BITMAP* frame, const View& view, const Pixel* palette, Kernel kernel,
                void (*renderer)(BITMAP*, Batch<F>&)) {
    const Points<F> points(view, frame->w, frame->h);
    Batch<F> batch(points, palette, iterateFor<F>(kernel));
    renderer(frame, batch);
}

}  // namespace

Precision precisionFor(std::int64_t viewHeight) {
    if (viewHeight > 0x10000000) return Precision::Coarse;
    if (viewHeight > 0x2000) return Precision::Medium;
    return Precision::Fine;
}

bool available(Kernel kernel) {
    switch (kernel) {
    case Kernel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
    case Kernel::Avx2: return __builtin_cpu_supports("avx2");
    case Kernel::Generic: break;
    }
    return true;
}

Kernel fastest() {
    static const Kernel best = available(Kernel::Avx512) ? Kernel::Avx512
                               : available(Kernel::Avx2) ? Kernel::Avx2
                                                         : Kernel::Generic;
    return best;
}

void render(BITMAP* frame, const View& view, const Pixel* palette, Kernel kernel) {
    switch (precisionFor(view.height)) {
    case Precision::Coarse: renderWith<Coarse>(frame, view, palette, kernel, renderCoarse); break;
    case Precision::Medium: renderWith<Medium>(frame, view, palette, kernel, renderMedium); break;
    case Precision::Fine: renderWith<Fine>(frame, view, palette, kernel, renderFine); break;
    }
}

}  // namespace Zorvek::mandelbrotKernels
