#include "tools/plughost/AllocationCounter.h"

#include <atomic>

namespace plughost {

namespace {
std::atomic<bool> gAvailable{false};
// Plain thread-locals of static storage: reading them never allocates.
thread_local bool tArmed = false;
thread_local std::int64_t tCount = 0;
}  // namespace

bool AllocationCounter::available() { return gAvailable.load(std::memory_order_relaxed); }

void AllocationCounter::arm() {
    tCount = 0;
    tArmed = true;
}

std::int64_t AllocationCounter::disarm() {
    tArmed = false;
    return tCount;
}

void AllocationCounter::noteAllocation() {
    if (tArmed) ++tCount;
}

void AllocationCounter::markAvailable() { gAvailable.store(true, std::memory_order_relaxed); }

}  // namespace plughost
