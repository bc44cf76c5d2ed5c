#pragma once
// Counts the heap allocations made while a scope is open, to show that a pass of an effect
// allocates nothing. A test program that uses this replaces malloc, calloc and realloc with
// counting forwarders to the C library's own; sanitizer builds (address, thread) keep their
// allocator, and there nothing is counted; nor with a C library other than glibc (Windows).

namespace Zorvek::testing {

bool allocationsCounted();

class CountAllocations {
public:
    CountAllocations();
    ~CountAllocations();
    CountAllocations(const CountAllocations&) = delete;
    CountAllocations& operator=(const CountAllocations&) = delete;
    long count() const;  // allocations since the scope opened
};

// The allocations made by `work`.
template <class Work>
long allocationsDuring(Work&& work) {
    CountAllocations counting;
    work();
    return counting.count();
}

}  // namespace Zorvek::testing
