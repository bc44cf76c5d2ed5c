#include "process/running_time.h"

#include <time.h>

#include <algorithm>
#include <mutex>

#include "process/small_thread.h"

namespace Zorvek::platform {

namespace detail {
std::int64_t StopReckoning::at(std::int64_t now) {
    if (lastSeen != 0 && now - lastSeen > GAP) {
        // Nothing ran since the last sign of life but for about one of the watcher's sleeps.
        stopped += now - lastSeen - TICK;
    }
    if (lastSeen != 0) lastSeen = std::max(lastSeen, now);
    lastRunning = std::max(lastRunning, now - stopped);
    return lastRunning;
}
}  // namespace detail

namespace {
std::mutex lock;
detail::StopReckoning reckoning;

std::int64_t monotonic() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

[[noreturn]] void watch() {
    const timespec nap{0, detail::StopReckoning::TICK};
    for (;;) {
        nanosleep(&nap, nullptr);
        std::lock_guard<std::mutex> guard(lock);
        reckoning.at(monotonic());
    }
}
}  // namespace

void watchForStops() {
    std::lock_guard<std::mutex> guard(lock);
    if (reckoning.lastSeen != 0) return;
    reckoning.lastSeen = monotonic();
    // Runs for the life of the process; it holds nothing that needs taking apart.
    SmallThread watcher;
    if (watcher.start(watch)) watcher.detach();
}

std::int64_t runningNs() {
    std::lock_guard<std::mutex> guard(lock);
    return reckoning.at(monotonic());
}

std::int64_t stoppedNs() {
    std::lock_guard<std::mutex> guard(lock);
    reckoning.at(monotonic());
    return reckoning.stopped;
}

}  // namespace Zorvek::platform
