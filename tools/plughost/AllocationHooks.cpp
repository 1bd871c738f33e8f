// Allocator hooks of the plughost program: every allocation of the process,
// the loaded plug-in's included, passes through here on its way to glibc's
// allocator, so that the validator can see allocations inside process calls.
// Linked into the program only (not into plughost_lib): test programs keep
// the plain allocator. Left out under sanitizers, which own the allocator.

#include "tools/plughost/AllocationCounter.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

#include <cerrno>
#include <cstddef>

#define PLUGHOST_EXPORT __attribute__((visibility("default")))

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);

PLUGHOST_EXPORT void* malloc(std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    return __libc_malloc(size);
}

PLUGHOST_EXPORT void* calloc(std::size_t count, std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    return __libc_calloc(count, size);
}

PLUGHOST_EXPORT void* realloc(void* p, std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    return __libc_realloc(p, size);
}

PLUGHOST_EXPORT void* memalign(std::size_t alignment, std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    return __libc_memalign(alignment, size);
}

PLUGHOST_EXPORT void* aligned_alloc(std::size_t alignment, std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    return __libc_memalign(alignment, size);
}

PLUGHOST_EXPORT int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = __libc_memalign(alignment, size);
    if (!p && size) return ENOMEM;
    *out = p;
    return 0;
}

PLUGHOST_EXPORT void* valloc(std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    return __libc_valloc(size);
}

PLUGHOST_EXPORT void* pvalloc(std::size_t size) {
    plughost::AllocationCounter::noteAllocation();
    return __libc_pvalloc(size);
}
}  // extern "C"

namespace {
const bool gInstalled = [] {
    plughost::AllocationCounter::markAvailable();
    return true;
}();
}  // namespace

#endif
