// The built plug-in, loaded and driven like a host does, measured by its
// output. Allocation counting: every allocation of this test program goes
// through the malloc below (the plug-in's operator new ends there too).

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "PluginRig.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define COUNT_ALLOCATIONS 0  // the sanitizers own malloc
#else
#define COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> gAllocations{0};
thread_local bool tWatched = false;
void noteAllocation() {
    if (tWatched) gAllocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#if COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
#define EXPORTED __attribute__((visibility("default")))
EXPORTED void* malloc(std::size_t n) { return noteAllocation(), __libc_malloc(n); }
EXPORTED void* calloc(std::size_t c, std::size_t n) {
    return noteAllocation(), __libc_calloc(c, n);
}
EXPORTED void* realloc(void* p, std::size_t n) { return noteAllocation(), __libc_realloc(p, n); }
EXPORTED void* aligned_alloc(std::size_t a, std::size_t n) {
    return noteAllocation(), __libc_memalign(a, n);
}
EXPORTED void* memalign(std::size_t a, std::size_t n) {
    return noteAllocation(), __libc_memalign(a, n);
}
EXPORTED int posix_memalign(void** out, std::size_t a, std::size_t n) {
    noteAllocation();
    *out = __libc_memalign(a, n);
    return *out ? 0 : ENOMEM;
}
}
#endif

#ifdef MURLAN_PLUGIN
namespace {
constexpr unsigned char kOn = 0x90, kOff = 0x80;
const double kFullPeak =
    3.0 * std::pow(10.0, -12.5 / 20.0) * 0.9754781797750323;  // key 69, defaults

class PluginRendering : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.plugin) << "cannot load " MURLAN_PLUGIN; }
    PluginRig rig{MURLAN_PLUGIN};
};
}  // namespace

TEST_F(PluginRendering, HeldNoteSoundsAtEachPartialAndDetune) {
    struct Case {
        int level, partial, detune;  // parameter indices
        float partialValue, detuneValue;
        double hz;
    } const cases[] = {
        {4, -1, 0, 0.0f, 1.0f, 220.0 * std::pow(2.0, 99.0 / 1200.0)},
        {10, 5, 6, 0.6f, 0.0f, 880.0 * std::pow(2.0, -99.0 / 1200.0)},
        {16, 11, 12, 1.0f, 0.5f, 1320.0},
    };
    for (const Case& c : cases) {
        for (int level : {4, 10, 16})
            rig.plugin->setParameter(level, level == c.level ? 1.0f : 0.0f);
        if (c.partial >= 0) rig.plugin->setParameter(c.partial, c.partialValue);
        rig.plugin->setParameter(c.detune, c.detuneValue);
        const std::vector<double> out =
            rig.render(48000, {{0, kOn, 57, 100}, {47000, kOff, 57, 0}});
        EXPECT_NEAR(measuredFrequency(out, 4800, 46000, rig.rate()) / c.hz, 1.0, 1e-6) << c.hz;
    }
}

TEST_F(PluginRendering, Key69PeaksNear0694AndDecaysToTheDitherLevel) {
    const std::vector<double> out = rig.render(48000, {{0, kOn, 69, 100}, {24000, kOff, 69, 0}});
    EXPECT_NEAR(peakOf(out, 4800, 24000), kFullPeak, 2e-3);
    EXPECT_NEAR(kFullPeak, 0.694, 1e-3);
    double mean = 0.0;
    for (std::size_t i = 30000; i < out.size(); ++i) {
        ASSERT_GT(out[i], 0.0) << "never exact zero";
        ASSERT_LE(out[i], 5e-06 * 0.2372);
        mean += out[i] / (out.size() - 30000);
    }
    EXPECT_NEAR(mean, 2.5e-06 * 0.2371, 0.05e-06);
}

TEST_F(PluginRendering, FloatPathIsTheDoublePathRoundedToFloat) {
    const std::vector<Note> melody{{0, kOn, 60, 90},     {9000, kOn, 64, 90},
                                   {9100, kOff, 60, 0},  {20000, 0xE0, 0, 0x60},
                                   {30000, kOff, 64, 0}, {30001, kOn, 67, 10}};
    PluginRig other(MURLAN_PLUGIN);
    for (PluginRig* r : {&rig, &other}) {
        r->plugin->setParameter(3, 0.2f);   // Porta1
        r->plugin->setParameter(17, 0.6f);  // Rising
        r->plugin->setParameter(19, 0.5f);  // LFODepth
    }
    const std::vector<double> d = rig.render(40000, melody, false);
    const std::vector<double> f = other.render(40000, melody, true);
    for (std::size_t i = 0; i < d.size(); ++i) ASSERT_EQ(f[i], static_cast<float>(d[i])) << i;
}

TEST_F(PluginRendering, VanishingMainLevelNeverMakesSubnormalSamples) {
    // Automation ramping towards 0 can leave the smallest float in a level.
    rig.plugin->setParameter(22, 1.4e-45f);
    rig.plugin->setParameter(4, 1e-30f);
    const std::vector<double> floats = rig.render(4096, {{0, kOn, 69, 100}}, true);
    const std::vector<double> doubles = rig.render(4096, {}, false);
    for (const std::vector<double>* out : {&floats, &doubles})
        for (double x : *out) {
            ASSERT_NE(std::fpclassify(x), FP_SUBNORMAL);
            ASSERT_NE(std::fpclassify(static_cast<float>(x)), FP_SUBNORMAL);
        }
}

TEST_F(PluginRendering, HostsThatSkipEmptyEventCallsHearTheSame) {
    const std::vector<Note> melody{
        {100, kOn, 60, 90}, {5000, kOn, 62, 90}, {5000, kOff, 60, 0}, {9999, kOff, 62, 0}};
    PluginRig other(MURLAN_PLUGIN);
    EXPECT_EQ(rig.render(20000, melody, false, true), other.render(20000, melody, false, false));
}

TEST_F(PluginRendering, ZeroFrameBlocksConsumeNoEvents) {
    rig.events.clear();
    rig.events.addMidi(0, kOn, 69, 100);
    rig.plugin->processEvents(rig.events);
    rig.plugin->process(rig.doubles, 0);
    rig.plugin->process(rig.floats, 0);
    EXPECT_NEAR(peakOf(rig.render(4800, {}, false, false), 2400, 4800), kFullPeak, 5e-3);
}

TEST_F(PluginRendering, EventOutOfOrderIsDroppedWithEverythingBehindIt) {
    rig.events.clear();
    rig.events.addMidi(100, kOn, 69, 100);
    rig.events.addMidi(50, kOff, 69, 0);  // already past when its turn comes
    rig.events.addMidi(200, kOn, 81, 100);
    rig.plugin->processEvents(rig.events);
    rig.plugin->process(rig.doubles, 512);
    const std::vector<double> out = rig.render(9600);
    EXPECT_NEAR(peakOf(out, 4800, out.size()), kFullPeak, 5e-3) << "the note-off never came";
    EXPECT_NEAR(measuredFrequency(out, 0, out.size(), rig.rate()), 440.0, 0.01)
        << "nor the later key";
}

TEST_F(PluginRendering, RisingLfoAtFullDepthSwellsOncePerBarLockedToTheTransport) {
    rig.plugin->setParameter(17, 0.6f);  // Rising
    rig.plugin->setParameter(18, 0.0f);  // 1 per bar: 96000 samples at 120 bpm
    rig.plugin->setParameter(19, 1.0f);  // 100 %
    rig.host.setPosition(0.0, 1.0);      // a quarter into the bar
    rig.host.setPlaying(true);
    const std::vector<double> out = rig.render(96000, {{0, kOn, 69, 100}});
    for (double bar : {0.5, 0.9, 1.05, 1.2}) {
        const std::size_t at = static_cast<std::size_t>((bar - 0.25) * 96000.0);
        EXPECT_NEAR(peakOf(out, at - 120, at + 120) / kFullPeak, bar - std::floor(bar), 0.02)
            << bar;
    }
}

TEST_F(PluginRendering, ProcessingAllocatesNothingAfterTheFirstBlockOfASize) {
    if (!COUNT_ALLOCATIONS) GTEST_SKIP() << "sanitizer build";
    rig.plugin->process(rig.floats, 512);  // first blocks may set up staging
    rig.plugin->process(rig.doubles, 512);
    rig.floats.resize(0, 1, 4096);
    long steady = 0, growing = 0;
    gAllocations = 0;
    tWatched = true;
    for (int block = 0; block < 200; ++block) {
        const unsigned char key = static_cast<unsigned char>(48 + block % 24);
        rig.events.clear();
        rig.events.addMidi(block % 7, kOn, key, 100);
        rig.events.addMidi(300, 0xE0, 0, static_cast<unsigned char>(block & 0x7F));
        if (block % 3 == 0) rig.events.addMidi(400, kOff, key, 0);
        rig.plugin->processEvents(rig.events);
        block % 2 ? rig.plugin->process(rig.floats, block % 5 ? 512 : 64)
                  : rig.plugin->process(rig.doubles, 512);
    }
    steady = gAllocations.exchange(0);
    rig.plugin->process(rig.floats, 4096);  // a larger block: floats are rendered without staging
    growing = gAllocations.exchange(0);
    void* volatile probe = std::malloc(16);  // the count does reach this thread's allocations
    std::free(probe);
    const long counted = gAllocations.exchange(0);
    tWatched = false;
    EXPECT_EQ(steady, 0);
    EXPECT_EQ(growing, 0);
    EXPECT_GE(counted, 1);
}
#endif
