#pragma once
// One sine partial of the voice: exponential glide between note
// frequencies, an attack/release envelope, a gain that fades partials out
// near the audio band's edges, and a level.
//
// The parameter-derived fields are written by whichever thread edits the
// parameters and read by the audio thread on every tick, hence Relaxed.

#include <cmath>

#include "synth/AREnvelope.h"
#include "synth/LinearRamp.h"
#include "synth/Relaxed.h"

// The gain a partial may have at frequency f: silent below 10 Hz and from
// 17.5 kHz up, full at 30 Hz, then falling gently to 0.49 at 10 kHz.
inline double FreqWeight(double f) {
    if (f < 10.0) return 0.0;
    if (f < 30.0) {
        const double a = (f - 10.0) / 20.0;
        return a * a;
    }
    if (f < 10000.0) {
        const double a = 1.0 - (f - 30.0) / 9970.0 * 0.3;
        return a * a;
    }
    if (f < 17500.0) {
        const double a = 0.7 - (f - 10000.0) / 7500.0 * 0.7;
        return a * a;
    }
    return 0.0;  // also NaN
}

// Odd polynomial for sin(x + pi) over x in [-pi, pi); within 4e-4 of the
// true sine and peaking at exactly +-1, cheaper than a library call.
inline double sineAroundPi(double x) {
    const double u = x * x;
    return -(x * (((-0.000145039006054745 * u + 0.007956574006381783) * u - 0.16562123457123723) * u +
                  0.9990123569996505));
}

class SineOsc {
public:
    static constexpr double kTwoPi = 6.283185307179586;
    static constexpr double kPi = 3.141592653589793;

    SineOsc();

    void setSampleRate(double sampleRate);
    void recomputeRatio();
    void setTarget(double frequency);
    void release();

    [[gnu::always_inline]] double tick() {
        envelope_.tick();
        const double m = glideMultiplier_;
        if (m != 1.0) {
            current_ = current_ * m;
            if ((m < 1.0 && current_ <= target_) || (m > 1.0 && current_ >= target_)) {
                current_ = target_;
                glideMultiplier_ = 1.0;
            }
        }
        const double f = ratio_.get() * bendFactor_ * current_;
        double s = 0.0;
        double weightTarget = 0.0;
        if (f > 0.0) {
            // A held note keeps f constant, so the division and the weight
            // curve are only worked out when f moves.
            if (f != cachedFrequency_) {
                cachedFrequency_ = f;
                cachedIncrement_ = f * kTwoPi / sampleRate_;
                cachedWeight_ = FreqWeight(f);
            }
            phase_ = phase_ + cachedIncrement_;
            if (phase_ >= kTwoPi) {
                phase_ = phase_ - kTwoPi;
                // Only above the sample rate, where the weight is already
                // fading this partial out; keeps the phase bounded.
                if (phase_ >= kTwoPi) phase_ = std::fmod(phase_, kTwoPi);
            }
            s = sineAroundPi(phase_ - kPi);
            weightTarget = cachedWeight_;
        }
        weight_.tick(weightTarget);
        output_ = s * ((levelGain_.get() * weight_.current()) * envelope_.level());
        return output_;
    }

    // Parameter-derived fields (any thread).
    void setPartial(double multiplier) { partial_.set(multiplier); }
    void setDetune(double cents) { detune_.set(cents); }
    void setAttackTime(double seconds) { attack_.set(seconds); }
    void setReleaseTime(double seconds) { release_.set(seconds); }
    void setGlideTime(double seconds) { glide_.set(seconds); }
    void setLevelGain(double gain) { levelGain_.set(gain); }

    // Audio-thread state.
    void setBendFactor(double factor) { bendFactor_ = factor; }
    void disarmGlide() { glideArmed_ = false; }

    double partial() const { return partial_.get(); }
    double detune() const { return detune_.get(); }
    double attackTime() const { return attack_.get(); }
    double releaseTime() const { return release_.get(); }
    double glideTime() const { return glide_.get(); }
    double levelGain() const { return levelGain_.get(); }
    double ratio() const { return ratio_.get(); }
    double phase() const { return phase_; }
    double currentFrequency() const { return current_; }
    double targetFrequency() const { return target_; }
    double glideMultiplier() const { return glideMultiplier_; }
    bool glideArmed() const { return glideArmed_; }
    double output() const { return output_; }
    double sampleRate() const { return sampleRate_; }
    double bendFactor() const { return bendFactor_; }
    const AREnvelope& envelope() const { return envelope_; }
    const LinearRamp& weight() const { return weight_; }

private:
    Relaxed<double> partial_{1.0};
    Relaxed<double> detune_{0.0};
    Relaxed<double> attack_{0.01};
    Relaxed<double> release_{0.01};
    Relaxed<double> glide_{0.0};
    Relaxed<double> levelGain_{0.0};
    Relaxed<double> ratio_{1.0};
    double phase_ = 0.0;
    double current_ = 0.0;
    double target_ = 0.0;
    double glideMultiplier_ = 1.0;
    AREnvelope envelope_;
    bool glideArmed_ = false;
    double output_ = 0.0;
    LinearRamp weight_;
    double sampleRate_ = 44100.0;
    double bendFactor_ = 1.0;

    // Derived from the last frequency; a negative frequency never matches.
    double cachedFrequency_ = -1.0;
    double cachedIncrement_ = 0.0;
    double cachedWeight_ = 0.0;
};
