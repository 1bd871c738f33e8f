#pragma once
// The process-wide random generator: two 16-bit multiply-with-carry
// sequences combined into one 32-bit value. The render loop, the LFO and the
// patch commands all draw from it, from different threads and without a
// lock; each word is loaded and stored whole, so a draw never sees a torn
// state (concurrent draws may repeat or skip a value, which is harmless).

#include <atomic>
#include <cstdint>

// The sequence's arithmetic, shared with the engine's array loops. Internal
// linkage on purpose, as in DspMath.h: each vector unit's build of the loops
// keeps its own copy.
namespace mwc {

constexpr std::uint32_t kMultiplierZ = 36969u;
constexpr std::uint32_t kMultiplierW = 18000u;
// Each word is a multiplicative sequence modulo a * 65536 - 1: a step takes
// the word to the word times a, reduced (a * 65536 is 1 modulo it), so the
// word k steps on is the word times a^k, reduced.
constexpr std::uint64_t kModulusZ = std::uint64_t(kMultiplierZ) * 65536u - 1u;
constexpr std::uint64_t kModulusW = std::uint64_t(kMultiplierW) * 65536u - 1u;

// One step of both words, plain or in vectors of lanes; the value drawn.
template <typename T>
[[gnu::always_inline]] static inline T step(T& z, T& w) {
    z = kMultiplierZ * (z & 0xFFFFu) + (z >> 16);
    w = kMultiplierW * (w & 0xFFFFu) + (w >> 16);
    return (z << 16) + (w & 0xFFFFu);
}

// base^exponent modulo kM; the modulus is a constant, so each remainder is
// a multiplication, not a division.
template <std::uint64_t kM>
static constexpr std::uint64_t powMod(std::uint64_t base, std::uint64_t exponent) {
    std::uint64_t result = 1;
    base %= kM;
    while (exponent) {
        if (exponent & 1u) result = result * base % kM;
        base = base * base % kM;
        exponent >>= 1;
    }
    return result;
}

}  // namespace mwc

class MwcRandom {
public:
    struct State {
        std::uint32_t z;
        std::uint32_t w;
    };

    // The words every process starts from; nothing reseeds them at run time.
    static constexpr State kInitialState{71u, 89u};

    static std::uint32_t next() {
        std::uint32_t z = z_.load(std::memory_order_relaxed);
        std::uint32_t w = w_.load(std::memory_order_relaxed);
        const std::uint32_t raw = step(z, w);
        z_.store(z, std::memory_order_relaxed);
        w_.store(w, std::memory_order_relaxed);
        return raw;
    }

    // The doubles nearest to 1 / (2^32 - 1) and 1 / (2^31 - 1).
    static constexpr double kUniformScale = 2.3283064370807974e-10;
    static constexpr double kBipolarScale = 4.656612875245797e-10;

    // [0, 1], both ends included.
    static double uniform01() { return uniformOf(next()); }
    static double uniformOf(std::uint32_t raw) { return static_cast<double>(raw) * kUniformScale; }

    // About [-1, 1]: the most negative raw value gives -1.0000000004656613.
    static double bipolar() { return bipolarOf(next()); }
    static double bipolarOf(std::uint32_t raw) {
        return static_cast<double>(static_cast<std::int32_t>(raw)) * kBipolarScale;
    }

    // One step of the sequence on explicit words.
    static std::uint32_t step(std::uint32_t& z, std::uint32_t& w) { return mwc::step(z, w); }
    // The value drawn when a step leaves the words z and w.
    static std::uint32_t rawOf(std::uint32_t z, std::uint32_t w) {
        return (z << 16) + (w & 0xFFFFu);
    }
    static constexpr std::uint32_t kMultiplierZ = mwc::kMultiplierZ;
    static constexpr std::uint32_t kMultiplierW = mwc::kMultiplierW;

    // The words `steps` steps on from `from`, without taking each step (for
    // words on the sequence's cycle, as every state reached from the load
    // state is; others are stepped).
    static State advanced(State from, std::uint64_t steps);

    // Snapshot and restore, so that checks can replay the same draws.
    static State state();
    static void setState(State state);

private:
    static std::atomic<std::uint32_t> z_;
    static std::atomic<std::uint32_t> w_;
};
