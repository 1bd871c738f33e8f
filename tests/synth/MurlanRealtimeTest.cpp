// The audio thread of the built plug-in must not allocate once it has seen a
// block of a given size. Every allocation of this test program goes through
// the counting malloc below (the plug-in's operator new ends in malloc too);
// only allocations made on a thread that is being watched are counted.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

#include "PluginRig.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MURLAN_COUNT_ALLOCATIONS 0  // the sanitizers own malloc
#else
#define MURLAN_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> gAllocations{0};
thread_local bool tWatched = false;
inline void noteAllocation() {
    if (tWatched) gAllocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#if MURLAN_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

__attribute__((visibility("default"))) void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
__attribute__((visibility("default"))) void* realloc(void* p, std::size_t size) {
    noteAllocation();
    return __libc_realloc(p, size);
}
__attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) void* memalign(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    noteAllocation();
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}
#endif

namespace {
struct Watch {
    Watch() {
        gAllocations.store(0);
        tWatched = true;
    }
    ~Watch() { tWatched = false; }
    long count() const { return gAllocations.load(); }
};
}  // namespace

TEST(MurlanRealtime, ProcessingAllocatesNothingAfterTheFirstBlockOfASize) {
    if (!MURLAN_COUNT_ALLOCATIONS) GTEST_SKIP() << "sanitizer build";
#ifndef MURLAN_PLUGIN
    GTEST_SKIP() << "plug-in not built";
#else
    PluginRig rig;
    ASSERT_TRUE(rig.ok());
    auto& plugin = *rig.plugin;
    // First blocks of each size and path may set up staging buffers.
    plugin.process(rig.floats, 512);
    plugin.process(rig.doubles, 512);
    long allocations = 0;
    {
        Watch watch;
        for (int block = 0; block < 200; ++block) {
            rig.events.clear();
            rig.events.addMidi(block % 7, 0x90, static_cast<unsigned char>(48 + block % 24), 100);
            rig.events.addMidi(300, 0xE0, 0, static_cast<unsigned char>(block & 0x7F));
            if (block % 3 == 0) rig.events.addMidi(400, 0x80, static_cast<unsigned char>(48 + block % 24), 0);
            plugin.processEvents(rig.events);
            if (block % 2) {
                plugin.process(rig.floats, block % 5 == 0 ? 64 : 512);
            } else {
                plugin.process(rig.doubles, 512);
            }
            rig.host.advance(512);
        }
        allocations = watch.count();
    }
    EXPECT_EQ(allocations, 0);

    // The count does reach into the plug-in: a larger float block makes it
    // grow its staging buffers.
    rig.floats.resize(0, 1, 4096);
    long growth = 0;
    {
        Watch watch;
        plugin.process(rig.floats, 4096);
        growth = watch.count();
    }
    EXPECT_GE(growth, 1);
#endif
}
