#pragma once
// Counts heap allocations made by the current thread while armed. The
// counting itself needs the allocator hooks (AllocationHooks.cpp), which only
// the plughost program links: without them `available()` is false and the
// counts stay 0. Programs built with a sanitizer get no hooks either, since
// the sanitizer owns the allocator.

#include <cstdint>

namespace plughost {

class AllocationCounter {
public:
    // True when the hooks are linked into this program.
    static bool available();
    // Arms counting on the calling thread and sets its count to 0.
    static void arm();
    // Disarms and answers the allocations made since arm().
    static std::int64_t disarm();

    // Called by the hooks on every allocation.
    static void noteAllocation();
    // Called once by the hooks' static initialiser.
    static void markAvailable();
};

// While alive, counts the calling thread's allocations.
class AllocationScope {
public:
    AllocationScope() { AllocationCounter::arm(); }
    ~AllocationScope() {
        if (!done_) AllocationCounter::disarm();
    }
    std::int64_t finish() {
        done_ = true;
        return AllocationCounter::disarm();
    }

private:
    bool done_ = false;
};

}  // namespace plughost
