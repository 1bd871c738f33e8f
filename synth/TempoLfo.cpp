#include "synth/TempoLfo.h"

void TempoLfo::setup(double sampleRate) {
    wave_.set(Sine);
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
        const double x = 0.25 * ppqPos * rate + phaseOffset_;
        if (std::isfinite(x)) phase_ = x - std::floor(x);
    }
    increment_ = tempo / 240.0 * rate / sampleRate_;
}
