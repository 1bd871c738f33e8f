#include "synth/TempoLfo.h"

#include <limits>

namespace {
constexpr double kQuartersPerBar = 4.0;
constexpr double kSecondsPerMinute = 60.0;
constexpr std::uint64_t kExponentBits = 0x7FF0000000000000u;
}  // namespace

void TempoLfo::setup(double sampleRate) {
    wave_.set(kLfoSine);
    rate_.set(0.0);
    // Range 2 in 1 ms: a full swing from -1 to +1 at any sample rate.
    level_.setup(sampleRate, 2.0, 0.001, 0.0);
    phase_ = 0.0;
    phaseOffset_ = 0.0;
    increment_ = 0.0;
    hold_ = MwcRandom::bipolar();
    sampleRate_ = sampleRate;
}

void TempoLfo::sync(double ppqPos, double tempo, bool playing) {
    if (!std::isfinite(tempo) || tempo < 0.0) return;
    const double rate = rate_.get();
    if (playing) {
        const double x = (1.0 / kQuartersPerBar) * ppqPos * rate + phaseOffset_;
        if (std::isfinite(x)) phase_ = x - std::floor(x);
    }
    increment_ = tempo / (kQuartersPerBar * kSecondsPerMinute) * rate / sampleRate_;
}

int TempoLfo::advance(double* phase, int* newCycleAt, int n, const BlockKernels& kernels) {
    // The running sum is exact arithmetic on a grid: while the phase stays
    // within one binade [lo, 2 lo), every sum rounds to that binade's ulp,
    // so each sample adds the same rounded step d and the k-th phase is
    // p + k * d, computed exactly. Only the sample that leaves the binade
    // (or wraps) is summed on its own, and the result equals adding one
    // increment at a time.
    double p = phase_;
    const double increment = increment_;
    int cycles = 0;
    int k = 0;
    while (k < n) {
        // (Subnormal phases, which have no binade of their own, go one
        // sample at a time.)
        if (p >= std::numeric_limits<double>::min() && p < 1.0) {
            // The binade's lowest value: p's exponent with a mantissa of 1.
            const double lo =
                __builtin_bit_cast(double, __builtin_bit_cast(std::uint64_t, p) & kExponentBits);
            const double hi = 2.0 * lo;
            if (increment < lo) {
                const double d = (lo + increment) - lo;
                // A step of exactly half an ulp rounds to even: its parity
                // depends on p, so such increments go one sample at a time.
                const double halfUlp = lo * 0x1p-53;
                if (d > 0.0 && std::fabs(d - increment) != halfUlp) {
                    const int left = n - k;
                    double room = std::floor((hi - p) / d);
                    int steps = room < double(left) ? int(room) : left;
                    while (steps > 0 && !(p + double(steps) * d < hi)) --steps;
                    while (steps < left && p + double(steps + 1) * d < hi) ++steps;
                    if (phase) kernels.progression(p, d, phase + k, steps);
                    p = p + double(steps) * d;
                    k += steps;
                    if (k >= n) break;
                }
            }
        }
        p = p + increment;
        if (p >= 1.0) {
            p = p - 1.0;
            // Only with absurd tempos does one step cover whole cycles.
            if (p >= 1.0) p = p - std::floor(p);
            newCycleAt[cycles++] = k;
        }
        if (phase) phase[k] = p;
        ++k;
    }
    phase_ = p;
    return cycles;
}

bool TempoLfo::smooth(std::int32_t wave, int cycles, double from, double gap) const {
    // Steepest slope of each wave per unit of phase where it has no jump,
    // with a margin over the polynomial's 6.32 for the sine.
    constexpr double kSineSlope = 6.4, kTriangleSlope = 4.0, kSawSlope = 2.0;
    // Rounding of values and phases, far below any step.
    constexpr double kSlack = 1e-12;
    const double step = level_.step() - gap;  // also false for a NaN gap
    if (!(step > 0.0)) return false;
    switch (wave) {
    case kLfoSine:
        return kSineSlope * increment_ + kSlack < step;
    case kLfoTriangle:
        return kTriangleSlope * increment_ + kSlack < step;
    case kLfoRising:
    case kLfoFalling:
        return cycles == 0 && kSawSlope * increment_ + kSlack < step;
    case kLfoSquare:
        return cycles == 0 && (from < 0.5) == (phase_ < 0.5) && kSlack < step;
    case kLfoRandom:
        return cycles == 0 && kSlack < step;
    default:
        return kSlack < step;  // silent waves stay at 0
    }
}

double TempoLfo::tick() {
    double phase, hold, value, level;
    int newCycleAt;
    const LfoScratch scratch{&phase, &hold, &value, &level, &newCycleAt};
    const double* levels = render(1, scratch, BlockKernels::get(BlockKernels::best()), true,
                                  [](int, int) { return MwcRandom::next(); });
    return levels ? levels[0] : level_.current();
}
