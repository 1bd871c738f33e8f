// The array loops of the engine, compiled once per vector unit: the file
// that includes this one names the namespace (BLOCK_KERNELS_NS) and sets the
// unit through its compile options. Plain loops over restrict pointers are
// left to the compiler's vectoriser; the generator's lanes use vector types.
// Nothing here calls an inline function of another header with external
// linkage: the linker could hand this unit's wide build of it to code that
// runs on any processor. Only constants and the internal functions of
// DspMath.h and of MwcRandom.h's mwc namespace.

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
        outside |= flag(!((f >= 30.0) & (f < 10000.0)));
        increment[k] = dsp::quotient(f * dsp::kTwoPi, rate, inverseRate);
        weightTarget[k] = dsp::bandWeight(f, 30.0, 9970.0, 1.0 / 9970.0, 1.0, 0.3);
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

void glidePitch(const double* __restrict note, double scale, double rate, double inverseRate,
                double* __restrict increment, double* __restrict weightTarget, int n) {
    // A glide's notes move one way, so they stay in the band when both
    // ends do. There the step is the note times one factor and the weight's
    // line one multiply-add of the note; elsewhere the exact arithmetic.
    const double first = scale * note[0], last = scale * note[n - 1];
    const bool inside = first >= 30.0 && first < 10000.0 && last >= 30.0 && last < 10000.0;
    if (!inside) {
        pitch(note, scale, rate, inverseRate, increment, weightTarget, n);
        return;
    }
    const double noteStep = dsp::quotient(scale * dsp::kTwoPi, rate, inverseRate);
    const double noteSlope = scale * (-0.3 / 9970.0);
    constexpr double kBase = 1.0 + 0.3 * 30.0 / 9970.0;
    for (int k = 0; k < n; ++k) {
        increment[k] = note[k] * noteStep;
        const double line = note[k] * noteSlope + kBase;
        weightTarget[k] = line * line;
    }
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
// runs L plain steps; each 8 x 8 tile is turned round as it is stored, so
// that each lane's run lands in order.

typedef std::uint32_t u32x8 __attribute__((vector_size(32)));

using mwc::kModulusW;
using mwc::kModulusZ;
using mwc::kMultiplierW;
using mwc::kMultiplierZ;
using mwc::powMod;

// a^L mod m for every lane length L a buffer of up to 1024 draws gives (a
// multiple of 8 up to 128), worked out by the compiler rather than on every
// call.
struct LaneJumps {
    std::uint64_t z[17] = {}, w[17] = {};
    constexpr LaneJumps() {
        for (int i = 1; i <= 16; ++i) {
            z[i] = powMod<kModulusZ>(kMultiplierZ, std::uint64_t(8 * i));
            w[i] = powMod<kModulusW>(kMultiplierW, std::uint64_t(8 * i));
        }
    }
};
constexpr LaneJumps kLaneJumps{};

// Stores r[s][j] (lane j's word after step s of this tile) at
// out[j * length + s]: two 4 x 4 transposes within the 128-bit halves
// (steps 0-3, then 4-7), each half stored where its lane's run goes. No
// shuffle crosses the halves, which some processors do slowly.
void storeTile(const u32x8 r[8], std::uint32_t* out, int length) {
    for (int h = 0; h < 2; ++h) {
        const u32x8 a = r[4 * h], b = r[4 * h + 1], c = r[4 * h + 2], d = r[4 * h + 3];
        const u32x8 ab0 = __builtin_shufflevector(a, b, 0, 8, 1, 9, 4, 12, 5, 13);
        const u32x8 ab1 = __builtin_shufflevector(a, b, 2, 10, 3, 11, 6, 14, 7, 15);
        const u32x8 cd0 = __builtin_shufflevector(c, d, 0, 8, 1, 9, 4, 12, 5, 13);
        const u32x8 cd1 = __builtin_shufflevector(c, d, 2, 10, 3, 11, 6, 14, 7, 15);
        // Lane j in the low half, lane j + 4 in the high half.
        const u32x8 lanes[4] = {__builtin_shufflevector(ab0, cd0, 0, 1, 8, 9, 4, 5, 12, 13),
                                __builtin_shufflevector(ab0, cd0, 2, 3, 10, 11, 6, 7, 14, 15),
                                __builtin_shufflevector(ab1, cd1, 0, 1, 8, 9, 4, 5, 12, 13),
                                __builtin_shufflevector(ab1, cd1, 2, 3, 10, 11, 6, 7, 14, 15)};
        for (int j = 0; j < 4; ++j) {
            std::memcpy(out + j * length + 4 * h, &lanes[j], 16);
            std::memcpy(out + (j + 4) * length + 4 * h, reinterpret_cast<const char*>(&lanes[j]) + 16,
                        16);
        }
    }
}

// The value of each draw, made from the two words after its step.
void draws(std::uint32_t* zState, std::uint32_t* wState, std::uint32_t* raw, int n) {
    std::uint32_t z = *zState, w = *wState;
    int k = 0;
    // The lanes need words on their cycle (below m, as every state reached
    // from the load state is); anything else goes one step at a time.
    const int lanesLength = (n / 64) * 8;
    if (lanesLength > 0 && z < kModulusZ && w < kModulusW) {
        const int row = lanesLength / 8;
        const std::uint64_t jz =
            row <= 16 ? kLaneJumps.z[row] : powMod<kModulusZ>(kMultiplierZ, std::uint64_t(lanesLength));
        const std::uint64_t jw =
            row <= 16 ? kLaneJumps.w[row] : powMod<kModulusW>(kMultiplierW, std::uint64_t(lanesLength));
        u32x8 zl, wl;
        std::uint64_t zs = z, ws = w;
        for (int j = 0; j < 8; ++j) {
            zl[j] = std::uint32_t(zs);
            wl[j] = std::uint32_t(ws);
            zs = zs * jz % kModulusZ;
            ws = ws * jw % kModulusW;
        }
        for (int i = 0; i < lanesLength; i += 8) {
            u32x8 tile[8];
            for (int s = 0; s < 8; ++s) tile[s] = mwc::step(zl, wl);
            storeTile(tile, raw + i, lanesLength);
        }
        // The last lane ends where the lanes end.
        k = 8 * lanesLength;
        z = zl[7];
        w = wl[7];
    }
    for (; k < n; ++k) raw[k] = mwc::step(z, w);
    *zState = z;
    *wState = w;
}

// The dither's scale: a uniform draw in [0, 1] times 5e-6, as one factor.
constexpr double kDitherScale = MwcRandom::kUniformScale * 5e-06;

// The output's constant factors, taken into the coefficients once a chunk:
// the gain (and a still tremolo) into each partial's sine and into the
// dither's scale, so that no sample pays a multiplication for them.
struct OutputScale {
    dsp::ScaledSine partial[VoiceArgs::kMaxPartials];
    double dither = 0.0;  // per unit of the raw value
    double offset = 0.0;  // the dither of a raw value of 0
    double halfDepth = 0.0;
};

template <bool kLfo>
OutputScale outputScale(const VoiceArgs& v) {
    const double gain = kLfo ? v.gain : v.gain * v.factor;
    OutputScale s;
    for (int i = 0; i < VoiceArgs::kMaxPartials; ++i)
        s.partial[i] = dsp::scaledSine(v.ampLevel[i] * gain);
    s.dither = kDitherScale * gain;
    s.offset = 2147483648.0 * s.dither;
    s.halfDepth = v.halfDepth;
    return s;
}

// The output of one sample (or a vector of them) from the sum of the scaled
// partials and the generator's raw value, offset to a signed one (which the
// vector units convert): the dither added, the tremolo applied.
template <bool kLfo, typename T>
[[gnu::always_inline]] inline T outputOf(T sum, T signedRaw, T lfo, const OutputScale& s) {
    const T x = signedRaw * s.dither + (s.offset + sum);
    if constexpr (kLfo) {
        return x * (s.halfDepth * (lfo - 1.0) + 1.0);
    } else {
        (void)lfo;
        return x;
    }
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

// One shape of the output loop: how many partials sound, whether their
// amplitudes move, whether the tremolo does. Each shape is a loop without
// tests, which the vectoriser turns into straight vector code.
template <typename Sample, int kPartials, bool kAmps, bool kLfo>
void voiceShaped(const VoiceArgs& v, Sample* __restrict out, int n) {
    const double* __restrict p0 = v.phase[0];
    const double* __restrict p1 = v.phase[1];
    const double* __restrict p2 = v.phase[2];
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
        const double x = outputOf<kLfo>(sum, double(std::int32_t(raws[k] ^ 0x80000000u)),
                                        kLfo ? lfo[k] : 1.0, scale);
        if constexpr (sizeof(Sample) == sizeof(float)) {
            // Tiny doubles become subnormal floats, which stall some hosts'
            // processing further down the chain: send zero instead.
            const float f = static_cast<float>(x);
            out[k] = f < std::numeric_limits<float>::min() && f > -std::numeric_limits<float>::min()
                         ? 0.0f
                         : f;
        } else {
            out[k] = x;
        }
    }
}

// --- Phases summed within the output loop ----------------------------------

typedef double f64x4 __attribute__((vector_size(32)));
typedef float f32x4 __attribute__((vector_size(16)));
typedef std::int32_t i32x4 __attribute__((vector_size(16)));
typedef std::uint32_t u32x4 __attribute__((vector_size(16)));

// Filled in place: a vector passed by value would change the ABI with the unit.
template <typename V, typename T>
[[gnu::always_inline]] inline void load(V& v, const T* from) {
    std::memcpy(&v, from, sizeof v);
}

// Four samples at a time: the sums of each partial's next four phases, then
// the same arithmetic as voiceShaped over them, in vector registers.
template <typename Sample, int kPartials, bool kAmps, bool kLfo, bool kSteps>
void voiceSumming(const VoiceArgs& v, Sample* __restrict out, int n) {
    double p[VoiceArgs::kMaxPartials] = {v.start[0], v.start[1], v.start[2]};
    const OutputScale scale = outputScale<kLfo>(v);
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        double x[VoiceArgs::kMaxPartials][4];
        for (int j = 0; j < 4; ++j) {
#pragma GCC unroll 3
            for (int i = 0; i < kPartials; ++i) {
                p[i] = dsp::nextPhase(p[i], kSteps ? v.steps[i][k + j] : v.step[i]);
                x[i][j] = p[i];
            }
        }
        f64x4 sum = {0.0, 0.0, 0.0, 0.0};
#pragma GCC unroll 3
        for (int i = 0; i < kPartials; ++i) {
            const f64x4 phase = {x[i][0], x[i][1], x[i][2], x[i][3]};
            f64x4 amp = {};
            if (kAmps) load(amp, v.amp[i] + k);
            const f64x4 term = partialTerm<kAmps>(phase - dsp::kPi, scale.partial[i], amp);
            sum = i == 0 ? term : sum + term;
        }
        u32x4 raw;
        load(raw, v.raw + k);
        const f64x4 signedRaw = __builtin_convertvector(i32x4(raw ^ 0x80000000u), f64x4);
        f64x4 lfo = f64x4{} + 1.0;
        if (kLfo) load(lfo, v.lfo + k);
        const f64x4 y = outputOf<kLfo>(sum, signedRaw, lfo, scale);
        if constexpr (sizeof(Sample) == sizeof(float)) {
            const f32x4 f = __builtin_convertvector(y, f32x4);
            const float least = std::numeric_limits<float>::min();
            const i32x4 tiny = (f < least) & (f > -least);
            const f32x4 flushed = f32x4(i32x4(f) & ~tiny);
            std::memcpy(out + k, &flushed, sizeof flushed);
        } else {
            std::memcpy(out + k, &y, sizeof y);
        }
    }
    if (k < n) {
        double tail[VoiceArgs::kMaxPartials][4];
        for (int j = 0; k + j < n; ++j) {
            for (int i = 0; i < kPartials; ++i) {
                p[i] = dsp::nextPhase(p[i], kSteps ? v.steps[i][k + j] : v.step[i]);
                tail[i][j] = p[i];
            }
        }
        // The last few samples through the plain loop, from where they start.
        VoiceArgs rest = v;
        for (int i = 0; i < kPartials; ++i) {
            rest.phase[i] = tail[i];
            if (kAmps) rest.amp[i] = v.amp[i] + k;
        }
        rest.raw = v.raw + k;
        if (kLfo) rest.lfo = v.lfo + k;
        voiceShaped<Sample, kPartials, kAmps, kLfo>(rest, out + k, n - k);
    }
    for (int i = 0; i < kPartials; ++i) v.end[i] = p[i];
}

template <typename Sample, int kPartials, bool kAmps, bool kLfo>
void voiceSummingWith(const VoiceArgs& v, Sample* out, int n) {
    v.steps[0] ? voiceSumming<Sample, kPartials, kAmps, kLfo, true>(v, out, n)
               : voiceSumming<Sample, kPartials, kAmps, kLfo, false>(v, out, n);
}

template <typename Sample, int kPartials>
void voiceWith(const VoiceArgs& v, Sample* out, int n) {
    const bool amps = v.amp[0] || v.amp[1] || v.amp[2];
    if (kPartials > 0 && v.sums) {
        if (v.lfo) {
            amps ? voiceSummingWith<Sample, kPartials, true, true>(v, out, n)
                 : voiceSummingWith<Sample, kPartials, false, true>(v, out, n);
        } else {
            amps ? voiceSummingWith<Sample, kPartials, true, false>(v, out, n)
                 : voiceSummingWith<Sample, kPartials, false, false>(v, out, n);
        }
    } else if (v.lfo) {
        amps ? voiceShaped<Sample, kPartials, true, true>(v, out, n)
             : voiceShaped<Sample, kPartials, false, true>(v, out, n);
    } else {
        amps ? voiceShaped<Sample, kPartials, true, false>(v, out, n)
             : voiceShaped<Sample, kPartials, false, false>(v, out, n);
    }
}

template <typename Sample>
void voice(const VoiceArgs& v, Sample* out, int n) {
    switch (v.partials) {
    case 0: voiceWith<Sample, 0>(v, out, n); break;
    case 1: voiceWith<Sample, 1>(v, out, n); break;
    case 2: voiceWith<Sample, 2>(v, out, n); break;
    default: voiceWith<Sample, 3>(v, out, n); break;
    }
}

}  // namespace

extern const BlockKernels kKernels = {amplitude,   pitch, glidePitch,    follows,
                                      progression, lfoWave, draws, voice<double>, voice<float>};

}  // namespace BLOCK_KERNELS_NS
