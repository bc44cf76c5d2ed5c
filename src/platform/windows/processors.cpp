// The processors the show may use: those the process may run on (an affinity set by whoever
// started it), not every one the machine has.
#include <windows.h>

#include <algorithm>
#include <bit>
#include <thread>

#include "parallel/worker_pool.h"

namespace Zorvek {

int coreCount() {
    DWORD_PTR mine = 0, machine = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &mine, &machine) && mine != 0)
        return std::max(std::popcount(static_cast<unsigned long long>(mine)), 1);
    return std::max(static_cast<int>(std::thread::hardware_concurrency()), 1);
}

}  // namespace Zorvek
