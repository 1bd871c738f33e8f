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
