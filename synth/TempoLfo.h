#pragma once
// Low-frequency modulator locked to the host's tempo: its rate is given in
// cycles per bar (four quarter notes), and while the transport plays its
// phase follows the bar position. The output moves through a slew limiter,
// so stepped waves (square, random) change level within 1 ms, not instantly.

#include <cmath>
#include <cstdint>

#include "synth/LinearRamp.h"
#include "synth/MwcRandom.h"
#include "synth/Relaxed.h"
#include "synth/SineOsc.h"

class TempoLfo {
public:
    enum Wave : std::int32_t { Sine = 0, Triangle = 1, Square = 2, Rising = 3, Falling = 4, Random = 5 };

    void setup(double sampleRate);

    // Host time in plain values. The increment follows the tempo whenever a
    // tempo is known; the phase is locked to the bar position only while the
    // transport plays. Nonsense (a tempo that is negative or not finite, a
    // position that is not finite) is ignored: it would drive the phase out
    // of [0, 1) for good.
    void sync(double ppqPos, double tempo, bool playing);

    double tick() {
        phase_ = phase_ + increment_;
        if (phase_ >= 1.0) {
            phase_ = phase_ - 1.0;
            // Only with absurd tempos does one step cover whole cycles.
            if (phase_ >= 1.0) phase_ = phase_ - std::floor(phase_);
            if (wave_.get() == Random) hold_ = MwcRandom::bipolar();
        }
        return level_.tick(waveValue(wave_.get(), phase_));
    }

    double waveValue(std::int32_t wave, double p) const {
        switch (wave) {
        case Sine:
            return sineAroundPi(p * SineOsc::kTwoPi - SineOsc::kPi);
        case Triangle:
            if (p < 0.25) return 4.0 * p;
            if (p < 0.75) return 2.0 - 4.0 * p;
            return 4.0 * p - 4.0;
        case Square:
            return p < 0.5 ? 1.0 : -1.0;
        case Rising:
            return 2.0 * p - 1.0;
        case Falling:
            return 1.0 - 2.0 * p;
        case Random:
            return hold_;
        default:
            return 0.0;
        }
    }

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
    Relaxed<std::int32_t> wave_{Sine};
    Relaxed<double> rate_{0.0};
    LinearRamp level_;
    double phase_ = 0.0;
    double phaseOffset_ = 0.0;
    double increment_ = 0.0;
    double hold_ = 0.0;
    double sampleRate_ = 44100.0;
};
