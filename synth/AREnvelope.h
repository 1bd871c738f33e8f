#pragma once
// Attack/release envelope with quadratic segments: the attack starts slowly
// and finishes fast, the release falls fast and tails off. Each segment is
// integrated from its slope, so it lands exactly on 1 or 0 at the tick where
// the accumulated progress reaches 1.

#include <cstdint>
#include <limits>

#include "synth/DspConstants.h"

class AREnvelope {
public:
    enum State : std::int32_t { Idle = 0, Attack = 1, Sustain = 2, Release = 3 };

    // Legato notes must not restart a running attack or a held sustain; an
    // attack begun during a release continues from the current level.
    void trigger(double attackTime) {
        if (state_ != Idle && state_ != Release) return;
        progress_ = 0.0;
        state_ = Attack;
        span_ = 1.0 - level_;
        rate_ = rateOf(attackTime);
    }

    void release(double releaseTime) {
        if (state_ == Release) return;
        progress_ = 0.0;
        state_ = Release;
        span_ = level_;
        rate_ = rateOf(releaseTime);
    }

    // Whether the level moves: idle holds 0 and sustain holds 1.
    bool moving() const { return state_ == Attack || state_ == Release; }

    // The levels of the next `n` ticks. A segment that ends on the way
    // settles there for the rest.
    void render(double* level, int n) {
        int k = 0;
        if (state_ == Attack) {
            for (; k < n; ++k) {
                progress_ = progress_ + rate_;
                if (progress_ >= 1.0) {
                    finish(1.0, Sustain);
                    break;
                }
                level_ = level_ + (2.0 * progress_) * span_ * rate_;
                level[k] = level_;
            }
        } else if (state_ == Release) {
            for (; k < n; ++k) {
                progress_ = progress_ + rate_;
                if (progress_ >= 1.0) {
                    finish(0.0, Idle);
                    break;
                }
                level_ = level_ + (2.0 * progress_ - 2.0) * span_ * rate_;
                level[k] = level_;
            }
        }
        for (; k < n; ++k) level[k] = level_;
    }

    double tick() {
        double level;
        render(&level, 1);
        return level;
    }

    void setSampleRate(double sampleRate) { sampleRate_ = sampleRate; }

    std::int32_t state() const { return state_; }
    double level() const { return level_; }
    double progress() const { return progress_; }
    double rate() const { return rate_; }
    double span() const { return span_; }
    double sampleRate() const { return sampleRate_; }

private:
    // Progress per tick of a segment `seconds` long. One of no length (or
    // of a time that is no positive number) ends on the next tick.
    double rateOf(double seconds) const {
        const double ticks = seconds * sampleRate_;
        return ticks > 0.0 ? 1.0 / ticks : std::numeric_limits<double>::infinity();
    }

    void finish(double level, State next) {
        level_ = level;
        progress_ = 0.0;
        rate_ = 0.0;
        span_ = 0.0;
        state_ = next;
    }

    std::int32_t state_ = Idle;
    double level_ = 0.0;
    double progress_ = 0.0;
    double rate_ = 0.0;
    double span_ = 0.0;
    double sampleRate_ = kDefaultSampleRate;
};
