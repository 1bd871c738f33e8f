// The array loops of the engine, compiled once per vector unit: the file
// that includes this one names the namespace (BLOCK_KERNELS_NS) and sets the
// unit through its compile options. Plain loops over restrict pointers are
// left to the compiler's vectoriser; the generator's lanes use vector types.
// Nothing here calls an inline function of another header with external
// linkage: the linker could hand this unit's wide build of it to code that
// runs on any processor. Only constants, the internal functions of
// DspMath.h and of MwcRandom.h's mwc namespace, and SSE2 intrinsics (always
// inlined, never emitted on their own).
//
// The output of a chunk (voice) is the dither alone (dither) or the build
// of the output loop (outputLoop) for the chunk's shape, looked up in
// kOutputLoops; each build makes four samples at a time (fourSamples).

#include <emmintrin.h>

#include <cstring>
#include <limits>

#include "synth/BlockKernels.h"
#include "synth/DspMath.h"
#include "synth/LfoWave.h"
#include "synth/MwcRandom.h"

namespace BLOCK_KERNELS_NS {
namespace {

void amplitude(const double* __restrict weight, const double* __restrict env,
               double* __restrict amp, int n) {
    for (int k = 0; k < n; ++k) amp[k] = weight[k] * env[k];
}

// 1 where a condition holds, else 0, in 64 bits: a flag as wide as the
// doubles compared stays in the vector lanes the comparison was made in (a
// narrower one first packs every 64-bit mask down).
[[gnu::always_inline]] inline std::uint64_t flag(bool condition) { return condition; }

void pitch(const double* __restrict note, double scale, double rate, double inverseRate,
           double* __restrict increment, double* __restrict weightTarget, int n) {
    // Most pitches stay where the weight is one line squared (30 Hz to
    // 10 kHz): the loop takes that for granted and counts the pitches that
    // are not, which are then done again with the choice of band. Same
    // arithmetic either way: each step and weight rounded once from its
    // quotient, as a divider would.
    std::uint64_t outside = 0;
    for (int k = 0; k < n; ++k) {
        const double f = scale * note[k];
        outside |= flag(!dsp::inLineBand(f));
        increment[k] = dsp::quotient(f * dsp::kTwoPi, rate, inverseRate);
        weightTarget[k] = dsp::midBandWeight(f);
    }
    if (!outside) return;
    for (int k = 0; k < n; ++k) {
        const double f = scale * note[k];
        const bool sounds = f > 0.0;
        const double step = dsp::quotient(f * dsp::kTwoPi, rate, inverseRate);
        const double weight = dsp::freqWeight(f);
        increment[k] = sounds ? step : 0.0;
        weightTarget[k] = sounds ? weight : 0.0;
    }
}

bool glidePitch(const double* __restrict note, double scale, double rate, double inverseRate,
                double* __restrict increment, double* __restrict weightTarget, int n) {
    // A glide's notes move one way, so they stay in the band when both
    // ends do. There the step is the note times one factor; elsewhere the
    // exact arithmetic, weights included.
    const double first = scale * note[0], last = scale * note[n - 1];
    const bool inside = dsp::inLineBand(first) && dsp::inLineBand(last);
    if (!inside) {
        pitch(note, scale, rate, inverseRate, increment, weightTarget, n);
        return false;
    }
    const double noteStep = dsp::quotient(scale * dsp::kTwoPi, rate, inverseRate);
    for (int k = 0; k < n; ++k) increment[k] = note[k] * noteStep;
    return true;
}

void stepWeights(const double* __restrict increment, double perStep, double* __restrict weight,
                 int n) {
    for (int k = 0; k < n; ++k) weight[k] = dsp::lineWeight(increment[k], perStep);
}

bool follows(const double* __restrict target, double from, double step, int n) {
    if (n <= 0) return true;
    const double down = -step;
    const double d0 = target[0] - from;
    std::uint64_t jumps = flag((d0 > step) | (d0 < down));
    for (int k = 1; k < n; ++k) {
        const double d = target[k] - target[k - 1];
        jumps |= flag((d > step) | (d < down));
    }
    return !jumps;
}

void progression(double start, double step, double* __restrict out, int n) {
    for (int j = 0; j < n; ++j) out[j] = start + double(j + 1) * step;
}

void lfoWave(std::int32_t wave, const double* __restrict phase, const double* __restrict hold,
             double* __restrict value, int n) {
    switch (wave) {
    case kLfoSine:
        for (int k = 0; k < n; ++k) value[k] = dsp::sineAroundPi(phase[k] * dsp::kTwoPi - dsp::kPi);
        break;
    case kLfoTriangle:
        // Every branch worked out and one picked, which vectorises.
        for (int k = 0; k < n; ++k) {
            const double p = phase[k];
            const double up = 4.0 * p, down = 2.0 - 4.0 * p, back = 4.0 * p - 4.0;
            const double late = p < 0.75 ? down : back;
            value[k] = p < 0.25 ? up : late;
        }
        break;
    case kLfoSquare:
        for (int k = 0; k < n; ++k) value[k] = phase[k] < 0.5 ? 1.0 : -1.0;
        break;
    case kLfoRising:
        for (int k = 0; k < n; ++k) value[k] = 2.0 * phase[k] - 1.0;
        break;
    case kLfoFalling:
        for (int k = 0; k < n; ++k) value[k] = 1.0 - 2.0 * phase[k];
        break;
    case kLfoRandom:
        std::memcpy(value, hold, sizeof(double) * std::size_t(n));
        break;
    default:
        for (int k = 0; k < n; ++k) value[k] = 0.0;
        break;
    }
}

// --- The generator in eight lanes ------------------------------------------------------------
// Each of the two multiply-with-carry words is a multiplicative sequence
// modulo m = a * 65536 - 1 (the state times a, reduced), so the word k steps
// on is the word times a^k mod m. Lane j starts k = j * L draws ahead and
// runs L plain steps; each 4 x 4 block of values is turned round as it is
// stored, so that each lane's run lands in order.
//
// The lanes keep each word as its two 16-bit halves: a step multiplies the
// low half by a 16-bit constant, which 16-bit units do for eight lanes at
// once (a 32-bit multiply takes twice as long on many processors and does
// not exist before SSE4.1), and a draw's value is the two low halves side
// by side.

typedef std::uint16_t u16x8 __attribute__((vector_size(16)));
typedef std::uint32_t u32x4 __attribute__((vector_size(16)));

using mwc::kModulusW;
using mwc::kModulusZ;
using mwc::kMultiplierW;
using mwc::kMultiplierZ;
using mwc::powMod;

constexpr int kLanes = 8;
// Steps each lane takes between two blocks turned round.
constexpr int kTileSteps = 4;
constexpr int kMaxLaneLength = 128;  // a buffer of up to 1024 draws

// a^(j L) mod m, lane j's jump from the first lane's start, for every lane
// length L up to kMaxLaneLength (multiples of kTileSteps): worked out by the
// compiler, so that each lane starts with one multiplication of its own
// instead of a chain of them on every call.
struct LaneJumps {
    static constexpr int kCount = kMaxLaneLength / kTileSteps + 1;
    std::uint64_t z[kCount][kLanes] = {}, w[kCount][kLanes] = {};
    constexpr LaneJumps() {
        for (int i = 1; i < kCount; ++i) {
            for (int j = 0; j < kLanes; ++j) {
                z[i][j] = powMod<kModulusZ>(kMultiplierZ, std::uint64_t(kTileSteps * i * j));
                w[i][j] = powMod<kModulusW>(kMultiplierW, std::uint64_t(kTileSteps * i * j));
            }
        }
    }
};
constexpr LaneJumps kLaneJumps{};

// A word of eight lanes, in halves: word = high * 65536 + low.
struct LaneWords {
    u16x8 low, high;
};

// One step, a * low + high, in 16-bit pieces: the product's low half plus
// the old high half is the new low half, and the product's high half plus
// that sum's carry the new high half (below a, so it never carries on).
[[gnu::always_inline]] inline void laneStep(LaneWords& word, u16x8 a) {
    const u16x8 productLow = word.low * a;
    const u16x8 productHigh = u16x8(_mm_mulhi_epu16(__m128i(word.low), __m128i(a)));
    const u16x8 low = productLow + word.high;
    // All ones where the sum did not wrap; plus one that is the carry.
    const u16x8 noCarry = u16x8(low >= productLow);
    word.low = low;
    word.high = (productHigh + 1) + noCarry;
}

// r[0..3] (four lanes' values after four steps, one step each) become the
// four lanes' runs of four steps.
[[gnu::always_inline]] inline void transpose(u32x4 r[4]) {
    const u32x4 ab0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
    const u32x4 ab1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
    const u32x4 cd0 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
    const u32x4 cd1 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
    r[0] = __builtin_shufflevector(ab0, cd0, 0, 1, 4, 5);
    r[1] = __builtin_shufflevector(ab0, cd0, 2, 3, 6, 7);
    r[2] = __builtin_shufflevector(ab1, cd1, 0, 1, 4, 5);
    r[3] = __builtin_shufflevector(ab1, cd1, 2, 3, 6, 7);
}

// The value of each draw, made from the two words after its step.
void draws(std::uint32_t* zState, std::uint32_t* wState, std::uint32_t* raw, int n) {
    std::uint32_t z = *zState, w = *wState;
    int k = 0;
    // The lanes need words on their cycle (below m, as every state reached
    // from the load state is); anything else goes one step at a time.
    const int length = n / (kLanes * kTileSteps) * kTileSteps;
    if (length > 0 && z < kModulusZ && w < kModulusW) {
        const int row = length / kTileSteps;
        LaneWords zl, wl;
        for (int j = 0; j < kLanes; ++j) {
            const std::uint64_t jz =
                row < LaneJumps::kCount
                    ? kLaneJumps.z[row][j]
                    : powMod<kModulusZ>(kMultiplierZ, std::uint64_t(length * j));
            const std::uint64_t jw =
                row < LaneJumps::kCount
                    ? kLaneJumps.w[row][j]
                    : powMod<kModulusW>(kMultiplierW, std::uint64_t(length * j));
            const std::uint64_t zs = z * jz % kModulusZ, ws = w * jw % kModulusW;
            zl.low[j] = std::uint16_t(zs);
            zl.high[j] = std::uint16_t(zs >> 16);
            wl.low[j] = std::uint16_t(ws);
            wl.high[j] = std::uint16_t(ws >> 16);
        }
        const u16x8 az = u16x8{} + std::uint16_t(kMultiplierZ);
        const u16x8 aw = u16x8{} + std::uint16_t(kMultiplierW);
        for (int i = 0; i < length; i += kTileSteps) {
            u32x4 lanes[2][kTileSteps];  // lanes 0-3 and 4-7, one step each
            for (int s = 0; s < kTileSteps; ++s) {
                laneStep(zl, az);
                laneStep(wl, aw);
                // (z << 16) + (w & 0xFFFF): the low halves side by side.
                lanes[0][s] =
                    u32x4(__builtin_shufflevector(wl.low, zl.low, 0, 8, 1, 9, 2, 10, 3, 11));
                lanes[1][s] =
                    u32x4(__builtin_shufflevector(wl.low, zl.low, 4, 12, 5, 13, 6, 14, 7, 15));
            }
            for (int h = 0; h < 2; ++h) {
                transpose(lanes[h]);
                for (int j = 0; j < 4; ++j)
                    std::memcpy(raw + (4 * h + j) * length + i, &lanes[h][j], sizeof(u32x4));
            }
        }
        // The last lane ends where the lanes end.
        k = kLanes * length;
        z = std::uint32_t(zl.high[kLanes - 1]) << 16 | zl.low[kLanes - 1];
        w = std::uint32_t(wl.high[kLanes - 1]) << 16 | wl.low[kLanes - 1];
    }
    for (; k < n; ++k) raw[k] = mwc::step(z, w);
    *zState = z;
    *wState = w;
}

// The dither's scale: a uniform draw in [0, 1] times 5e-6, as one factor.
constexpr double kDitherScale = MwcRandom::kUniformScale * 5e-06;

// A raw value as the double 2^52 + raw: its bits under the exponent of
// 2^52. Exact, and an or where a conversion would take the slower unit
// (and, before AVX-512, a signed value).
constexpr std::uint64_t kRawExponent = 0x4330000000000000u;
constexpr double kRawBias = 4503599627370496.0;  // 2^52

[[gnu::always_inline]] inline double biased(std::uint32_t raw) {
    return __builtin_bit_cast(double, kRawExponent | raw);
}

// The output's constant factors, taken into the coefficients once a chunk:
// the gain (and a still tremolo) into each partial's sine and into the
// dither's scale, so that no sample pays a multiplication for them.
struct OutputScale {
    dsp::ScaledSine partial[VoiceArgs::kMaxPartials];
    double dither = 0.0;        // per unit of the raw value
    double biasedDither = 0.0;  // the dither of kRawBias
    double halfDepth = 0.0;
};

template <bool kLfo>
OutputScale outputScale(const VoiceArgs& v) {
    const double gain = kLfo ? v.gain : v.gain * v.factor;
    OutputScale s;
    for (int i = 0; i < VoiceArgs::kMaxPartials; ++i)
        s.partial[i] = dsp::scaledSine(v.ampLevel[i] * gain);
    s.dither = kDitherScale * gain;
    s.biasedDither = kRawBias * s.dither;
    s.halfDepth = v.halfDepth;
    return s;
}

// The output of one sample (or a vector of them) from the sum of the scaled
// partials and the generator's raw value, biased: the dither added, the
// tremolo applied.
template <bool kLfo, typename T>
[[gnu::always_inline]] inline T outputOf(T sum, T biasedRaw, T lfo, const OutputScale& s) {
    const T x = (biasedRaw - kRawBias) * s.dither + sum;
    if constexpr (kLfo) {
        return x * (s.halfDepth * (lfo - 1.0) + 1.0);
    } else {
        (void)lfo;
        return x;
    }
}

// The dither alone, raw * dither rounded once: with fused multiply-add the
// bias comes off inside the one rounding, which saves a subtraction.
[[gnu::always_inline]] inline double ditherOf(double biasedRaw, const OutputScale& s) {
#ifdef __FMA__
    return __builtin_fma(biasedRaw, s.dither, -s.biasedDither);
#else
    return (biasedRaw - kRawBias) * s.dither;
#endif
}

// Doubles too small for a float's normal range would become subnormal
// floats, which stall some hosts' processing further down the chain: they
// become zero instead. The rule, for one float or a vector of them (where
// the comparisons give lane masks):
constexpr float kLeastFloat = std::numeric_limits<float>::min();
template <typename F, typename Mask>
[[gnu::always_inline]] inline F flushTiny(F f) {
    const Mask tiny = (f < kLeastFloat) & (f > -kLeastFloat);
    if constexpr (sizeof(F) == sizeof(float)) {
        return tiny ? 0.0f : f;
    } else {
        return F(Mask(f) & ~tiny);
    }
}

// Output made of the dither alone without a moving tremolo is a multiple
// of its scale, so it needs the test only when the scale itself is that
// small (a main gain near -inf dB).
template <bool kFlush>
[[gnu::always_inline]] inline float toFloat(double x) {
    const float f = static_cast<float>(x);
    if constexpr (kFlush) return flushTiny<float, bool>(f);
    return f;
}

bool ditherNeedsFlush(const OutputScale& s) {
    const double least = s.dither < 0.0 ? -s.dither : s.dither;  // of a raw value of 1
    return least != 0.0 && !(least >= double(kLeastFloat));
}

// What a partial adds: its sine times its level (scaled into the
// coefficients), and times each sample's amplitude when that moves.
template <bool kAmps, typename T>
[[gnu::always_inline]] inline T partialTerm(T x, const dsp::ScaledSine& scaled, T amp) {
    if constexpr (kAmps) {
        return dsp::sineAroundPi(x, scaled) * amp;
    } else {
        (void)amp;
        return dsp::sineAroundPi(x, scaled);
    }
}

// Nothing sounds and the tremolo holds still (or is not heard): the dither
// alone.
template <typename Sample, bool kFlush>
void ditherShaped(const VoiceArgs& v, const OutputScale& scale, Sample* __restrict out, int n) {
    const std::uint32_t* __restrict raws = v.raw;
    for (int k = 0; k < n; ++k) {
        const double x = ditherOf(biased(raws[k]), scale);
        if constexpr (sizeof(Sample) == sizeof(float)) {
            out[k] = toFloat<kFlush>(x);
        } else {
            out[k] = x;
        }
    }
}

template <typename Sample>
void dither(const VoiceArgs& v, Sample* out, int n) {
    const OutputScale scale = outputScale<false>(v);
    if (sizeof(Sample) == sizeof(float) && ditherNeedsFlush(scale)) {
        ditherShaped<Sample, true>(v, scale, out, n);
    } else {
        ditherShaped<Sample, false>(v, scale, out, n);
    }
}

// --- The output loop, four samples at a time --------------------------------

typedef double f64x4 __attribute__((vector_size(32)));
typedef float f32x4 __attribute__((vector_size(16)));
typedef std::int32_t i32x4 __attribute__((vector_size(16)));
typedef std::uint64_t u64x4 __attribute__((vector_size(32)));

// Filled in place: a vector passed by value would change the ABI with the unit.
template <typename V, typename T>
[[gnu::always_inline]] inline void load(V& v, const T* from) {
    std::memcpy(&v, from, sizeof v);
}

// Where the sounding partials' amplitude factors come from.
enum Amps { kSteady, kArrays, kStepWeights };

// Where the output loop reads the factors of its samples: the chunk's
// arrays, or for its last few samples copies of them filled out to four.
struct Inputs {
    const double* steps[VoiceArgs::kMaxPartials];
    const double* amp[VoiceArgs::kMaxPartials];
    const std::uint32_t* raw;
    const double* lfo;
};

// Four samples' output from each sounding partial's phase after each of
// them (phase[i]) and the factors of the samples from `at` on, in vector
// registers.
template <int kPartials, Amps kAmps>
[[gnu::always_inline]] inline f64x4 fourSamples(const double (&phase)[VoiceArgs::kMaxPartials][4],
                                                const Inputs& in, int at, double weightPerStep,
                                                const OutputScale& scale, bool lfoMoves) {
    f64x4 sum = {0.0, 0.0, 0.0, 0.0};
#pragma GCC unroll 3
    for (int i = 0; i < kPartials; ++i) {
        const f64x4 x = {phase[i][0], phase[i][1], phase[i][2], phase[i][3]};
        f64x4 amp = {};
        if (kAmps == kArrays) load(amp, in.amp[i] + at);
        if (kAmps == kStepWeights) {
            f64x4 step;
            load(step, in.steps[i] + at);
            amp = dsp::lineWeight(step, weightPerStep);
        }
        const f64x4 term = partialTerm<kAmps != kSteady>(x - dsp::kPi, scale.partial[i], amp);
        sum = i == 0 ? term : sum + term;
    }
    u32x4 raw;
    load(raw, in.raw + at);
    const f64x4 biasedRaw = f64x4(__builtin_convertvector(raw, u64x4) | kRawExponent);
    // A moving tremolo or a still one (whose factor is in the scale): one
    // loop for both, the choice a predicted branch per four samples.
    if (lfoMoves) {
        f64x4 lfo;
        load(lfo, in.lfo + at);
        return outputOf<true>(sum, biasedRaw, lfo, scale);
    }
    return outputOf<false>(sum, biasedRaw, sum, scale);
}

// Four samples stored as the output wants them: to floats when `floats` is
// set, else to doubles (one loop serves both, as the choice costs a
// predicted branch per four samples).
[[gnu::always_inline]] inline void store(f64x4 y, float* floats, double* doubles, int k) {
    if (floats) {
        const f32x4 flushed = flushTiny<f32x4, i32x4>(__builtin_convertvector(y, f32x4));
        std::memcpy(floats + k, &flushed, sizeof flushed);
    } else {
        std::memcpy(doubles + k, &y, sizeof y);
    }
}

// The groups of four samples of one run of the output loop. Its own
// function, so that the pointers it stores through are restrict parameters
// and nothing it reads has to be read again after a store.
template <int kPartials, Amps kAmps, bool kSteps>
void groups(const Inputs in, const double (&step)[VoiceArgs::kMaxPartials],
            double (&phases)[VoiceArgs::kMaxPartials], double weightPerStep,
            const OutputScale scale, bool lfoMoves, float* __restrict floats,
            double* __restrict doubles, int length) {
    constexpr int kChains = VoiceArgs::kMaxPartials;
    // The phases in registers while the loop runs, in the caller's array after.
    double p[kChains] = {phases[0], phases[1], phases[2]};
    const auto stepOf = [&](int i, int k) { return kSteps ? in.steps[i][k] : step[i]; };
    for (int k = 0; k < length; k += 4) {
        double x[kChains][4];
        // Steps are never negative, so when the fourth sum stays below two
        // pi none of the four wrapped: one test a group instead of one a
        // sample. The group that wraps is summed again with the test.
        for (int j = 0; j < 4; ++j) {
#pragma GCC unroll 3
            for (int i = 0; i < kChains; ++i)
                x[i][j] = (j == 0 ? p[i] : x[i][j - 1]) + stepOf(i, k + j);
        }
#pragma GCC unroll 3
        for (int i = 0; i < kChains; ++i) {
            if (__builtin_expect(x[i][3] >= dsp::kTwoPi, 0)) {
                for (int j = 0; j < 4; ++j) {
                    p[i] = dsp::nextPhase(p[i], stepOf(i, k + j));
                    x[i][j] = p[i];
                }
            }
            p[i] = x[i][3];
        }
        store(fourSamples<kPartials, kAmps>(x, in, k, weightPerStep, scale, lfoMoves), floats,
              doubles, k);
    }
    for (int i = 0; i < kChains; ++i) phases[i] = p[i];
}

// One shape of the output loop: the first kPartials of the phase chains
// sound, their amplitude factors come from kAmps, and each chain's step is
// an array (kSteps) or one value. Every shape is a loop without tests,
// which the compiler turns into straight vector code. All three chains are
// summed whatever sounds (idle ones add 0 to 0): each sum waits for the one
// before, so two more beside one cost next to nothing, and a loop per
// number of chains would not pay for its code.
template <int kPartials, Amps kAmps, bool kSteps>
void outputLoop(const VoiceArgs& v, float* __restrict floats, double* __restrict doubles, int n) {
    static_assert(kAmps != kStepWeights || kSteps, "weights from steps need steps");
    constexpr int kChains = VoiceArgs::kMaxPartials;
    double p[kChains] = {v.start[0], v.start[1], v.start[2]};
    const bool lfoMoves = v.lfo;
    const OutputScale scale = lfoMoves ? outputScale<true>(v) : outputScale<false>(v);
    // Two runs of one loop: the chunk's groups of four samples, then its
    // last few samples (fewer than four) as one more group, from copies of
    // their factors filled out with zeros into an output of four, of which
    // only theirs are copied out.
    Inputs in = {
        {v.steps[0], v.steps[1], v.steps[2]}, {v.amp[0], v.amp[1], v.amp[2]}, v.raw, v.lfo};
    const double step[kChains] = {v.step[0], v.step[1], v.step[2]};
    float* toFloats = floats;
    double* toDoubles = doubles;
    int length = n & ~3;
    double steps[kChains][4] = {}, amps[kChains][4] = {}, lfo[4] = {}, last[4];
    float lastFloats[4];
    std::uint32_t raw[4] = {};
    double before[kChains];
    const int tail = n - length;
    for (int run = 0; run < 2; ++run) {
        if (run == 1) {
            if (tail == 0) break;
            for (int j = 0; j < tail; ++j) {
                for (int i = 0; i < kChains; ++i) {
                    if (kSteps) steps[i][j] = v.steps[i][length + j];
                    if (kAmps == kArrays && i < kPartials) amps[i][j] = v.amp[i][length + j];
                }
                raw[j] = v.raw[length + j];
                if (lfoMoves) lfo[j] = v.lfo[length + j];
            }
            in = {{steps[0], steps[1], steps[2]}, {amps[0], amps[1], amps[2]}, raw, lfo};
            toFloats = floats ? lastFloats : nullptr;
            toDoubles = floats ? nullptr : last;
            for (int i = 0; i < kChains; ++i) before[i] = p[i];
            length = 4;
        }
        groups<kPartials, kAmps, kSteps>(in, step, p, v.weightPerStep, scale, lfoMoves, toFloats,
                                         toDoubles, length);
    }
    if (tail > 0) {
        const int k = n - tail;
        if (floats) {
            std::memcpy(floats + k, lastFloats, sizeof(float) * std::size_t(tail));
        } else {
            std::memcpy(doubles + k, last, sizeof(double) * std::size_t(tail));
        }
        // The phases after the last sample, not after the filling.
        for (int i = 0; i < kChains; ++i) {
            p[i] = before[i];
            for (int j = 0; j < tail; ++j)
                p[i] = dsp::nextPhase(p[i], kSteps ? v.steps[i][k + j] : v.step[i]);
        }
    }
    for (int i = 0; i < kChains; ++i) v.end[i] = p[i];
}

using OutputLoop = void (*)(const VoiceArgs&, float*, double*, int);

// Every shape's loop: [partials that sound][where their amplitudes come
// from][whether the steps are arrays]. Nothing sounding has no amplitudes;
// weights made from steps come with steps.
constexpr OutputLoop kOutputLoops[VoiceArgs::kMaxPartials + 1][3][2] = {
    {{outputLoop<0, kSteady, false>, outputLoop<0, kSteady, true>}, {}, {}},
    {{outputLoop<1, kSteady, false>, outputLoop<1, kSteady, true>},
     {outputLoop<1, kArrays, false>, outputLoop<1, kArrays, true>},
     {nullptr, outputLoop<1, kStepWeights, true>}},
    {{outputLoop<2, kSteady, false>, outputLoop<2, kSteady, true>},
     {outputLoop<2, kArrays, false>, outputLoop<2, kArrays, true>},
     {nullptr, outputLoop<2, kStepWeights, true>}},
    {{outputLoop<3, kSteady, false>, outputLoop<3, kSteady, true>},
     {outputLoop<3, kArrays, false>, outputLoop<3, kArrays, true>},
     {nullptr, outputLoop<3, kStepWeights, true>}},
};

// The output of one chunk: the dither alone when no phase moves and the
// tremolo holds still, else the loop of the chunk's shape.
template <typename Sample>
void voice(const VoiceArgs& v, Sample* out, int n) {
    if (v.partials + v.silent == 0 && !v.lfo) {
        dither(v, out, n);
        return;
    }
    const int partials =
        v.partials < VoiceArgs::kMaxPartials ? v.partials : VoiceArgs::kMaxPartials;
    Amps amps = kSteady;
    if (partials > 0 && v.weightPerStep != 0.0) {
        amps = kStepWeights;
    } else if (partials > 0 && (v.amp[0] || v.amp[1] || v.amp[2])) {
        amps = kArrays;
    }
    float* floats = nullptr;
    double* doubles = nullptr;
    if constexpr (sizeof(Sample) == sizeof(float)) {
        floats = out;
    } else {
        doubles = out;
    }
    kOutputLoops[partials][amps][v.steps[0] != nullptr](v, floats, doubles, n);
}

}  // namespace

extern const BlockKernels kKernels = {amplitude,     pitch,       glidePitch, stepWeights,
                                      follows,       progression, lfoWave,    draws,
                                      voice<double>, voice<float>};

}  // namespace BLOCK_KERNELS_NS
