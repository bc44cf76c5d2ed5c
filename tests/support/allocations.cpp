#include "support/allocations.h"

#include <atomic>
#include <cstddef>

// glibc's own allocator is reachable under its internal names, for forwarders to call; other C
// libraries (MinGW's on Windows) offer no such names.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(__GLIBC__)
#define VELMORA_COUNT_ALLOCATIONS 0
#else
#define VELMORA_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> calls{0};
std::atomic<int> open{0};
}  // namespace

#if VELMORA_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) {
    if (open.load(std::memory_order_relaxed)) ++calls;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    if (open.load(std::memory_order_relaxed)) ++calls;
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    if (open.load(std::memory_order_relaxed)) ++calls;
    return __libc_realloc(block, size);
}
}
#endif

namespace Zorvek::testing {

bool allocationsCounted() { return VELMORA_COUNT_ALLOCATIONS; }

CountAllocations::CountAllocations() {
    calls = 0;
    ++open;
}

CountAllocations::~CountAllocations() { --open; }

long CountAllocations::count() const { return calls.load(); }

}  // namespace Zorvek::testing
