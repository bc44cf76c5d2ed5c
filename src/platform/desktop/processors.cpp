// The processors the show may use: those the process may run on (a container, taskset), not
// every one the machine has.
#include <sched.h>

#include <algorithm>
#include <thread>

#include "parallel/worker_pool.h"

namespace Zorvek {

int coreCount() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(CPU_COUNT(&set), 1);
    return std::max(static_cast<int>(std::thread::hardware_concurrency()), 1);
}

}  // namespace Zorvek
