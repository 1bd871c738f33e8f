#include "synth/MwcRandom.h"

static_assert(std::atomic<std::uint32_t>::is_always_lock_free, "the generator must never lock");

// Constant-initialised: valid before any static constructor can draw.
std::atomic<std::uint32_t> MwcRandom::z_{MwcRandom::kInitialState.z};
std::atomic<std::uint32_t> MwcRandom::w_{MwcRandom::kInitialState.w};

MwcRandom::State MwcRandom::state() {
    return State{z_.load(std::memory_order_relaxed), w_.load(std::memory_order_relaxed)};
}

void MwcRandom::setState(State state) {
    z_.store(state.z, std::memory_order_relaxed);
    w_.store(state.w, std::memory_order_relaxed);
}

namespace {
// Each word is a multiplicative sequence modulo m = a * 65536 - 1: a step
// takes the word to the word times a, reduced (a * 65536 is 1 modulo m).
std::uint64_t timesPowerMod(std::uint64_t x, std::uint64_t a, std::uint64_t m,
                            std::uint64_t exponent) {
    std::uint64_t base = a % m;
    while (exponent) {
        if (exponent & 1u) x = x * base % m;
        base = base * base % m;
        exponent >>= 1;
    }
    return x;
}
}  // namespace

MwcRandom::State MwcRandom::advanced(State from, std::uint64_t steps) {
    constexpr std::uint64_t kMz = std::uint64_t(kMultiplierZ) * 65536u - 1u;
    constexpr std::uint64_t kMw = std::uint64_t(kMultiplierW) * 65536u - 1u;
    if (from.z >= kMz || from.w >= kMw) {
        for (std::uint64_t k = 0; k < steps; ++k) step(from.z, from.w);
        return from;
    }
    return {std::uint32_t(timesPowerMod(from.z, kMultiplierZ, kMz, steps)),
            std::uint32_t(timesPowerMod(from.w, kMultiplierW, kMw, steps))};
}
