#pragma once
// Low-frequency modulator locked to the host's tempo: its rate is given in
// cycles per bar (four quarter notes), and while the transport plays its
// phase follows the bar position. The output moves through a slew limiter,
// so stepped waves (square, random) change level within 1 ms, not instantly.

#include <cmath>
#include <cstdint>

#include "synth/BlockKernels.h"
#include "synth/DspConstants.h"
#include "synth/LfoWave.h"
#include "synth/LinearRamp.h"
#include "synth/MwcRandom.h"
#include "synth/Relaxed.h"

// Scratch arrays for one chunk, each long enough for it.
struct LfoScratch {
    double* phase;
    double* hold;
    double* value;
    double* level;
    int* newCycleAt;
};

class TempoLfo {
public:
    void setup(double sampleRate);

    // Host time in plain values. The increment follows the tempo whenever a
    // tempo is known; the phase is locked to the bar position only while the
    // transport plays. Nonsense (a tempo that is negative or not finite, a
    // position that is not finite) is ignored: it would drive the phase out
    // of [0, 1) for good.
    void sync(double ppqPos, double tempo, bool playing);

    // The phase after each of the next `n` samples (into `phase` unless it
    // is null), summed one increment at a time as a running double; answers
    // how many cycles began and at which samples (newCycleAt).
    int advance(double* phase, int* newCycleAt, int n, const BlockKernels& kernels);

    // The output of the next `n` samples: the array of levels, or null when
    // it holds level() throughout or nobody listens (`heard` false: only the
    // state moves on). The random wave takes a new value at each new cycle
    // from draw(cycle within the chunk, sample), a raw generator value.
    template <typename Draw>
    const double* render(int n, const LfoScratch& scratch, const BlockKernels& kernels, bool heard,
                         Draw draw) {
        const std::int32_t wave = wave_.get();
        if (increment_ == 0.0) {
            double value;
            kernels.lfoWave(wave, &phase_, &hold_, &value, 1);
            if (level_.current() == value) {
                level_.arrive(value);
                return nullptr;
            }
            level_.toward(value, scratch.level, n);
            return scratch.level;
        }
        double value;
        kernels.lfoWave(wave, &phase_, &hold_, &value, 1);
        // How far behind the wave the ramp is (a host's new bar position
        // moves the wave a little).
        const double gap = std::fabs(level_.current() - value);
        const double from = phase_;
        // Unheard, the phases themselves are only needed when the ramp
        // falls behind; then they are summed again from the same start.
        int cycles = advance(heard ? scratch.phase : nullptr, scratch.newCycleAt, n, kernels);
        if (!heard && !smooth(wave, cycles, from, gap)) {
            phase_ = from;
            cycles = advance(scratch.phase, scratch.newCycleAt, n, kernels);
        }
        if (wave == kLfoRandom) {
            double h = hold_;
            for (int k = 0, j = 0; k < n; ++k) {
                if (j < cycles && scratch.newCycleAt[j] == k) {
                    h = MwcRandom::bipolarOf(draw(j, k));
                    ++j;
                }
                scratch.hold[k] = h;
            }
            hold_ = h;
        }
        if (smooth(wave, cycles, from, gap)) {
            // Each value is within a step of the one before, so the ramp
            // lands on every one of them.
            if (!heard) {
                kernels.lfoWave(wave, &phase_, &hold_, &value, 1);
                level_.arrive(value);
                return nullptr;
            }
            kernels.lfoWave(wave, scratch.phase, scratch.hold, scratch.value, n);
            level_.arrive(scratch.value[n - 1]);
            return scratch.value;
        }
        kernels.lfoWave(wave, scratch.phase, scratch.hold, scratch.value, n);
        if (kernels.follows(scratch.value, level_.current(), level_.step(), n)) {
            level_.arrive(scratch.value[n - 1]);
            return scratch.value;
        }
        level_.follow(scratch.value, scratch.level, n);
        return scratch.level;
    }

    // One sample through the same steps, drawing from the process generator.
    double tick();

    // Parameter-derived (any thread).
    void setWave(std::int32_t wave) { wave_.set(wave); }
    void setRate(double cyclesPerBar) { rate_.set(cyclesPerBar); }

    std::int32_t wave() const { return wave_.get(); }
    double rate() const { return rate_.get(); }
    double phase() const { return phase_; }
    double phaseOffset() const { return phaseOffset_; }
    double increment() const { return increment_; }
    double hold() const { return hold_; }
    double level() const { return level_.current(); }
    double sampleRate() const { return sampleRate_; }

private:
    // Whether the wave moved by less than the slew limit on every sample of
    // a chunk that began at phase `from` with the ramp `gap` away from the
    // wave, and saw `cycles` new cycles.
    bool smooth(std::int32_t wave, int cycles, double from, double gap) const;

    Relaxed<std::int32_t> wave_{kLfoSine};
    Relaxed<double> rate_{0.0};
    LinearRamp level_;
    double phase_ = 0.0;
    double phaseOffset_ = 0.0;
    double increment_ = 0.0;
    double hold_ = 0.0;
    double sampleRate_ = kDefaultSampleRate;
};
