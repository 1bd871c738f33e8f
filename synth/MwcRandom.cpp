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

MwcRandom::State MwcRandom::advanced(State from, std::uint64_t steps) {
    if (from.z >= mwc::kModulusZ || from.w >= mwc::kModulusW) {
        for (std::uint64_t k = 0; k < steps; ++k) step(from.z, from.w);
        return from;
    }
    const std::uint64_t z = from.z * mwc::powMod<mwc::kModulusZ>(kMultiplierZ, steps);
    const std::uint64_t w = from.w * mwc::powMod<mwc::kModulusW>(kMultiplierW, steps);
    return {std::uint32_t(z % mwc::kModulusZ), std::uint32_t(w % mwc::kModulusW)};
}
