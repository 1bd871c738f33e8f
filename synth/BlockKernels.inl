// The array loops of the engine, compiled once per vector unit: the file
// that includes this one names the namespace (BLOCK_KERNELS_NS) and sets the
// unit through its compile options. Plain loops over restrict pointers are
// left to the compiler's vectoriser; the generator's lanes use vector types.
// Nothing here calls an inline function of another header with external
// linkage: the linker could hand this unit's wide build of it to code that
// runs on any processor. Only constants, the internal functions of
// DspMath.h and of MwcRandom.h's mwc namespace, and SSE2 intrinsics (always
// inlined, never emitted on their own).

#include <emmintrin.h>

#include <cstring>
#include <limits>

#include "synth/BlockKernels.h"
#include "synth/DspMath.h"
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
    case 0:
        for (int k = 0; k < n; ++k) value[k] = dsp::sineAroundPi(phase[k] * dsp::kTwoPi - dsp::kPi);
        break;
    case 1:
        // Every branch worked out and one picked, which vectorises.
        for (int k = 0; k < n; ++k) {
            const double p = phase[k];
            const double up = 4.0 * p, down = 2.0 - 4.0 * p, back = 4.0 * p - 4.0;
            const double late = p < 0.75 ? down : back;
            value[k] = p < 0.25 ? up : late;
        }
        break;
    case 2:
        for (int k = 0; k < n; ++k) value[k] = phase[k] < 0.5 ? 1.0 : -1.0;
        break;
    case 3:
        for (int k = 0; k < n; ++k) value[k] = 2.0 * phase[k] - 1.0;
        break;
    case 4:
        for (int k = 0; k < n; ++k) value[k] = 1.0 - 2.0 * phase[k];
        break;
    case 5:
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

// Each sounding partial's phase after each sample, worked out already.
struct Phases {
    const double* of[VoiceArgs::kMaxPartials] = {};
};

// One shape of the output loop over phases worked out already: how many
// partials sound, whether their amplitudes move, whether the tremolo does.
// Each shape is a loop without tests, which the vectoriser turns into
// straight vector code.
template <typename Sample, int kPartials, bool kAmps, bool kLfo>
void voiceShaped(const VoiceArgs& v, const Phases& phases, Sample* __restrict out, int n) {
    const double* __restrict p0 = phases.of[0];
    const double* __restrict p1 = phases.of[1];
    const double* __restrict p2 = phases.of[2];
    const double* __restrict a0 = v.amp[0];
    const double* __restrict a1 = v.amp[1];
    const double* __restrict a2 = v.amp[2];
    const OutputScale scale = outputScale<kLfo>(v);
    const dsp::ScaledSine s0 = scale.partial[0], s1 = scale.partial[1], s2 = scale.partial[2];
    const std::uint32_t* __restrict raws = v.raw;
    const double* __restrict lfo = v.lfo;
    for (int k = 0; k < n; ++k) {
        double sum = 0.0;
        if (kPartials >= 1) sum = partialTerm<kAmps>(p0[k] - dsp::kPi, s0, kAmps ? a0[k] : 0.0);
        if (kPartials >= 2)
            sum = sum + partialTerm<kAmps>(p1[k] - dsp::kPi, s1, kAmps ? a1[k] : 0.0);
        if (kPartials >= 3)
            sum = sum + partialTerm<kAmps>(p2[k] - dsp::kPi, s2, kAmps ? a2[k] : 0.0);
        const double x = outputOf<kLfo>(sum, biased(raws[k]), kLfo ? lfo[k] : 1.0, scale);
        if constexpr (sizeof(Sample) == sizeof(float)) {
            out[k] = toFloat<true>(x);
        } else {
            out[k] = x;
        }
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

// --- Phases summed within the output loop ----------------------------------

// The last samples from `k` to `n` (fewer than four) through the plain
// loop, in doubles, then stored as the output wants them: one build of the
// loop for both.
template <int kPartials, bool kAmps, bool kLfo>
void voiceTail(const VoiceArgs& rest, const Phases& phases, float* floats, double* doubles, int k,
               int n) {
    double tail[4];
    voiceShaped<double, kPartials, kAmps, kLfo>(rest, phases, tail, n - k);
    for (int j = 0; j < n - k; ++j) {
        if (floats) {
            floats[k + j] = toFloat<true>(tail[j]);
        } else {
            doubles[k + j] = tail[j];
        }
    }
}

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

// Four samples at a time: the sums of each moving partial's next four
// phases, then the same arithmetic as voiceShaped over the sounding ones, in
// vector registers. kChains phases move; the first kPartials sound. The
// output goes to floats when `floats` is set, else to doubles: one loop
// serves both, as the choice costs a predicted branch per four samples.
template <int kPartials, int kChains, Amps kAmps, bool kSteps>
void voiceSumming(const VoiceArgs& v, float* __restrict floats, double* __restrict doubles, int n) {
    // A moving tremolo or a still one (whose factor is in the scale): one
    // loop for both, the choice a predicted branch per four samples.
    const bool lfoMoves = v.lfo;
    static_assert(kAmps != kStepWeights || kSteps, "weights from steps need steps");
    static_assert(kPartials <= kChains && kChains <= VoiceArgs::kMaxPartials, "partials");
    double p[VoiceArgs::kMaxPartials] = {v.start[0], v.start[1], v.start[2]};
    const OutputScale scale = lfoMoves ? outputScale<true>(v) : outputScale<false>(v);
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        double x[VoiceArgs::kMaxPartials][4];
        // Steps are never negative, so when the fourth sum stays below two
        // pi none of the four wrapped: one test a group instead of one a
        // sample. The group that wraps is summed again with the test.
        for (int j = 0; j < 4; ++j) {
#pragma GCC unroll 3
            for (int i = 0; i < kChains; ++i)
                x[i][j] = (j == 0 ? p[i] : x[i][j - 1]) + (kSteps ? v.steps[i][k + j] : v.step[i]);
        }
#pragma GCC unroll 3
        for (int i = 0; i < kChains; ++i) {
            if (__builtin_expect(x[i][3] >= dsp::kTwoPi, 0)) {
                for (int j = 0; j < 4; ++j) {
                    p[i] = dsp::nextPhase(p[i], kSteps ? v.steps[i][k + j] : v.step[i]);
                    x[i][j] = p[i];
                }
            }
            p[i] = x[i][3];
        }
        f64x4 sum = {0.0, 0.0, 0.0, 0.0};
#pragma GCC unroll 3
        for (int i = 0; i < kPartials; ++i) {
            const f64x4 phase = {x[i][0], x[i][1], x[i][2], x[i][3]};
            f64x4 amp = {};
            if (kAmps == kArrays) load(amp, v.amp[i] + k);
            if (kAmps == kStepWeights) {
                f64x4 step;
                load(step, v.steps[i] + k);
                amp = dsp::lineWeight(step, v.weightPerStep);
            }
            const f64x4 term =
                partialTerm<kAmps != kSteady>(phase - dsp::kPi, scale.partial[i], amp);
            sum = i == 0 ? term : sum + term;
        }
        u32x4 raw;
        load(raw, v.raw + k);
        const f64x4 biasedRaw = f64x4(__builtin_convertvector(raw, u64x4) | kRawExponent);
        f64x4 y;
        if (lfoMoves) {
            f64x4 lfo;
            load(lfo, v.lfo + k);
            y = outputOf<true>(sum, biasedRaw, lfo, scale);
        } else {
            y = outputOf<false>(sum, biasedRaw, sum, scale);
        }
        if (floats) {
            const f32x4 flushed = flushTiny<f32x4, i32x4>(__builtin_convertvector(y, f32x4));
            std::memcpy(floats + k, &flushed, sizeof flushed);
        } else {
            std::memcpy(doubles + k, &y, sizeof y);
        }
    }
    if (k < n) {
        double tail[VoiceArgs::kMaxPartials][4];
        for (int j = 0; k + j < n; ++j) {
            for (int i = 0; i < kChains; ++i) {
                p[i] = dsp::nextPhase(p[i], kSteps ? v.steps[i][k + j] : v.step[i]);
                tail[i][j] = p[i];
            }
        }
        // The last few samples through the plain loop, from where they start.
        VoiceArgs rest = v;
        Phases phases;
        double weights[VoiceArgs::kMaxPartials][4];
        for (int i = 0; i < kPartials; ++i) {
            phases.of[i] = tail[i];
            if (kAmps == kArrays) rest.amp[i] = v.amp[i] + k;
            if (kAmps == kStepWeights) {
                for (int j = 0; k + j < n; ++j)
                    weights[i][j] = dsp::lineWeight(v.steps[i][k + j], v.weightPerStep);
                rest.amp[i] = weights[i];
            }
        }
        rest.raw = v.raw + k;
        if (lfoMoves) {
            rest.lfo = v.lfo + k;
            voiceTail<kPartials, kAmps != kSteady, true>(rest, phases, floats, doubles, k, n);
        } else {
            voiceTail<kPartials, kAmps != kSteady, false>(rest, phases, floats, doubles, k, n);
        }
    }
    for (int i = 0; i < kChains; ++i) v.end[i] = p[i];
}

// The output as floats or as doubles, null when it is the other.
inline float* floatsOf(float* out) { return out; }
inline float* floatsOf(double*) { return nullptr; }
inline double* doublesOf(float*) { return nullptr; }
inline double* doublesOf(double* out) { return out; }

template <typename Sample, int kPartials, int kChains, Amps kAmps>
void voiceAmps(const VoiceArgs& v, Sample* out, int n) {
    float* floats = floatsOf(out);
    double* doubles = doublesOf(out);
    if (v.steps[0]) {
        voiceSumming<kPartials, kChains, kAmps, true>(v, floats, doubles, n);
    } else {
        voiceSumming<kPartials, kChains, kAmps, false>(v, floats, doubles, n);
    }
}

template <typename Sample, int kPartials, int kChains>
void voiceChains(const VoiceArgs& v, Sample* out, int n) {
    // Each shape its own loop; nothing sounding has no amplitudes.
    if constexpr (kPartials > 0) {
        if (v.weightPerStep != 0.0) {
            voiceSumming<kPartials, kChains, kStepWeights, true>(v, floatsOf(out), doublesOf(out),
                                                                 n);
            return;
        }
        if (v.amp[0] || v.amp[1] || v.amp[2]) {
            voiceAmps<Sample, kPartials, kChains, kArrays>(v, out, n);
            return;
        }
    }
    voiceAmps<Sample, kPartials, kChains, kSteady>(v, out, n);
}

template <typename Sample, int kPartials>
void voiceWith(const VoiceArgs& v, Sample* out, int n) {
    if (kPartials + v.silent > 0) {
        // Always three phase chains (idle ones add 0 to 0): the chains are
        // sums each after the one before, so two more beside one cost next
        // to nothing, and a loop per number of chains would not pay for
        // its code.
        voiceChains<Sample, kPartials, VoiceArgs::kMaxPartials>(v, out, n);
    } else if (v.lfo) {
        voiceShaped<Sample, 0, false, true>(v, Phases{}, out, n);
    } else {
        dither(v, out, n);
    }
}

template <typename Sample>
void voice(const VoiceArgs& v, Sample* out, int n) {
    switch (v.partials) {
    case 0:
        voiceWith<Sample, 0>(v, out, n);
        break;
    case 1:
        voiceWith<Sample, 1>(v, out, n);
        break;
    case 2:
        voiceWith<Sample, 2>(v, out, n);
        break;
    default:
        voiceWith<Sample, 3>(v, out, n);
        break;
    }
}

}  // namespace

extern const BlockKernels kKernels = {amplitude,     pitch,       glidePitch, stepWeights,
                                      follows,       progression, lfoWave,    draws,
                                      voice<double>, voice<float>};

}  // namespace BLOCK_KERNELS_NS
