#include "effects/mandelbrot_kernels.h"

#include <allegro.h>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <type_traits>

#include "effects/instruction_sets.h"
#include "parallel/worker_pool.h"

namespace Zorvek::mandelbrotKernels {

using pixels::Pixel;
using pixels::row;

namespace {

constexpr int MAX_STEPS = 256;
constexpr int BATCH_CAPACITY = 1024;  // points iterated together
// Bands of rows per thread in each phase: enough that the threads finish together.
constexpr int BANDS_PER_THREAD = 8;

template <class T>
T wrappingAdd(T a, T b) {
    using U = std::make_unsigned_t<T>;
    return static_cast<T>(static_cast<U>(a) + static_cast<U>(b));
}
template <class T>
T wrappingSub(T a, T b) {
    using U = std::make_unsigned_t<T>;
    return static_cast<T>(static_cast<U>(a) - static_cast<U>(b));
}

// The three fixed-point formats: the square of a value and twice a product, each shifted down
// to the format's fraction bits.
struct Coarse {  // 32 bits, 14 fraction bits, 32-bit products (low 32 bits)
    using T = std::int32_t;
    static constexpr int VIEW_SHIFT = 18;
    static constexpr std::int64_t FOUR = 0x10000;
    static T product(T a, T b) { return static_cast<T>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b)); }
    static T square(T z) { return product(z, z) >> 14; }
    static T twice(T a, T b) { return product(a, b) >> 13; }
};
struct Medium {  // 32 bits, 27 fraction bits, 64-bit products (low 32 bits kept after the shift)
    using T = std::int32_t;
    static constexpr int VIEW_SHIFT = 5;
    static constexpr std::int64_t FOUR = 0x20000000;
    static T square(T z) { return static_cast<T>((std::int64_t{z} * z) >> 27); }
    static T twice(T a, T b) { return static_cast<T>((std::int64_t{a} * b) >> 26); }
};
struct Fine {  // 64 bits, 30 fraction bits, 64-bit products (low 64 bits)
    using T = std::int64_t;
    static constexpr int VIEW_SHIFT = 2;
    static constexpr std::int64_t FOUR = 0x100000000;
    static T product(T a, T b) { return static_cast<T>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b)); }
    static T square(T z) { return product(z, z) >> 30; }
    static T twice(T a, T b) { return product(a, b) >> 29; }
};

// Steps left when the point escapes, for a point at z after `taken` of its steps: 0 inside the
// set, 255 for an escape after the first step.
template <class F>
int stepsLeftFrom(typename F::T zr, typename F::T zi, typename F::T cr, typename F::T ci, int taken) {
    int count = MAX_STEPS - taken;
    for (;;) {
        const auto zr2 = F::square(zr), zi2 = F::square(zi);
        if (std::int64_t{zr2} + zi2 >= F::FOUR) break;  // cannot overflow in 64 bits
        zi = wrappingAdd(F::twice(zr, zi), ci);
        zr = wrappingAdd(wrappingSub(zr2, zi2), cr);
        if (--count == 0) break;
    }
    return count;
}

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
        return wrappingAdd(static_cast<T>(product / h), centre);
    }

    int w, h;
    T v, cx, cy;
    T columns[TABLED];
};

// Iterates n points (their parts sign-extended to 64 bits) and gives the steps left of each.
using Iterate = void (*)(const std::int64_t* cr, const std::int64_t* ci, int n, int* counts);

// Point by point, four at a time so that their steps overlap; a finished point's place goes to
// the next one.
template <class F>
void iterateScalar(const std::int64_t* cr, const std::int64_t* ci, int n, int* counts) {
    using T = typename F::T;
    constexpr int WAYS = 4;
    T zr[WAYS] = {}, zi[WAYS] = {}, pr[WAYS] = {}, pi[WAYS] = {};
    int left[WAYS] = {}, index[WAYS];
    int next = 0, busy = 0;
    const auto begin = [&](int w) {
        if (next == n) {
            index[w] = -1;
            return;
        }
        index[w] = next;
        pr[w] = static_cast<T>(cr[next]);
        pi[w] = static_cast<T>(ci[next]);
        zr[w] = zi[w] = 0;
        left[w] = MAX_STEPS;
        ++next;
        ++busy;
    };
    for (int w = 0; w < WAYS; ++w) begin(w);
    while (busy > 0) {
#pragma GCC unroll 4
        for (int w = 0; w < WAYS; ++w) {
            if (index[w] < 0) continue;
            const T zr2 = F::square(zr[w]), zi2 = F::square(zi[w]);
            bool done = std::int64_t{zr2} + zi2 >= F::FOUR;  // cannot overflow in 64 bits
            if (!done) {
                zi[w] = wrappingAdd(F::twice(zr[w], zi[w]), pi[w]);
                zr[w] = wrappingAdd(wrappingSub(zr2, zi2), pr[w]);
                done = --left[w] == 0;
            }
            if (done) {
                counts[index[w]] = left[w];
                --busy;
                begin(w);
            }
        }
    }
}

template <class T, int L>
struct VectorOf {
    typedef T type __attribute__((vector_size(sizeof(T) * L)));
};

// Whether any lane is non-zero: the halves are folded together down to one 64-bit word. (Vectors
// go by reference: the generic build has no ABI for wide vectors by value.)
template <class S>
[[gnu::always_inline]] inline bool anyLane(const S& lanes) {
    constexpr int WORDS = sizeof(S) / sizeof(std::uint64_t);
    using Words = typename VectorOf<std::uint64_t, WORDS>::type;
    const Words words = (Words)lanes;
    if constexpr (WORDS == 1) {
        return words[0] != 0;
    } else {
        using Half = typename VectorOf<std::uint64_t, WORDS / 2>::type;
        Half low, high;
        std::memcpy(&low, &words, sizeof low);
        std::memcpy(&high, reinterpret_cast<const char*>(&words) + sizeof low, sizeof high);
        const Half folded = low | high;
        return anyLane(folded);
    }
}

// The coarse format in L 32-bit lanes at once, for processors without AVX2 (the other formats'
// 64-bit products do not vectorise well there, and run point by point). Lanes that have escaped
// keep their count and compute on unseen.
template <int L>
[[gnu::always_inline]] inline void iterateCoarseLanes(const std::int64_t* cr, const std::int64_t* ci, int n,
                                                      int* counts) {
    using S = typename VectorOf<std::int32_t, L>::type;
    using U = typename VectorOf<std::uint32_t, L>::type;  // wrapping arithmetic
    for (int base = 0; base < n; base += L) {
        U ucr{}, uci{};
        for (int l = 0; l < L; ++l) {
            ucr[l] = static_cast<std::uint32_t>(cr[std::min(base + l, n - 1)]);
            uci[l] = static_cast<std::uint32_t>(ci[std::min(base + l, n - 1)]);
        }
        U zr{}, zi{};
        S count = S{} + MAX_STEPS, alive = S{} - 1;
        for (int step = 0; step < MAX_STEPS; ++step) {
            const S zr2 = (S)(zr * zr) >> 14;
            const S zi2 = (S)(zi * zi) >> 14;
            alive &= zr2 + zi2 < Coarse::FOUR;  // |squares| < 2^17: no overflow
            // Checked every few steps only: lanes that are done stay done until then.
            if (step % 4 == 0 && !anyLane(alive)) break;
            const S twice = (S)(zr * zi) >> 13;
            zi = (U)twice + uci;
            zr = (U)zr2 - (U)zi2 + ucr;
            count += alive;  // alive lanes are −1
        }
        for (int l = 0; l < L && base + l < n; ++l) counts[base + l] = count[l];
    }
}

void iterateCoarseSse2(const std::int64_t* cr, const std::int64_t* ci, int n, int* counts) {
    iterateCoarseLanes<4>(cr, ci, n, counts);
}

// The points of a batch in the lanes' width: as they are for 64-bit lanes, narrowed for 32-bit.
template <class E>
struct InWidth {
    E narrowCr[BATCH_CAPACITY], narrowCi[BATCH_CAPACITY];
    const E* cr;
    const E* ci;
    InWidth(const std::int64_t* wideCr, const std::int64_t* wideCi, int n) : cr(narrowCr), ci(narrowCi) {
        for (int j = 0; j < n; ++j) {
            narrowCr[j] = static_cast<E>(wideCr[j]);
            narrowCi[j] = static_cast<E>(wideCi[j]);
        }
    }
};
template <>
struct InWidth<std::int64_t> {
    const std::int64_t* cr;
    const std::int64_t* ci;
    InWidth(const std::int64_t* wideCr, const std::int64_t* wideCi, int) : cr(wideCr), ci(wideCi) {}
};

// The kernels of x86-64's vector extensions; elsewhere the generic ones serve.
#if defined(__x86_64__)

// AVX-512: a register of lanes per stream, a few streams in flight. A lane whose point is done
// (escaped, out of steps, or caught in a cycle) takes the next point of the batch at once, so no
// lane idles while its neighbours run on. Each lane notes the step at which its point began; the
// steps left follow from that when the point is done.
// (GCC 12 warns of an uninitialised placeholder inside its own AVX-512 intrinsics.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#define ZORVEK_AVX512 "avx512f,avx512dq,avx512vl,avx512bw,popcnt"
#define ZORVEK_INLINE_512 __attribute__((target(ZORVEK_AVX512), always_inline)) inline
#define ZORVEK_LANES_512 static ZORVEK_INLINE_512

// Lane arithmetic of one width.
struct Lanes32 {
    using Element = std::int32_t;
    using Mask = __mmask16;
    static constexpr int COUNT = 16;
    ZORVEK_LANES_512 __m512i set(std::int32_t v) { return _mm512_set1_epi32(v); }
    ZORVEK_LANES_512 __m512i iota() { return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }
    ZORVEK_LANES_512 __m512i add(__m512i a, __m512i b) { return _mm512_add_epi32(a, b); }
    ZORVEK_LANES_512 __m512i sub(__m512i a, __m512i b) { return _mm512_sub_epi32(a, b); }
    ZORVEK_LANES_512 __m512i max(__m512i a, __m512i b) { return _mm512_max_epi32(a, b); }
    ZORVEK_LANES_512 Mask greaterOrEqual(Mask m, __m512i a, __m512i b) { return _mm512_mask_cmpge_epi32_mask(m, a, b); }
    ZORVEK_LANES_512 Mask equal(Mask m, __m512i a, __m512i b) { return _mm512_mask_cmpeq_epi32_mask(m, a, b); }
    ZORVEK_LANES_512 __m512i select(__m512i a, Mask m, __m512i b) { return _mm512_mask_mov_epi32(a, m, b); }
    ZORVEK_LANES_512 __m512i expand(__m512i a, Mask m, __m512i b) { return _mm512_mask_expand_epi32(a, m, b); }
    ZORVEK_LANES_512 __m512i expandLoad(__m512i a, Mask m, const Element* p) {
        return _mm512_mask_expandloadu_epi32(a, m, p);
    }
};

struct Lanes64 {
    using Element = std::int64_t;
    using Mask = __mmask8;
    static constexpr int COUNT = 8;
    ZORVEK_LANES_512 __m512i set(std::int64_t v) { return _mm512_set1_epi64(v); }
    ZORVEK_LANES_512 __m512i iota() { return _mm512_setr_epi64(0, 1, 2, 3, 4, 5, 6, 7); }
    ZORVEK_LANES_512 __m512i add(__m512i a, __m512i b) { return _mm512_add_epi64(a, b); }
    ZORVEK_LANES_512 __m512i sub(__m512i a, __m512i b) { return _mm512_sub_epi64(a, b); }
    ZORVEK_LANES_512 __m512i max(__m512i a, __m512i b) { return _mm512_max_epi64(a, b); }
    ZORVEK_LANES_512 Mask greaterOrEqual(Mask m, __m512i a, __m512i b) { return _mm512_mask_cmpge_epi64_mask(m, a, b); }
    ZORVEK_LANES_512 Mask equal(Mask m, __m512i a, __m512i b) { return _mm512_mask_cmpeq_epi64_mask(m, a, b); }
    ZORVEK_LANES_512 __m512i select(__m512i a, Mask m, __m512i b) { return _mm512_mask_mov_epi64(a, m, b); }
    ZORVEK_LANES_512 __m512i expand(__m512i a, Mask m, __m512i b) { return _mm512_mask_expand_epi64(a, m, b); }
    ZORVEK_LANES_512 __m512i expandLoad(__m512i a, Mask m, const Element* p) {
        return _mm512_mask_expandloadu_epi64(a, m, p);
    }
};

// The formats in lanes: the coarse one in sixteen 32-bit lanes; the others in eight 64-bit lanes,
// the 27-bit format keeping its values in the low halves (its products read only those) and
// sign-extending every result from its 32 bits.
template <class F>
struct Lanes512;

template <>
struct Lanes512<Coarse> : Lanes32 {
    static constexpr int STREAMS = 2;  // registers in flight, enough to hide the multiplies' latency
    static constexpr bool FIND_CYCLES = true;
    ZORVEK_LANES_512 __m512i square(__m512i z) { return _mm512_srai_epi32(_mm512_mullo_epi32(z, z), 14); }
    ZORVEK_LANES_512 __m512i twice(__m512i a, __m512i b) { return _mm512_srai_epi32(_mm512_mullo_epi32(a, b), 13); }
};

template <>
struct Lanes512<Medium> : Lanes64 {
    static constexpr int STREAMS = 3;
    static constexpr bool FIND_CYCLES = false;
    // Bits 27 .. 58 of the exact 64-bit product, sign-extended for the escape test.
    ZORVEK_LANES_512 __m512i square(__m512i z) {
        return _mm512_srai_epi64(_mm512_slli_epi64(_mm512_mul_epi32(z, z), 5), 32);
    }
    // Bits 26 .. 57 in the low half: only the low halves are read from here on.
    ZORVEK_LANES_512 __m512i twice(__m512i a, __m512i b) { return _mm512_srli_epi64(_mm512_mul_epi32(a, b), 26); }
};

template <>
struct Lanes512<Fine> : Lanes64 {
    static constexpr int STREAMS = 3;
    static constexpr bool FIND_CYCLES = false;
    ZORVEK_LANES_512 __m512i square(__m512i z) { return _mm512_srai_epi64(_mm512_mullo_epi64(z, z), 30); }
    ZORVEK_LANES_512 __m512i twice(__m512i a, __m512i b) { return _mm512_srai_epi64(_mm512_mullo_epi64(a, b), 29); }
};

// Every this many steps the lanes note their states; meeting one again proves a cycle, so a
// point inside the set stops early with exactly the result of running all its steps. Worth its
// cost where many points are inside, as in the wide views.
constexpr int CYCLE_CHECKPOINT = 32;
// The lanes look for points out of steps this often; a point found late still counts 0.
constexpr int EXPIRY_CHECK = 8;

// One register of lanes and the points it works on.
template <class L>
struct Stream512 {
    using Mask = typename L::Mask;
    __m512i zr, zi, cr, ci, begun, index;
    __m512i seenR, seenI;  // states noted for finding cycles
    Mask active;           // lanes holding a point
    Mask seen;             // lanes whose noted state belongs to their current point

    ZORVEK_INLINE_512 void clear() {
        zr = zi = cr = ci = begun = index = seenR = seenI = _mm512_setzero_si512();
        active = seen = 0;
    }

    // Gives the lanes of `lanes` the next points of the batch (as many as are left), to begin
    // at step `step`.
    ZORVEK_INLINE_512 void refill(Mask lanes, const typename L::Element* crs, const typename L::Element* cis, int n,
                                  int& next, int step) {
        while (__builtin_popcount(lanes) > n - next) lanes = static_cast<Mask>(lanes & (lanes - 1));
        cr = L::expandLoad(cr, lanes, crs + next);
        ci = L::expandLoad(ci, lanes, cis + next);
        index = L::expand(index, lanes, L::add(L::iota(), L::set(next)));
        zr = L::select(zr, lanes, _mm512_setzero_si512());
        zi = L::select(zi, lanes, _mm512_setzero_si512());
        begun = L::select(begun, lanes, L::set(step));
        seen = static_cast<Mask>(seen & ~lanes);
        active = static_cast<Mask>(active | lanes);
        next += __builtin_popcount(lanes);
    }

    // Writes out the steps left of the lanes in `done`: 256 less the steps taken, none for the
    // lanes in `inside`.
    ZORVEK_INLINE_512 void retire(Mask done, Mask inside, int step, int* counts) {
        const __m512i taken = L::sub(L::set(step), begun);
        const __m512i left =
            L::select(L::max(L::sub(L::set(MAX_STEPS), taken), _mm512_setzero_si512()), inside, _mm512_setzero_si512());
        alignas(64) typename L::Element leftOf[L::COUNT], indexOf[L::COUNT];
        _mm512_store_si512(leftOf, left);
        _mm512_store_si512(indexOf, index);
        for (unsigned bits = done; bits; bits &= bits - 1) {
            const int l = __builtin_ctz(bits);
            counts[indexOf[l]] = static_cast<int>(leftOf[l]);
        }
        active = static_cast<Mask>(active & ~done);
    }
};

// Whether any stream still holds a point (plain code, inlined into either vector kernel).
template <class Stream, int N>
[[gnu::always_inline]] inline bool anyActive(const Stream (&streams)[N]) {
    unsigned any = 0;
    for (const Stream& st : streams) any |= st.active;
    return any != 0;
}

template <class F>
__attribute__((target(ZORVEK_AVX512))) void iterateAvx512(const std::int64_t* cr, const std::int64_t* ci, int n,
                                                          int* counts) {
    using L = Lanes512<F>;
    using E = typename L::Element;
    using Mask = typename L::Mask;
    constexpr int STREAMS = L::STREAMS;
    const InWidth<E> points(cr, ci, n);
    const E* crs = points.cr;
    const E* cis = points.ci;
    const __m512i four = L::set(F::FOUR);
    const __m512i expiry = L::set(MAX_STEPS);
    Stream512<L> streams[STREAMS];
    int next = 0;
    for (auto& st : streams) {
        st.clear();
        st.refill(static_cast<Mask>(~0u), crs, cis, n, next, 0);
    }
    for (int step = 0; anyActive(streams); ++step) {
        // Unrolled, so that the streams live in registers.
#pragma GCC unroll 4
        for (auto& st : streams) {
            const __m512i zr2 = L::square(st.zr), zi2 = L::square(st.zi);
            const Mask escaped = L::greaterOrEqual(st.active, L::add(zr2, zi2), four);
            const __m512i twice = L::twice(st.zr, st.zi);
            st.zi = L::add(twice, st.ci);
            st.zr = L::add(L::sub(zr2, zi2), st.cr);
            Mask inside = 0;
            if constexpr (L::FIND_CYCLES) {
                // Back at a state it has been in: the orbit repeats for ever and never escapes.
                // (Only lanes that hold a point: one left without a next point at the end of a
                // batch computes on, and its noted state may come round again.)
                inside = L::equal(L::equal(static_cast<Mask>(st.seen & st.active & ~escaped), st.zr, st.seenR), st.zi,
                                  st.seenI);
                if (step % CYCLE_CHECKPOINT == 0) {
                    st.seenR = st.zr;
                    st.seenI = st.zi;
                    st.seen = st.active;
                }
            }
            if (step % EXPIRY_CHECK == EXPIRY_CHECK - 1)
                inside = static_cast<Mask>(inside | L::greaterOrEqual(static_cast<Mask>(st.active & ~escaped),
                                                                      L::sub(L::set(step + 1), st.begun), expiry));
            const Mask done = static_cast<Mask>(escaped | inside);
            if (!done) continue;
            st.retire(done, inside, step, counts);
            st.refill(done, crs, cis, n, next, step + 1);
        }
    }
}

#pragma GCC diagnostic pop

// AVX2: the same lane refill, in eight 32-bit lanes per register for the 32-bit formats and four
// 64-bit ones for the finest. AVX2 has neither a 64-bit low multiply nor a 64-bit arithmetic
// shift; both are built from what it has, bit for bit, wrap-arounds included. It has no mask
// registers either: a lane's state is a bit of a plain integer, and a refill spreads the next
// points over the free lanes by a permutation from a table.
#define ZORVEK_AVX2 "avx2,popcnt"
#define ZORVEK_INLINE_256 __attribute__((target(ZORVEK_AVX2), always_inline)) inline
#define ZORVEK_LANES_256 static ZORVEK_INLINE_256

// For each set of lanes of a register of LANES: the 32-bit element indices that move the k-th of
// consecutive values into the k-th lane of the set, and the set as a vector mask.
template <int LANES>
struct Spread {
    static constexpr int WORDS = 8 / LANES;  // 32-bit words per lane
    alignas(32) std::int32_t order[1 << LANES][8];
    alignas(32) std::int32_t lanes[1 << LANES][8];
};
template <int LANES>
constexpr Spread<LANES> makeSpread() {
    Spread<LANES> spread{};
    for (int set = 0; set < 1 << LANES; ++set) {
        int k = 0;
        for (int l = 0; l < LANES; ++l) {
            if (!(set >> l & 1)) continue;
            for (int w = 0; w < Spread<LANES>::WORDS; ++w) {
                spread.order[set][Spread<LANES>::WORDS * l + w] = Spread<LANES>::WORDS * k + w;
                spread.lanes[set][Spread<LANES>::WORDS * l + w] = -1;
            }
            ++k;
        }
    }
    return spread;
}
template <int LANES>
constexpr Spread<LANES> SPREAD = makeSpread<LANES>();
// Read from offset 8 − k: the first k words set.
alignas(32) constexpr std::int32_t FIRST_WORDS[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0};

// Lane arithmetic of one width.
struct Lanes256x32 {
    using Element = std::int32_t;
    static constexpr int COUNT = 8;
    ZORVEK_LANES_256 __m256i set(std::int32_t v) { return _mm256_set1_epi32(v); }
    ZORVEK_LANES_256 __m256i add(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
    ZORVEK_LANES_256 __m256i sub(__m256i a, __m256i b) { return _mm256_sub_epi32(a, b); }
    ZORVEK_LANES_256 __m256i greater(__m256i a, __m256i b) { return _mm256_cmpgt_epi32(a, b); }
    ZORVEK_LANES_256 __m256i equal(__m256i a, __m256i b) { return _mm256_cmpeq_epi32(a, b); }
    ZORVEK_LANES_256 unsigned bits(__m256i m) {
        return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(m)));
    }
};
struct Lanes256x64 {
    using Element = std::int64_t;
    static constexpr int COUNT = 4;
    ZORVEK_LANES_256 __m256i set(std::int64_t v) { return _mm256_set1_epi64x(v); }
    ZORVEK_LANES_256 __m256i add(__m256i a, __m256i b) { return _mm256_add_epi64(a, b); }
    ZORVEK_LANES_256 __m256i sub(__m256i a, __m256i b) { return _mm256_sub_epi64(a, b); }
    ZORVEK_LANES_256 __m256i greater(__m256i a, __m256i b) { return _mm256_cmpgt_epi64(a, b); }
    ZORVEK_LANES_256 __m256i equal(__m256i a, __m256i b) { return _mm256_cmpeq_epi64(a, b); }
    ZORVEK_LANES_256 unsigned bits(__m256i m) {
        return static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(m)));
    }
};

// A format's step in lanes: the two squares and twice the product. `unfit` marks, in the high
// half of a lane, values too large for `squares`; `unfitLanes` names those lanes. `suits` tells
// whether the points of a batch lie where the lanes' shortcuts hold, and `exactZi` the exact
// imaginary part of a state the lanes hold.
template <class F>
struct Lanes256;

// The formats whose every value fits their products.
struct AlwaysFits {
    ZORVEK_LANES_256 __m256i unfit(__m256i, __m256i) { return _mm256_setzero_si256(); }
    ZORVEK_LANES_256 unsigned unfitLanes(__m256i) { return 0; }
    ZORVEK_LANES_256 bool suits(const std::int32_t*, const std::int32_t*, int) { return true; }
    ZORVEK_LANES_256 std::int32_t exactZi(std::int32_t zi) { return zi; }
};

// Where a lane's escape shows in the flags (see `advance`): a lane mask; `escaped` names the
// lanes that escape.
template <class Lanes>
struct EscapeByComparing {
    ZORVEK_LANES_256 __m256i flagged() { return _mm256_set1_epi32(-1); }
    ZORVEK_LANES_256 __m256i escapeMarks(__m256i, __m256i, __m256i sum, __m256i fourLess1) {
        return Lanes::greater(sum, fourLess1);
    }
    ZORVEK_LANES_256 unsigned escaped(__m256i, __m256i, __m256i sum, __m256i fourLess1) {
        return Lanes::bits(Lanes::greater(sum, fourLess1));
    }
};

template <>
struct Lanes256<Coarse> : Lanes256x32, AlwaysFits, EscapeByComparing<Lanes256x32> {
    static constexpr int STREAMS = 3;
    static constexpr bool FIND_CYCLES = true;
    ZORVEK_LANES_256 void squares(__m256i zr, __m256i zi, __m256i& zr2, __m256i& zi2, __m256i& twice) {
        zr2 = _mm256_srai_epi32(_mm256_mullo_epi32(zr, zr), 14);
        zi2 = _mm256_srai_epi32(_mm256_mullo_epi32(zi, zi), 14);
        twice = _mm256_srai_epi32(_mm256_mullo_epi32(zr, zi), 13);
    }
};

// Bits N .. N + 31 of 64-bit products, the even lanes' from `even` and the odd lanes' from `odd`,
// as eight 32-bit lanes.
template <int N>
ZORVEK_INLINE_256 __m256i productBits(__m256i even, __m256i odd) {
    return _mm256_blend_epi32(_mm256_srli_epi64(even, N), _mm256_slli_epi64(odd, 32 - N), 0xAA);
}

// The 27-bit format in eight 32-bit lanes: each product is formed exactly in 64 bits, the even
// lanes' in place and the odd lanes' from their words moved down, and bits 27 .. 58 (26 .. 57 for
// twice the product) kept, so every step is exact, wrap-arounds included. Only the escape test
// needs more than 32 bits: while both squares lie in [0, 2^29) their sum cannot reach 4.0 and
// nothing is flagged; a lane whose square is negative (a value that has wrapped) or whose sum
// has any of bits 29 .. 31 set is flagged, and tested exactly in 64 bits.
template <>
struct Lanes256<Medium> : Lanes256x32, AlwaysFits {
    static constexpr int STREAMS = 3;
    static constexpr bool FIND_CYCLES = false;
    ZORVEK_LANES_256 void squares(__m256i zr, __m256i zi, __m256i& zr2, __m256i& zi2, __m256i& twice) {
        const __m256i zrOdd = _mm256_shuffle_epi32(zr, 0xF5), ziOdd = _mm256_shuffle_epi32(zi, 0xF5);
        zr2 = productBits<27>(_mm256_mul_epi32(zr, zr), _mm256_mul_epi32(zrOdd, zrOdd));
        zi2 = productBits<27>(_mm256_mul_epi32(zi, zi), _mm256_mul_epi32(ziOdd, ziOdd));
        twice = productBits<26>(_mm256_mul_epi32(zr, zi), _mm256_mul_epi32(zrOdd, ziOdd));
    }
    ZORVEK_LANES_256 __m256i flagged() { return _mm256_set1_epi32(static_cast<std::int32_t>(0xE0000000u)); }
    ZORVEK_LANES_256 __m256i escapeMarks(__m256i zr2, __m256i zi2, __m256i sum, __m256i) {
        return _mm256_or_si256(_mm256_or_si256(zr2, zi2), sum);
    }
    ZORVEK_LANES_256 unsigned escaped(__m256i zr2, __m256i zi2, __m256i, __m256i) {
        return escapedOfFour(_mm256_castsi256_si128(zr2), _mm256_castsi256_si128(zi2)) |
               escapedOfFour(_mm256_extracti128_si256(zr2, 1), _mm256_extracti128_si256(zi2, 1)) << 4;
    }
    ZORVEK_LANES_256 unsigned escapedOfFour(__m128i zr2, __m128i zi2) {
        const __m256i sum = _mm256_add_epi64(_mm256_cvtepi32_epi64(zr2), _mm256_cvtepi32_epi64(zi2));
        return Lanes256x64::bits(Lanes256x64::greater(sum, Lanes256x64::set(Medium::FOUR - 1)));
    }
};

template <>
struct Lanes256<Fine> : Lanes256x64 {
    static constexpr int STREAMS = 4;
    static constexpr bool FIND_CYCLES = false;
    // Until a point is about to escape its values are below 2.0 in size, so they fit in 32 bits:
    // a square is then the exact product of the low halves, below 2^62 and not negative, and so
    // is the product in size.
    ZORVEK_LANES_256 __m256i unfit(__m256i zr, __m256i zi) {
        const __m256i offset = _mm256_set1_epi64x(std::int64_t{1} << 31);
        return _mm256_or_si256(_mm256_add_epi64(zr, offset), _mm256_add_epi64(zi, offset));
    }
    // Twice the product is shifted down without its sign: a negative one comes out 2^35 too large
    // (2^64 shifted by 29), and so does the imaginary part made from it. The products read only
    // the low halves, which that leaves alone, and the flags pass over bit 35. While the points
    // lie within 4.0 of 0, the values of a step that began fitting stay below 2^34 in size, so an
    // unfit value still shows in bits 32 .. 34 or the sign.
    ZORVEK_LANES_256 void squares(__m256i zr, __m256i zi, __m256i& zr2, __m256i& zi2, __m256i& twice) {
        zr2 = _mm256_srli_epi64(_mm256_mul_epi32(zr, zr), 30);
        zi2 = _mm256_srli_epi64(_mm256_mul_epi32(zi, zi), 30);
        twice = _mm256_srli_epi64(_mm256_mul_epi32(zr, zi), 29);
    }
    static constexpr std::uint64_t HIGH_BUT_35 = 0xFFFFFFF700000000u;
    ZORVEK_LANES_256 bool suits(const std::int64_t* cr, const std::int64_t* ci, int n) {
        constexpr std::uint64_t FOUR = std::uint64_t{1} << 32, RANGE = 2 * FOUR;
        std::uint64_t outside = 0;
        for (int j = 0; j < n; ++j)
            outside |= (static_cast<std::uint64_t>(cr[j]) + FOUR >= RANGE) |
                       (static_cast<std::uint64_t>(ci[j]) + FOUR >= RANGE);
        return !outside;
    }
    static std::int64_t exactZi(std::int64_t zi) {
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(zi) << 29) >> 29;  // bits 0 .. 34, signed
    }
    // Squares of values that fit are below 4.0 each, so their sum reaches 4.0 (2^32) exactly
    // when its high half is set: the sum marks the escape itself.
    ZORVEK_LANES_256 __m256i flagged() { return _mm256_set1_epi64x(static_cast<long long>(HIGH_BUT_35)); }
    ZORVEK_LANES_256 __m256i escapeMarks(__m256i, __m256i, __m256i sum, __m256i) { return sum; }
    ZORVEK_LANES_256 unsigned escaped(__m256i, __m256i, __m256i sum, __m256i fourLess1) {
        return bits(greater(sum, fourLess1));
    }
    ZORVEK_LANES_256 unsigned unfitLanes(__m256i unfit) {
        const __m256i high = _mm256_and_si256(unfit, flagged());
        return ~bits(_mm256_cmpeq_epi64(high, _mm256_setzero_si256())) & 0xF;
    }
};

// One register of lanes and the points it works on; the bookkeeping that is needed only when a
// point begins or ends stays out of the registers.
template <class L>
struct Stream256 {
    using E = typename L::Element;
    static constexpr int COUNT = L::COUNT;
    __m256i zr, zi, cr, ci;
    __m256i seenR, seenI;  // states noted for finding cycles
    __m256i seen;          // lanes whose noted state belongs to their current point
    int begun[COUNT], index[COUNT];
    unsigned active;  // lanes holding a point
    int deadline;     // the step by which the earliest of them has taken all its steps

    // Lanes without a point count as begun so late that they never run out.
    static constexpr int RESTING = INT_MAX - MAX_STEPS;

    ZORVEK_INLINE_256 void clear() {
        zr = zi = cr = ci = seenR = seenI = seen = _mm256_setzero_si256();
        active = 0;
        deadline = INT_MAX;
    }

    ZORVEK_INLINE_256 void updateDeadline() {
        deadline = begun[0];
        for (int l = 1; l < COUNT; ++l) deadline = std::min(deadline, begun[l]);
        deadline += MAX_STEPS;
    }

    // The values under `first` (the first k, the others 0) moved to the lanes that `order` names.
    ZORVEK_LANES_256 __m256i spreadOver(const E* values, __m256i first, __m256i order) {
        const __m256i loaded = _mm256_maskload_epi32(reinterpret_cast<const int*>(values), first);
        return _mm256_permutevar8x32_epi32(loaded, order);
    }

    // Gives the lanes of `lanes` the next points of the batch, to begin at step `step`; when
    // fewer are left, the lanes beyond them rest at the point 0, which stays at 0. The deadline
    // may come early afterwards (when the lane that set it has left); it is set right when it
    // comes.
    ZORVEK_INLINE_256 void refill(unsigned lanes, const E* crs, const E* cis, int n, int& next, int step) {
        deadline = std::min(deadline, step + MAX_STEPS);
        const auto& spread = SPREAD<COUNT>;
        if ((lanes & (lanes - 1)) == 0 && next < n) {
            // One lane, as most often: its point broadcast and blended in.
            const __m256i set = _mm256_load_si256(reinterpret_cast<const __m256i*>(spread.lanes[lanes]));
            cr = _mm256_blendv_epi8(cr, L::set(crs[next]), set);
            ci = _mm256_blendv_epi8(ci, L::set(cis[next]), set);
            zr = _mm256_andnot_si256(set, zr);
            zi = _mm256_andnot_si256(set, zi);
            seen = _mm256_andnot_si256(set, seen);
            const int l = __builtin_ctz(lanes);
            begun[l] = step;
            index[l] = next++;
            active |= lanes;
            return;
        }
        const int k = std::min(__builtin_popcount(lanes), n - next);
        const __m256i first =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(FIRST_WORDS + 8 - k * Spread<COUNT>::WORDS));
        const __m256i order = _mm256_load_si256(reinterpret_cast<const __m256i*>(spread.order[lanes]));
        const __m256i set = _mm256_load_si256(reinterpret_cast<const __m256i*>(spread.lanes[lanes]));
        cr = _mm256_blendv_epi8(cr, spreadOver(crs + next, first, order), set);
        ci = _mm256_blendv_epi8(ci, spreadOver(cis + next, first, order), set);
        zr = _mm256_andnot_si256(set, zr);
        zi = _mm256_andnot_si256(set, zi);
        seen = _mm256_andnot_si256(set, seen);
        for (unsigned bits = lanes; bits; bits &= bits - 1) {
            const int l = __builtin_ctz(bits);
            if (next == n) [[unlikely]] {
                begun[l] = RESTING;
                continue;
            }
            begun[l] = step;
            index[l] = next++;
            active |= 1u << l;
        }
    }

    // The active lanes whose points have taken all their steps by step `step`.
    ZORVEK_INLINE_256 unsigned expired(int step) const {
        unsigned out = 0;
        for (int l = 0; l < COUNT; ++l) out |= unsigned{step - begun[l] >= MAX_STEPS} << l;
        return out & active;
    }

    // Writes out the steps left of the lanes in `done`: 256 less the steps taken, none for the
    // lanes in `inside`.
    ZORVEK_INLINE_256 void retire(unsigned done, unsigned inside, int step, int* counts) {
        for (unsigned bits = done; bits; bits &= bits - 1) {
            const int l = __builtin_ctz(bits);
            counts[index[l]] = inside >> l & 1 ? 0 : std::max(MAX_STEPS - (step - begun[l]), 0);
        }
        active &= ~done;
    }

    // The lanes of `lanes`, whose values no longer fit the short products, finish their points
    // one by one from the state they are in at step `step` (a point that gets so far escapes
    // within a step or two, or wraps round and runs on a little).
    template <class F>
    ZORVEK_INLINE_256 void finishOneByOne(unsigned lanes, int step, int* counts) {
        alignas(32) E r[COUNT], i[COUNT], pr[COUNT], pi[COUNT];
        _mm256_store_si256(reinterpret_cast<__m256i*>(r), zr);
        _mm256_store_si256(reinterpret_cast<__m256i*>(i), zi);
        _mm256_store_si256(reinterpret_cast<__m256i*>(pr), cr);
        _mm256_store_si256(reinterpret_cast<__m256i*>(pi), ci);
        for (unsigned bits = lanes; bits; bits &= bits - 1) {
            const int l = __builtin_ctz(bits);
            counts[index[l]] = stepsLeftFrom<F>(r[l], L::exactZi(i[l]), pr[l], pi[l], step - begun[l]);
        }
        active &= ~lanes;
    }
};

// A batch's points as the AVX2 streams take them: the parts, how many there are and the next to
// be taken, and where the steps left of each go.
template <class E>
struct Feed256 {
    const E* cr;
    const E* ci;
    int n;
    int next;
    int* counts;
};

// Some lane of `st` escapes, repeats a noted state, or holds a value too large for the short
// products; the other lanes' step (to zr, zi) was exact. The lanes that are done take the next
// points.
template <class F, class Stream, class Feed>
ZORVEK_INLINE_256 void settleStep(Stream& st, int step, __m256i zr, __m256i zi, __m256i zr2, __m256i zi2, __m256i sum,
                                  __m256i fourLess1, __m256i unfit, __m256i repeating, Feed& feed) {
    using L = Lanes256<F>;
    if constexpr (L::FIND_CYCLES) {
        // The formats that look for cycles fit their products.
        static_assert(std::is_base_of_v<AlwaysFits, L>);
        const unsigned escaped = st.active & L::escaped(zr2, zi2, sum, fourLess1);
        const unsigned inside = st.active & L::bits(repeating) & ~escaped;
        st.zr = zr;
        st.zi = zi;
        if (const unsigned done = escaped | inside) {
            st.retire(done, inside, step, feed.counts);
            st.refill(done, feed.cr, feed.ci, feed.n, feed.next, step + 1);
        }
    } else {
        // Those lanes finish their points one by one from the state they are in (where an escape
        // shows at once), in one pass with few branches, as escapes come unforeseen.
        const unsigned done = st.active & (L::unfitLanes(unfit) | L::escaped(zr2, zi2, sum, fourLess1));
        if (done) st.template finishOneByOne<F>(done, step, feed.counts);
        st.zr = zr;
        st.zi = zi;
        if (done) st.refill(done, feed.cr, feed.ci, feed.n, feed.next, step + 1);
    }
}

// One step of every lane of `st`; the common step in one test: all values fit, no lane escapes
// and none repeats a noted state. (Lanes without a point rest at 0 and never escape.)
template <class F, class Stream, class Feed>
ZORVEK_INLINE_256 void advance(Stream& st, int step, __m256i fourLess1, __m256i flagged, Feed& feed) {
    using L = Lanes256<F>;
    const __m256i unfit = L::unfit(st.zr, st.zi);
    __m256i zr2, zi2, twice;
    L::squares(st.zr, st.zi, zr2, zi2, twice);
    const __m256i sum = L::add(zr2, zi2);
    const __m256i zi = L::add(twice, st.ci), zr = L::add(L::sub(zr2, zi2), st.cr);
    __m256i flags = _mm256_or_si256(L::escapeMarks(zr2, zi2, sum, fourLess1), unfit);
    __m256i repeating = _mm256_setzero_si256();
    if constexpr (L::FIND_CYCLES) {
        // Back at a state it has been in: the orbit repeats for ever and never escapes.
        repeating = _mm256_and_si256(_mm256_and_si256(L::equal(zr, st.seenR), L::equal(zi, st.seenI)), st.seen);
        flags = _mm256_or_si256(flags, repeating);
    }
    if (!_mm256_testz_si256(flags, flagged)) [[unlikely]] {
        settleStep<F>(st, step, zr, zi, zr2, zi2, sum, fourLess1, unfit, repeating, feed);
    } else {
        st.zr = zr;
        st.zi = zi;
    }
    if constexpr (L::FIND_CYCLES) {
        if (step % CYCLE_CHECKPOINT == 0) {
            st.seenR = st.zr;
            st.seenI = st.zi;
            st.seen = _mm256_load_si256(reinterpret_cast<const __m256i*>(SPREAD<L::COUNT>.lanes[st.active]));
        }
    }
    // A point that has taken all its steps without escaping is inside the set.
    if (step + 1 >= st.deadline) [[unlikely]] {
        if (const unsigned expired = st.expired(step + 1)) {
            st.retire(expired, expired, step, feed.counts);
            st.refill(expired, feed.cr, feed.ci, feed.n, feed.next, step + 1);
        }
        st.updateDeadline();
    }
}

template <class F>
__attribute__((target(ZORVEK_AVX2))) void iterateAvx2(const std::int64_t* cr64, const std::int64_t* ci64, int n,
                                                      int* counts) {
    using L = Lanes256<F>;
    using E = typename L::Element;
    const InWidth<E> points(cr64, ci64, n);
    // Points far outside the set (only in views far wider than the finest renderer's) go the
    // plain way.
    if (!L::suits(points.cr, points.ci, n)) [[unlikely]] {
        iterateScalar<F>(cr64, ci64, n, counts);
        return;
    }
    Feed256<E> feed{points.cr, points.ci, n, 0, counts};
    const __m256i fourLess1 = L::set(static_cast<E>(F::FOUR - 1));
    // The bits of a lane's flags that call for a closer look.
    const __m256i flagged = L::flagged();
    Stream256<L> streams[L::STREAMS];
    // Every loop over the streams is unrolled, so that their vectors live in registers.
#pragma GCC unroll 4
    for (auto& st : streams) {
        st.clear();
        st.refill((1u << L::COUNT) - 1, feed.cr, feed.ci, n, feed.next, 0);
    }
    for (int step = 0; anyActive(streams); ++step) {
#pragma GCC unroll 4
        for (auto& st : streams) advance<F>(st, step, fourLess1, flagged, feed);
    }
}

#endif  // x86-64

// Points collected for iteration, from any rows; each flush colours their pixels. Points that do
// not depend on one another share flushes, so that the lanes stay busy to the end.
template <class F>
class Batch {
public:
    static constexpr int CAPACITY = BATCH_CAPACITY;

    Batch(const Points<F>& points, const Pixel* palette, Iterate iterate)
        : points(points), palette(palette), iterate(iterate) {}

    void startRow(Pixel* pixels, int y) {
        line = pixels;
        rowCi = points.ci(y);
    }
    void add(int x) {
        targets[n] = line + x;
        cr[n] = points.cr(x);
        ci[n] = rowCi;
        if (++n == CAPACITY) flush();
    }
    void flush() {
        iterate(cr, ci, n, counts);
        for (int j = 0; j < n; ++j) *targets[j] = palette[counts[j]];
        n = 0;
    }

private:
    const Points<F>& points;
    const Pixel* palette;
    Iterate iterate;
    Pixel* line = nullptr;
    std::int64_t rowCi = 0;
    int n = 0;
    Pixel* targets[CAPACITY];
    std::int64_t cr[CAPACITY];
    std::int64_t ci[CAPACITY];
    int counts[CAPACITY];
};

// A render in progress: the frame, its points, and the threads that share out its rows.
template <class F>
struct Render {
    BITMAP* frame;
    const Points<F>& points;
    const Pixel* palette;
    Iterate iterate;
    WorkerPool* pool;

    // Calls rowWork(batch, i) for i = 0 .. count − 1. The rows of one phase do not depend on one
    // another, so with several threads they are shared out in bands, each band iterating its
    // points in a batch of its own; alone, one batch serves the whole phase.
    template <class RowWork>
    void phase(int count, const RowWork& rowWork) const {
        const int threads = pool ? pool->threads() : 1;
        const int bands = threads == 1 ? 1 : std::min(count, threads * BANDS_PER_THREAD);
        const auto band = [&](int b) {
            Batch<F> batch(points, palette, iterate);
            for (int i = count * b / bands, end = count * (b + 1) / bands; i < end; ++i) rowWork(batch, i);
            batch.flush();
        };
        if (threads == 1) band(0);
        else pool->forEachBand(bands, band);
    }
};

template <class F>
void iterateRow(Batch<F>& batch, BITMAP* frame, int y) {
    batch.startRow(row(frame, y), y);
    for (int x = 0; x < frame->w; ++x) batch.add(x);
}

// Odd rows, once the rows around them are done: a pixel whose neighbours above and below agree
// in their top seven bits takes the colour above; the others are iterated.
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
}

void renderCoarse(const Render<Coarse>& r) {
    BITMAP* frame = r.frame;
    const int h = frame->h;
    r.phase(h, [&](Batch<Coarse>& batch, int i) { iterateRow(batch, frame, h - 1 - i); });
}

void renderMedium(const Render<Medium>& r) {
    BITMAP* frame = r.frame;
    const int h = frame->h;
    // The even rows, and the last row (already among them when the height is odd).
    const int even = (h + 1) / 2;
    const int computed = even + (h > 0 && h % 2 == 0 ? 1 : 0);
    r.phase(computed, [&](Batch<Medium>& batch, int i) { iterateRow(batch, frame, i < even ? 2 * i : h - 1); });
    r.phase(std::max((h - 2) / 2, 0), [&](Batch<Medium>& batch, int i) { fillOddRow(batch, frame, 2 * i + 1); });
}

void renderFine(const Render<Fine>& r) {
    BITMAP* frame = r.frame;
    const Points<Fine>& points = r.points;
    const int w = frame->w, h = frame->h;
    // Rows h − 2, h − 4, ... down to 0 or 1 are computed, in pairs of columns from the right:
    // the left column of a pair is iterated, the right one copied from it where it agrees with
    // the colour computed before it, which for the first pair of a row is the last of the row
    // below (black before the first row). The left columns do not depend on one another, so all
    // of them are iterated first; the comparisons follow, each row starting from the colour that
    // the row below ended with.
    const int computedRows = h >= 2 ? h / 2 : 0;
    const int lastX = w % 2;  // the last left column of a row
    const auto leftColumn = [&](int x) { return x >= 0 && x <= w - 2 && (w - 2 - x) % 2 == 0; };
    // Deep in the zoom neighbouring pixels share a point (a pixel is less than one unit wide).
    // A pixel to be iterated then takes the colour of an iterated left column at the same point
    // instead: the same point gives the same colour.
    const auto samePoint = [&](int x, int other) { return leftColumn(other) && points.cr(other) == points.cr(x); };
    r.phase(computedRows, [&](Batch<Fine>& batch, int i) {
        const int y = h - 2 - 2 * i;
        batch.startRow(row(frame, y), y);
        for (int x = w - 2; x >= 0; x -= 2) batch.add(x);
    });
    r.phase(computedRows, [&](Batch<Fine>& batch, int i) {
        const int y = h - 2 - 2 * i;
        Pixel prev = i == 0 || w < 2 ? 0 : row(frame, y + 2)[lastX];
        Pixel* line = row(frame, y);
        batch.startRow(line, y);
        for (int x = w - 2; x >= 0; x -= 2) {
            const Pixel col = line[x];
            if (pixels::sameQuarter(col, prev)) line[x + 1] = col;
            else if (samePoint(x + 1, x)) line[x + 1] = col;
            else if (samePoint(x + 1, x + 2)) line[x + 1] = line[x + 2];
            else batch.add(x + 1);
            prev = col;
        }
    });
    // The rows between, as the medium renderer fills its odd rows; a row at the same height as
    // a computed one takes the colours of its iterated columns.
    r.phase(std::max((h - 2) / 2, 0), [&](Batch<Fine>& batch, int i) {
        const int y = h - 3 - 2 * i;
        const Pixel* above = row(frame, y - 1);
        const Pixel* below = row(frame, y + 1);
        const std::int64_t ci = points.ci(y);
        const Pixel* same = ci == points.ci(y - 1) ? above : ci == points.ci(y + 1) ? below : nullptr;
        Pixel* line = row(frame, y);
        batch.startRow(line, y);
        for (int x = w - 1; x >= 0; --x) {
            if (pixels::sameHalf(above[x], below[x])) line[x] = above[x];
            else if (!same) batch.add(x);
            else if (leftColumn(x)) line[x] = same[x];
            else if (samePoint(x, x - 1)) line[x] = same[x - 1];
            else if (samePoint(x, x + 1)) line[x] = same[x + 1];
            else batch.add(x);
        }
    });
    if (h >= 2) std::copy_n(row(frame, h - 2), w, row(frame, h - 1));
}

template <class F>
Iterate iterateFor([[maybe_unused]] Kernel kernel) {
#if defined(__x86_64__)
    if (kernel == Kernel::Avx512) return iterateAvx512<F>;
    if (kernel == Kernel::Avx2) return iterateAvx2<F>;
#endif
    if constexpr (std::is_same_v<F, Coarse>) return iterateCoarseSse2;
    else return iterateScalar<F>;
}

template <class F>
void renderWith(BITMAP* frame, const View& view, const Pixel* palette, Kernel kernel, WorkerPool* pool,
                void (*renderer)(const Render<F>&)) {
    const Points<F> points(view, frame->w, frame->h);
    renderer(Render<F>{frame, points, palette, iterateFor<F>(kernel), pool});
}

}  // namespace

Precision precisionFor(std::int64_t viewHeight) {
    if (viewHeight > 0x10000000) return Precision::Coarse;
    if (viewHeight > 0x2000) return Precision::Medium;
    return Precision::Fine;
}

bool available(Kernel kernel) {
    using instructionSets::Level;
    switch (kernel) {
        case Kernel::Avx512: return instructionSets::usable(Level::Avx512);
        case Kernel::Avx2: return instructionSets::usable(Level::Avx2);
        case Kernel::Generic: break;
    }
    return true;
}

Kernel fastest() {
    return available(Kernel::Avx512) ? Kernel::Avx512 : available(Kernel::Avx2) ? Kernel::Avx2 : Kernel::Generic;
}

namespace {
// The kernel forced last; none: the fastest.
std::atomic<int>& forced() {
    static std::atomic<int> kernel{-1};
    return kernel;
}
}  // namespace

Kernel chosen() {
    const int kernel = forced().load(std::memory_order_relaxed);
    return kernel < 0 || !available(static_cast<Kernel>(kernel)) ? fastest() : static_cast<Kernel>(kernel);
}

void force(Kernel kernel) {
    if (available(kernel)) forced() = static_cast<int>(kernel);
}

void render(BITMAP* frame, const View& view, const Pixel* palette, Kernel kernel, WorkerPool* pool) {
    switch (precisionFor(view.height)) {
        case Precision::Coarse: renderWith<Coarse>(frame, view, palette, kernel, pool, renderCoarse); break;
        case Precision::Medium: renderWith<Medium>(frame, view, palette, kernel, pool, renderMedium); break;
        case Precision::Fine: renderWith<Fine>(frame, view, palette, kernel, pool, renderFine); break;
    }
}

}  // namespace Zorvek::mandelbrotKernels
