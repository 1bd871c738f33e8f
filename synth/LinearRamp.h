#pragma once
// A value that follows its target at a bounded speed: each tick moves it by
// at most one step, so a jump in the target becomes a short straight line
// instead of a click.

#include <cmath>

#include "synth/DspConstants.h"

class LinearRamp {
public:
    // `range` over `time` seconds sets the largest change per sample; a time
    // of 0 (or less) lets the value cover the whole range in one tick.
    void setup(double sampleRate, double range, double time, double initial) {
        sampleRate_ = sampleRate;
        step_ = time > 0.0 ? std::fabs(range / (sampleRate * time)) : range;
        target_ = initial;
        current_ = initial;
        reached_ = true;
    }

    // One tick per target; out[k] is the value after target[k].
    void follow(const double* target, double* out, int n) {
        for (int k = 0; k < n; ++k) out[k] = advance(target[k]);
    }

    // `n` ticks toward one target; the value settles once it arrives.
    void toward(double target, double* out, int n) {
        int k = 0;
        for (; k < n && !(reached_ && current_ == target); ++k) out[k] = advance(target);
        if (k < n) target_ = target;
        for (; k < n; ++k) out[k] = current_;
    }

    // What `n` ticks leave behind when each target was within one step of
    // the one before (the caller has checked): the value is the last target.
    void arrive(double target) {
        target_ = target;
        current_ = target;
        reached_ = true;
    }

    double tick(double target) { return advance(target); }

    double current() const { return current_; }
    double target() const { return target_; }
    double step() const { return step_; }
    double sampleRate() const { return sampleRate_; }
    bool reached() const { return reached_; }

private:
    double advance(double target) {
        reached_ = false;
        target_ = target;
        const double d = target - current_;
        if (d > step_) {
            current_ = current_ + step_;
        } else if (d < -step_) {
            current_ = current_ - step_;
        } else {
            current_ = target;
            reached_ = true;
        }
        return current_;
    }

    double sampleRate_ = kDefaultSampleRate;
    double target_ = 0.0;
    double current_ = 0.0;
    double step_ = 0.0;
    bool reached_ = true;
};
