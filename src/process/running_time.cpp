#include "process/running_time.h"

#include <algorithm>
#include <mutex>

#include "process/small_thread.h"

namespace Zorvek {

namespace detail {
Nanos StopReckoning::at(Nanos now) {
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

[[noreturn]] void watch() {
    for (;;) {
        sleepUntil(monotonicNow() + detail::StopReckoning::TICK);
        std::lock_guard<std::mutex> guard(lock);
        reckoning.at(monotonicNow());
    }
}
}  // namespace

void watchForStops() {
    std::lock_guard<std::mutex> guard(lock);
    if (reckoning.lastSeen != 0) return;
    reckoning.lastSeen = monotonicNow();
    // Runs for the life of the process; it holds nothing that needs taking apart.
    SmallThread watcher;
    if (watcher.start(watch)) watcher.detach();
}

Nanos runningNs() {
    std::lock_guard<std::mutex> guard(lock);
    return reckoning.at(monotonicNow());
}

Nanos stoppedNs() {
    std::lock_guard<std::mutex> guard(lock);
    reckoning.at(monotonicNow());
    return reckoning.stopped;
}

}  // namespace Zorvek
