#include "parallel/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "process/program_name.h"

namespace Zorvek {

namespace {

std::atomic<int> countSet{0};

// A few dozen microseconds: jobs of one pass follow one another closely, and a worker that is
// still awake takes its share at once, where one woken from sleep may come too late for it.
constexpr auto SPIN = std::chrono::microseconds(50);

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
}

// Spins until `done` holds or the spin time is over; true if it holds.
template <class Done>
bool spinUntil(const Done& done) {
    const auto until = std::chrono::steady_clock::now() + SPIN;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (done()) return true;
            relax();
        }
        if (std::chrono::steady_clock::now() >= until) return done();
    }
}

int fromEnvironment() {
    const char* text = std::getenv("VELMORA_THREADS");
    if (!text || !*text) return 0;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    if (*end == '\0' && errno == 0 && n >= 1 && n <= WorkerPool::MAX_THREADS) return static_cast<int>(n);
    // A setting left in the environment must not keep the show from playing: it is named, once,
    // and set aside.
    static std::once_flag said;
    std::call_once(said, [text] {
        std::fprintf(stderr, "%s: VELMORA_THREADS=%s is not a whole number from 1 to %d; ignored\n", programName(),
                     text, WorkerPool::MAX_THREADS);
    });
    return 0;
}

}  // namespace

int workerCount() {
    if (const int n = countSet.load(); n > 0) return n;
    if (const int n = fromEnvironment(); n > 0) return n;
    return std::min(coreCount(), WorkerPool::MAX_THREADS);
}

void setWorkerCount(int threads) { countSet = std::clamp(threads, 0, WorkerPool::MAX_THREADS); }

WorkerPool::WorkerPool(int threads) { start(threads); }

WorkerPool::~WorkerPool() { stop(); }

void WorkerPool::resize(int threads) {
    stop();
    start(threads);
}

void WorkerPool::start(int threads) {
    threadCount = std::clamp(threads, 1, MAX_THREADS);
    stopping = false;
    workers.reserve(static_cast<std::size_t>(threadCount - 1));
    for (int i = 1; i < threadCount; ++i) workers.emplace_back([this] { workerLoop(); });
}

void WorkerPool::stop() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    generation.fetch_add(1, std::memory_order_release);  // ends the spinning at once
    for (std::thread& t : workers) t.join();
    workers.clear();
    threadCount = 1;
}

void WorkerPool::run(int bands, Function function, const void* context) {
    Job mine;
    {
        std::lock_guard<std::mutex> guard(lock);
        job.function = function;
        job.context = context;
        job.bands = bands;
        ++job.generation;
        mine = job;
        finished.store(0, std::memory_order_relaxed);
        ticket.store(std::uint64_t{mine.generation} << 32, std::memory_order_release);
        generation.store(mine.generation, std::memory_order_release);
    }
    wake.notify_all();
    work(mine);
    // The bands that workers took may still be running.
    const auto allFinished = [&] { return finished.load(std::memory_order_acquire) == bands; };
    if (spinUntil(allFinished)) return;
    std::unique_lock<std::mutex> guard(doneLock);
    done.wait(guard, allFinished);
}

bool WorkerPool::claim(const Job& j, int& band) {
    std::uint64_t t = ticket.load(std::memory_order_acquire);
    for (;;) {
        if (static_cast<std::uint32_t>(t >> 32) != j.generation) return false;
        const auto next = static_cast<std::uint32_t>(t);
        if (next >= static_cast<std::uint32_t>(j.bands)) return false;
        if (ticket.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
            band = static_cast<int>(next);
            return true;
        }
    }
}

bool WorkerPool::work(const Job& j) {
    bool any = false;
    int band = 0;
    while (claim(j, band)) {
        j.function(j.context, band);
        any = true;
        if (finished.fetch_add(1, std::memory_order_acq_rel) + 1 == j.bands) {
            // Through the lock the waiter checks the count under: the wake-up cannot fall between
            // its check and its sleep.
            { std::lock_guard<std::mutex> guard(doneLock); }
            done.notify_all();
        }
    }
    return any;
}

void WorkerPool::workerLoop() {
    std::uint32_t seen;
    {
        std::lock_guard<std::mutex> guard(lock);
        seen = job.generation;
    }
    for (;;) {
        spinUntil([&] { return generation.load(std::memory_order_acquire) != seen; });
        Job mine;
        {
            std::unique_lock<std::mutex> guard(lock);
            wake.wait(guard, [&] { return stopping || job.generation != seen; });
            if (stopping) return;
            mine = job;
        }
        seen = mine.generation;
        work(mine);
    }
}

}  // namespace Zorvek
