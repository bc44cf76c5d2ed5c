// The pool that shares out bands of rows: every band runs once per job, on any thread, without
// allocating.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "parallel/worker_pool.h"
#include "support/allocations.h"
#include "support/environment.h"

using namespace Zorvek;
using namespace Zorvek::testing;

TEST(WorkerPool, RunsEveryBandOfEveryJobExactlyOnce) {
    for (int threads : {1, 2, 4}) {
        WorkerPool pool(threads);
        EXPECT_EQ(pool.threads(), threads);
        std::atomic<int> runs[97];
        // Jobs of every size in quick succession: a worker that comes late to one job must take
        // nothing of the next.
        for (int job = 0; job < 3000; ++job) {
            const int bands = 1 + job % 97;
            for (auto& r : runs) r = 0;
            pool.forEachBand(bands, [&](int band) { runs[band].fetch_add(1, std::memory_order_relaxed); });
            for (int b = 0; b < 97; ++b)
                ASSERT_EQ(runs[b].load(), b < bands ? 1 : 0) << threads << " threads, job " << job;
        }
    }
}

TEST(WorkerPool, SharesBandsOutOverItsThreadsAndSplitsRowsWithoutGapsOrOverlaps) {
    WorkerPool pool(3);
    std::vector<int> hits(240);
    std::mutex lock;
    std::set<std::thread::id> workers;
    for (int attempt = 0; attempt < 200 && workers.size() < 2; ++attempt)
        pool.forEachRowBand(0, 240, [&](int begin, int end) {
            for (int y = begin; y < end; ++y) ++hits[y];
            // Busy for 200 µs (a sleep that short is no sleep on Windows, whose sleeps count in
            // milliseconds): time for the workers to wake and take bands.
            const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
            while (std::chrono::steady_clock::now() < until) {
            }
            std::lock_guard<std::mutex> guard(lock);
            workers.insert(std::this_thread::get_id());
        });
    EXPECT_GE(workers.size(), 2u);  // the caller and at least one worker took bands
    for (int y = 0; y < 240; ++y) EXPECT_EQ(hits[y], hits[0]) << "row " << y;
    std::vector<int> rows(7);
    pool.forEachRowBand(3, 10, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) ++rows[y - 3];
    });
    EXPECT_EQ(rows, std::vector<int>(7, 1));
}

TEST(WorkerPool, HandsOutAJobWithoutAllocating) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in this build";
    WorkerPool pool(2);
    std::atomic<int> sum{0};
    pool.forEachBand(8, [&](int band) { sum += band; });  // the threads are up and have run once
    const long allocations = allocationsDuring([&] {
        for (int job = 0; job < 100; ++job) pool.forEachRowBand(0, 240, [&](int begin, int) { sum += begin; });
    });
    EXPECT_EQ(allocations, 0);
}

TEST(WorkerPool, TakesItsSizeFromTheSetCountThenTheEnvironmentThenTheCores) {
    setWorkerCount(5);
    EXPECT_EQ(workerCount(), 5);
    setWorkerCount(0);
    setVariable("VELMORA_THREADS", "3");
    EXPECT_EQ(workerCount(), 3);
    setVariable("VELMORA_THREADS", "none");
    EXPECT_EQ(workerCount(), std::min(coreCount(), WorkerPool::MAX_THREADS));
    clearVariable("VELMORA_THREADS");
    setWorkerCount(1);  // as the test programs run
    WorkerPool pool(2);
    pool.resize(1);
    EXPECT_EQ(pool.threads(), 1);
    int ran = 0;
    pool.forEachBand(3, [&](int) { ++ran; });  // on the caller alone: no atomics needed
    EXPECT_EQ(ran, 3);
}

// The thread that gives a job sleeps when its bands outlast the spin; each time, the last band's
// end must wake it. A lost wake-up hangs the job for good: the jobs run on a thread of their own,
// and the test ends the process when they are not done in time.
TEST(WorkerPool, WakesTheGiverOfEveryJobThatOutlastsTheSpin) {
    std::atomic<bool> over{false};
    std::thread jobs([&] {
        WorkerPool pool(3);
        for (int job = 0; job < 3000; ++job) {
            const auto length = std::chrono::microseconds(job % 7 * 30);
            pool.forEachBand(3, [&](int band) {
                const auto until = std::chrono::steady_clock::now() + (band == job % 3 ? length : length / 3);
                while (std::chrono::steady_clock::now() < until) {
                }
            });
        }
        over = true;
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!over && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!over) {
        ADD_FAILURE() << "a job's giver was never woken";
        std::fflush(stdout);
        std::_Exit(1);
    }
    jobs.join();
}
