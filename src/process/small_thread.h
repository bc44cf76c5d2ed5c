#pragma once
// Threads that do little (watch a clock, wait for a device) on a small stack: a thread's stack is
// reserved whole, and under a limit on the address space (ulimit -v) the default 8 MB of each
// would count against what the show itself needs.

#include <pthread.h>

#include <cstddef>
#include <functional>

namespace Zorvek {

class SmallThread {
public:
    static constexpr std::size_t STACK = 512 * 1024;

    SmallThread() = default;
    // Starts `run` on a thread of its own, with a stack of `stack` bytes; false when no thread can
    // be had (a platform without threads among them).
    bool start(std::function<void()> run, std::size_t stack = STACK);
    bool joinable() const { return started; }
    void join();
    void detach();

private:
    static void* enter(void* self);
    std::function<void()> body;
    pthread_t thread{};
    bool started = false;
};

}  // namespace Zorvek
