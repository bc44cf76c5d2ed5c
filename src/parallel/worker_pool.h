#pragma once
// A small pool of worker threads that shares out the bands of rows of one effect's pass. The
// threads start with the pool and sleep between jobs; the thread that hands out a job takes bands
// itself, so a job finishes even when no worker gets to run. Handing out a job allocates nothing.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace Zorvek {

// How many threads a pool built from now on has, the calling thread included: the count set
// here, else the environment variable VELMORA_THREADS, else the processor's core count.
int workerCount();
// 0 forgets the count set, so that the environment and the processor decide again.
void setWorkerCount(int threads);
// The processor's core count (logical processors this process may run on).
int coreCount();

class WorkerPool {
public:
    static constexpr int MAX_THREADS = 64;
    static constexpr int BANDS_PER_THREAD = 4;

    explicit WorkerPool(int threads = workerCount());
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Threads that work on a job, the calling thread included (1: everything runs on the caller).
    int threads() const { return threadCount; }
    // Stops the workers and starts `threads` − 1 new ones; not while a job runs.
    void resize(int threads);

    // Calls work(band) once for every band from 0 to bands − 1, on any of the threads, and
    // returns when all have returned. Bands run in no particular order and at the same time, so
    // they must not depend on one another. Called from one thread at a time.
    template <class Work>
    void forEachBand(int bands, const Work& work) {
        if (bands <= 0) return;
        if (threadCount == 1 || bands == 1) {
            for (int b = 0; b < bands; ++b) work(b);
            return;
        }
        run(
            bands, [](const void* context, int band) { (*static_cast<const Work*>(context))(band); }, &work);
    }

    // Rows first .. last − 1 in bands of neighbouring rows, a few per thread so that a thread
    // that comes late still finds work: work(begin, end) for each band, end exclusive.
    template <class Work>
    void forEachRowBand(int first, int last, const Work& work) {
        const int rows = last - first;
        if (rows <= 0) return;
        const int bands = rows < threadCount * BANDS_PER_THREAD ? rows : threadCount * BANDS_PER_THREAD;
        forEachBand(bands, [&](int band) {
            work(first + static_cast<int>(static_cast<long long>(rows) * band / bands),
                 first + static_cast<int>(static_cast<long long>(rows) * (band + 1) / bands));
        });
    }

private:
    using Function = void (*)(const void* context, int band);

    // The job on hand; written under `lock` while the generation is advanced.
    struct Job {
        Function function = nullptr;
        const void* context = nullptr;
        int bands = 0;
        std::uint32_t generation = 0;
    };

    void run(int bands, Function function, const void* context);
    void start(int threads);
    void stop();
    void workerLoop();
    // Takes and runs bands of the job until none is left; true if it ran any.
    bool work(const Job& job);
    bool claim(const Job& job, int& band);

    int threadCount = 1;
    std::vector<std::thread> workers;

    std::mutex lock;
    std::condition_variable wake;
    Job job;                                   // guarded by `lock`
    bool stopping = false;                     // guarded by `lock`
    std::atomic<std::uint32_t> generation{0};  // of the newest job, for workers that spin
    // The next band to hand out, tagged with its job's generation so that a worker that comes
    // late to a finished job takes nothing from the next one.
    std::atomic<std::uint64_t> ticket{0};
    std::atomic<int> finished{0};  // bands of the current job that have returned
    // What the thread that gave the job sleeps on until its last band returns. (Not the atomic's
    // own wait: under MinGW's runtime it lost a wake-up now and then, and the capture hung.)
    std::mutex doneLock;
    std::condition_variable done;
};

}  // namespace Zorvek
