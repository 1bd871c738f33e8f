#include "synth/SineOsc.h"

#include <cmath>

namespace {
constexpr double kWeightRange = 1.0;
constexpr double kWeightTime = 0.002;  // a change of weight never takes longer
}  // namespace

SineOsc::SineOsc() {
    weight_.setup(44100.0, kWeightRange, kWeightTime, 1.0);
}

void SineOsc::setSampleRate(double sampleRate) {
    sampleRate_ = sampleRate;
    envelope_.setSampleRate(sampleRate);
    weight_.setup(sampleRate, kWeightRange, kWeightTime, 1.0);
    cachedFrequency_ = -1.0;
}

void SineOsc::recomputeRatio() {
    ratio_.set(std::pow(2.0, detune_.get() / 1200.0) * partial_.get());
}

void SineOsc::setTarget(double frequency) {
    envelope_.trigger(attack_.get());
    target_ = frequency;
    const double b = glide_.get() * sampleRate_;
    if (glideArmed_ && b >= 1.0) {
        // Constant ratio per sample: an exponential sweep that sounds even.
        glideMultiplier_ = std::pow(frequency / current_, 1.0 / b);
    } else {
        current_ = frequency;
        glideMultiplier_ = 1.0;
    }
    glideArmed_ = true;
}

void SineOsc::release() {
    envelope_.release(release_.get());
}
