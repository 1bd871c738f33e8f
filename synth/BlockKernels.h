#pragma once
// The engine's array loops, built once per vector unit from one source
// (BlockKernels.inl) and chosen at run time: the plug-in loads on any x86-64
// and uses the widest unit the processor has. Every path computes the same
// arithmetic; they differ only where fused multiply-add rounds once instead
// of twice.

#include <cstdint>
#include <vector>

struct BlockKernels {
    enum Isa { Baseline = 0, Avx2Fma = 1, kIsaCount };

    // One partial into the running sum: sum[k] (+)= sine(phase[k]) * amp,
    // with amp the constant `gain` times env[k] and weight[k] where given
    // (null: 1); the product order is (gain * weight) * env.
    void (*partial)(const double* phase, double gain, const double* weight, const double* env, double* sum,
                    int n, bool accumulate);
    // Phase increment and frequency weight of a moving frequency, as the
    // per-sample engine works them out (0 and 0 at frequencies <= 0).
    void (*pitch)(const double* frequency, double rate, double inverseRate, double* increment, double* weightTarget,
                  int n);
    // Whether a slew limiter of `step` starting at `from` reaches every
    // target on its own sample, so that it simply follows them.
    bool (*follows)(const double* target, double from, double step, int n);
    // The LFO's wave at each phase; the random wave holds hold[k].
    void (*lfoWave)(std::int32_t wave, const double* phase, const double* hold, double* value, int n);
    // The next `n` steps of the process generator from words (z, w): the
    // words after each step, in order; (z, w) become the last of them.
    void (*draws)(std::uint32_t* z, std::uint32_t* w, std::uint32_t* zOut, std::uint32_t* wOut, int n);
    // out[k] = (r[k] * 5e-6 + sum[k]) * gain * (halfDepth * (lfo[k] - 1) + 1), with r the
    // uniform draw made from the words after step k, sum null for silence
    // and lfo null for the constant `factor` in place of the last bracket.
    void (*mixDouble)(const std::uint32_t* z, const std::uint32_t* w, const double* sum, const double* lfo,
                      double gain, double halfDepth, double factor, double* out, int n);
    // The same into floats; magnitudes below the float range become 0.
    void (*mixFloat)(const std::uint32_t* z, const std::uint32_t* w, const double* sum, const double* lfo,
                     double gain, double halfDepth, double factor, float* out, int n);

    // The widest path this processor runs, found once.
    static Isa best();
    static std::vector<Isa> available();
    static const BlockKernels& get(Isa isa);
    static const char* name(Isa isa);
};

// The paths, one per vector unit (each defined by its own compilation of
// BlockKernels.inl).
namespace block_baseline {
extern const BlockKernels kKernels;
}
namespace block_avx2 {
extern const BlockKernels kKernels;
}
