#pragma once
// A value that one thread writes and another reads while it runs. Each
// access is a single whole load or store; nothing relies on ordering between
// values, so relaxed accesses are enough and compile to plain moves.

#include <atomic>

template <typename T>
class Relaxed {
public:
    constexpr Relaxed(T value = T()) noexcept : value_(value) {}
    Relaxed(const Relaxed& other) noexcept : value_(other.get()) {}
    Relaxed& operator=(const Relaxed& other) noexcept {
        set(other.get());
        return *this;
    }

    T get() const noexcept { return value_.load(std::memory_order_relaxed); }
    void set(T value) noexcept { value_.store(value, std::memory_order_relaxed); }

private:
    static_assert(std::atomic<T>::is_always_lock_free, "shared values must never lock");
    std::atomic<T> value_;
};
