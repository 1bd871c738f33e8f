#pragma once
// The engine's array loops, built once per vector unit from one source
// (BlockKernels.inl) and chosen at run time: the plug-in loads on any x86-64
// and uses the widest unit the processor has. Every path computes the same
// arithmetic; they differ only where fused multiply-add rounds once instead
// of twice.

#include <cstdint>

// What the output of one chunk is made of.
struct VoiceArgs {
    static constexpr int kMaxPartials = 3;
    // The partials whose phase moves: the first `partials` sound, the next
    // `silent` do not, but their phase runs on all the same (their later
    // output depends on it). Each phase is start[i] plus each sample's step,
    // wrapped at two pi, the last left in end[i]; the step is step[i]
    // throughout, or steps[i][k] when a partial glides (then every moving
    // partial has an array). The loop sums the phases itself, so that the
    // vector work of a few samples overlaps the sums of the next. It sums
    // all kMaxPartials phases: those past the moving ones have start and
    // step 0, and when there are arrays, an array of zeros (their end is
    // written too, and is 0).
    int partials = 0;
    int silent = 0;
    double start[kMaxPartials] = {};
    double step[kMaxPartials] = {};
    const double* steps[kMaxPartials] = {};
    double* end = nullptr;
    // Each sounding partial's level, and a factor per sample when its
    // amplitude moves (or null); when one partial has an array, every
    // sounding partial has one. With weightPerStep set instead, every
    // sounding partial glides in the band with a steady envelope, and its
    // factor is dsp::lineWeight(its step, weightPerStep).
    const double* amp[kMaxPartials] = {};
    double weightPerStep = 0.0;
    double ampLevel[kMaxPartials] = {};
    const std::uint32_t* raw = nullptr;  // the generator's value of each sample
    const double* lfo = nullptr;
    double gain = 0.0;
    double halfDepth = 0.0;
    double factor = 1.0;
};

struct BlockKernels {
    enum Isa { Baseline = 0, Avx2Fma = 1, kIsaCount };

    // The moving part of a partial's amplitude when both its frequency
    // weight and its envelope move: amp[k] = weight[k] * env[k].
    void (*amplitude)(const double* weight, const double* env, double* amp, int n);
    // Phase increment and frequency weight of the frequency scale * note[k]
    // (0 and 0 at frequencies <= 0), each rounded once from its quotient.
    void (*pitch)(const double* note, double scale, double rate, double inverseRate,
                  double* increment, double* weightTarget, int n);
    // The phase increments of a glide's notes (which move one way), with a
    // multiplication where pitch() divides: within a few units in the last
    // place of it. Answers whether every note is in the band where the
    // weight is a line of the step (dsp::lineWeight): then the weights are
    // left to the caller (stepWeights, or the output loop); otherwise they
    // are written too, with the exact arithmetic of pitch().
    bool (*glidePitch)(const double* note, double scale, double rate, double inverseRate,
                       double* increment, double* weightTarget, int n);
    // weight[k] = dsp::lineWeight(increment[k], perStep).
    void (*stepWeights)(const double* increment, double perStep, double* weight, int n);
    // Whether a slew limiter of `step` starting at `from` reaches every
    // target on its own sample, so that it simply follows them.
    bool (*follows)(const double* target, double from, double step, int n);
    // out[j] = start + (j + 1) * step: exact while every value stays on
    // the grid of start's binade, which is what the caller makes sure of.
    void (*progression)(double start, double step, double* out, int n);
    // The LFO's wave (an LfoWave) at each phase; the random wave holds hold[k].
    void (*lfoWave)(std::int32_t wave, const double* phase, const double* hold, double* value,
                    int n);
    // The values of the next `n` steps of the process generator from words
    // (z, w), in order; (z, w) become the words after the last of them.
    void (*draws)(std::uint32_t* z, std::uint32_t* w, std::uint32_t* raw, int n);
    // The output, and the moving partials' phases on to the chunk's end:
    // out[k] = (r[k] * 5e-6 + ((o1 + o2) + o3)) * gain * (halfDepth * (lfo[k] - 1) + 1), with
    // oi = sine(phase i after sample k) * ampLevel_i * amp_i[k] of the sounding partials only,
    // r the uniform draw made from raw[k], and the last bracket the constant `factor` when lfo
    // is null.
    void (*voiceDouble)(const VoiceArgs& voice, double* out, int n);
    // The same into floats; magnitudes below the float range become 0.
    void (*voiceFloat)(const VoiceArgs& voice, float* out, int n);

    // The widest path this processor runs, found once.
    static Isa best();
    // Whether this processor runs that path.
    static bool runs(Isa isa);
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
