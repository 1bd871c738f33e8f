// Float staging around the double-precision renderer. This file replaces the
// global allocation functions so that a test can prove a block allocates
// nothing; the replacement only counts while a test asks it to.

#include "KEffectTestEffect.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<bool> gCounting{false};
std::atomic<int> gAllocations{0};

void* allocate(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

// Counts allocations made by the calling code between construction and count().
class AllocationCounter {
public:
    AllocationCounter() {
        gAllocations = 0;
        gCounting = true;
    }
    ~AllocationCounter() { gCounting = false; }
    int count() const { return gAllocations.load(); }
};

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Renders out[c][i] = sum of the inputs at i + c + 1 and remembers what it was given.
class StagingEffect : public ktest::TestEffect {
public:
    void processDouble(double** inputs, int inputCount, double** outputs, int outputCount,
                       int frames) override {
        ++calls;
        seenInputs = inputCount;
        seenOutputs = outputCount;
        seenFrames = frames;
        firstInput = inputCount > 0 ? inputs[0] : nullptr;
        firstOutput = outputCount > 0 ? outputs[0] : nullptr;
        for (int c = 0; c < outputCount; ++c)
            for (int i = 0; i < frames; ++i) {
                double sum = c + 1;
                for (int k = 0; k < inputCount; ++k) sum += inputs[k][i];
                outputs[c][i] = sum;
            }
    }

    int calls = 0;
    int seenInputs = -1;
    int seenOutputs = -1;
    int seenFrames = -1;
    double* firstInput = nullptr;
    double* firstOutput = nullptr;
};

}  // namespace

TEST(KEffectStaging, ChannelsAreWidenedAroundTheRendererAndNarrowedBack) {
    StagingEffect effect;
    // The host path takes the stored arrangements' counts: no input, one output.
    std::vector<float> mono(16, -7.0f);
    float* host[] = {mono.data()};
    effect.processReplacing(nullptr, host, 16);
    EXPECT_EQ(effect.seenInputs, 0);
    EXPECT_EQ(effect.seenOutputs, 1);
    EXPECT_EQ(mono[15], 1.0f);

    const int frames = 5;
    std::vector<float> a = {0.5f, 1.0f, -1.0f, 0.25f, 0.0f};
    std::vector<float> b = {0.25f, 0.5f, 1.0f, -0.25f, 2.0f};
    std::vector<float> o0(frames, 99.0f), o1(frames, 99.0f);
    float* inputs[] = {a.data(), b.data()};
    float* outputs[] = {o0.data(), o1.data()};
    effect.processFloat(inputs, 2, outputs, 2, frames);
    for (int i = 0; i < frames; ++i) {
        EXPECT_EQ(o0[i], a[i] + b[i] + 1.0f);
        EXPECT_EQ(o1[i], a[i] + b[i] + 2.0f);
    }
    // Output channels follow the input channels in one block.
    EXPECT_EQ(effect.firstOutput, effect.firstInput + 2 * frames);

    int calls = effect.calls;
    effect.processFloat(inputs, 2, outputs, 2, 0);
    effect.processFloat(inputs, 2, outputs, 2, -4);
    EXPECT_EQ(effect.calls, calls);
}

TEST(KEffectStaging, ASmallerBlockAfterALargerOneReusesTheScratchWithoutAllocating) {
    StagingEffect effect;
    std::vector<float> in(512, 0.5f), out(512);
    float* inputs[] = {in.data()};
    float* outputs[] = {out.data()};
    {
        AllocationCounter counter;
        effect.processFloat(inputs, 1, outputs, 1, 512);
        EXPECT_GT(counter.count(), 0);  // the first block of a size may allocate
    }
    double* block = effect.firstInput;
    {
        AllocationCounter counter;
        effect.processFloat(inputs, 1, outputs, 1, 64);
        effect.processFloat(inputs, 1, outputs, 1, 512);
        effect.processFloat(inputs, 1, outputs, 1, 64);
        EXPECT_EQ(counter.count(), 0);
    }
    EXPECT_EQ(effect.firstInput, block);
    // The channel tables follow the new frame count.
    EXPECT_EQ(effect.firstOutput, block + 64);
    EXPECT_EQ(out[63], 1.5f);
}
