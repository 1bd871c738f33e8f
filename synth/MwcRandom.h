#pragma once
// The process-wide random generator: two 16-bit multiply-with-carry
// sequences combined into one 32-bit value. The render loop, the LFO and the
// patch commands all draw from it, from different threads and without a
// lock; each word is loaded and stored whole, so a draw never sees a torn
// state (concurrent draws may repeat or skip a value, which is harmless).

#include <atomic>
#include <cstdint>

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
    static std::uint32_t step(std::uint32_t& z, std::uint32_t& w) {
        z = kMultiplierZ * (z & 0xFFFFu) + (z >> 16);
        w = kMultiplierW * (w & 0xFFFFu) + (w >> 16);
        return rawOf(z, w);
    }
    // The value drawn when a step leaves the words z and w.
    static std::uint32_t rawOf(std::uint32_t z, std::uint32_t w) {
        return (z << 16) + (w & 0xFFFFu);
    }
    static constexpr std::uint32_t kMultiplierZ = 36969u;
    static constexpr std::uint32_t kMultiplierW = 18000u;

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
