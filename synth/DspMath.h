#pragma once
// Per-element formulas shared by the engine's scalar code and its array
// loops. They have internal linkage on purpose: each vector unit's build of
// the loops gets its own copy, compiled for that unit, and no copy built
// for a wider unit can be picked by the linker for code that runs anywhere.

#include <cstdint>

namespace dsp {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// Odd polynomial for sin(x + pi) over x in [-pi, pi); within 4e-4 of the
// true sine and peaking at exactly +-1, cheaper than a library call. Its
// coefficients, lowest power first:
constexpr double kSineC0 = 0.9990123569996505;
constexpr double kSineC1 = -0.16562123457123723;
constexpr double kSineC2 = 0.007956574006381783;
constexpr double kSineC3 = -0.000145039006054745;

// The polynomial; also over vectors of doubles.
template <typename T>
[[gnu::always_inline]] static inline T sineAroundPi(T x) {
    const T u = x * x;
    return -(x * (((kSineC3 * u + kSineC2) * u + kSineC1) * u + kSineC0));
}

// The polynomial times a constant amplitude, with the amplitude (and the
// sign) taken into the coefficients once: a multiplication a sample less.
struct ScaledSine {
    double c0 = 0.0, c1 = 0.0, c2 = 0.0, c3 = 0.0;
};
[[gnu::always_inline]] static inline ScaledSine scaledSine(double amplitude) {
    const double a = -amplitude;
    return {a * kSineC0, a * kSineC1, a * kSineC2, a * kSineC3};
}
template <typename T>
[[gnu::always_inline]] static inline T sineAroundPi(T x, const ScaledSine& s) {
    const T u = x * x;
    return x * (((s.c3 * u + s.c2) * u + s.c1) * u + s.c0);
}

// A partial's phase one sample on: plus its step, wrapped at two pi. The
// wrap is rare and laid out of line: taken branches, one per partial and
// sample otherwise, cost more than the additions on some processors.
[[gnu::always_inline]] static inline double nextPhase(double phase, double step) {
    double x = phase + step;
    if (__builtin_expect(x >= kTwoPi, 0)) {
        x = x - kTwoPi;
        // Only above the sample rate, where the weight is already fading
        // the partial out; keeps the phase bounded.
        if (x >= kTwoPi) x = __builtin_fmod(x, kTwoPi);
    }
    return x;
}

// a / b rounded once, given inverse = 1 / b rounded once: with fused
// multiply-add the remainder is exact and one correction step lands on the
// correctly rounded quotient, without the divider's long latency.
[[gnu::always_inline]] static inline double quotient(double a, double b, double inverse) {
#ifdef __FMA__
    const double q = a * inverse;
    const double r = __builtin_fma(-q, b, a);
    return __builtin_fma(r, inverse, q);
#else
    (void)inverse;
    return a / b;
#endif
}

// One band of the weight curve: (base - (f - from) / width * slope) squared.
[[gnu::always_inline]] static inline double bandWeight(double f, double from, double width,
                                                       double inverse, double base, double slope) {
    const double a = base - quotient(f - from, width, inverse) * slope;
    return a * a;
}

// The gain a partial may have at each frequency (Hz): silent below
// kWeightSilentBelow, rising as a square to full at kWeightFullFrom, a line
// squared falling by kWeightMidFall to the knee, then from kWeightKneeLevel
// (1 - kWeightMidFall) to silence at kWeightSilentFrom. Every piece of code
// that knows the curve takes it from here.
constexpr double kWeightSilentBelow = 10.0;
constexpr double kWeightFullFrom = 30.0;
constexpr double kWeightKnee = 10000.0;
constexpr double kWeightSilentFrom = 17500.0;
constexpr double kWeightMidFall = 0.3;
constexpr double kWeightKneeLevel = 0.7;
constexpr double kWeightLowWidth = kWeightFullFrom - kWeightSilentBelow;
constexpr double kWeightMidWidth = kWeightKnee - kWeightFullFrom;
constexpr double kWeightHighWidth = kWeightSilentFrom - kWeightKnee;

// From 30 Hz to 10 kHz the weight is a line squared in the frequency, and
// so in the phase step too: (step * weightPerStep(rate) + kWeightLine)^2,
// within a few units in the last place of the curve's own arithmetic. A
// glide's weights come from its steps this way.
[[gnu::always_inline]] static inline bool inLineBand(double f) {
    return (f >= kWeightFullFrom) & (f < kWeightKnee);  // also false for NaN; & vectorises
}
constexpr double kWeightLine = 1.0 + kWeightMidFall * kWeightFullFrom / kWeightMidWidth;
[[gnu::always_inline]] static inline double weightPerStep(double rate) {
    return (-kWeightMidFall / kWeightMidWidth) / kTwoPi * rate;
}
// The weight within that band, as a divider would round it.
[[gnu::always_inline]] static inline double midBandWeight(double f) {
    return bandWeight(f, kWeightFullFrom, kWeightMidWidth, 1.0 / kWeightMidWidth, 1.0,
                      kWeightMidFall);
}
template <typename T>
[[gnu::always_inline]] static inline T lineWeight(T step, double perStep) {
    const T line = step * perStep + kWeightLine;
    return line * line;
}

// The weight at any frequency, written without branches so that loops over
// it vectorise.
[[gnu::always_inline]] static inline double freqWeight(double f) {
    // Every choice is a select between two values, which vectorises.
    const bool low = f < kWeightFullFrom;
    const bool mid = f < kWeightKnee;
    double from = mid ? kWeightFullFrom : kWeightKnee;
    double width = mid ? kWeightMidWidth : kWeightHighWidth;
    double inverse = mid ? 1.0 / kWeightMidWidth : 1.0 / kWeightHighWidth;
    double base = mid ? 1.0 : kWeightKneeLevel;
    double slope = mid ? kWeightMidFall : kWeightKneeLevel;
    from = low ? kWeightSilentBelow : from;
    width = low ? kWeightLowWidth : width;
    inverse = low ? 1.0 / kWeightLowWidth : inverse;
    base = low ? 0.0 : base;
    slope = low ? -1.0 : slope;
    const double w = bandWeight(f, from, width, inverse, base, slope);
    const bool inBand = (f >= kWeightSilentBelow) & (f < kWeightSilentFrom);  // false for NaN
    return inBand ? w : 0.0;
}

}  // namespace dsp
