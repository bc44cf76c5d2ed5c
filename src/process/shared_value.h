#pragma once

#include <atomic>

namespace Zorvek {

// A plain value shared between the input handlers and the main loop. Every read and write is
// atomic, so a handler may run on any thread without racing or waiting; relaxed order is enough,
// since each value is a request on its own and orders nothing else.
// It reads and assigns like the int or bool it holds.
template <class T>
class SharedValue {
public:
    constexpr SharedValue(T initial = T()) : value(initial) {}
    SharedValue(const SharedValue&) = delete;

    operator T() const { return value.load(std::memory_order_relaxed); }
    SharedValue& operator=(T v) {
        value.store(v, std::memory_order_relaxed);
        return *this;
    }
    // Copies the other's value (a jump target taken from the key table, say).
    SharedValue& operator=(const SharedValue& other) { return *this = static_cast<T>(other); }
    T load() const { return *this; }
    // Takes the value and leaves `v` in its place in one step, so that nothing written in
    // between is lost.
    T exchange(T v) { return value.exchange(v, std::memory_order_relaxed); }
    SharedValue& operator+=(T d) {
        value.fetch_add(d, std::memory_order_relaxed);
        return *this;
    }
    SharedValue& operator-=(T d) {
        value.fetch_sub(d, std::memory_order_relaxed);
        return *this;
    }

    template <class Stream>
    friend Stream& operator<<(Stream& out, const SharedValue& v) {
        return out << static_cast<T>(v);
    }

private:
    static_assert(std::atomic<T>::is_always_lock_free, "the input handlers must never wait");
    std::atomic<T> value;
};

}  // namespace Zorvek
