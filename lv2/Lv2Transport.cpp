#include "lv2/Lv2Transport.h"

#include <cmath>

namespace KAMO {

namespace {

bool within(double x, double limit) { return x >= -limit && x <= limit; }  // NaN: false

}  // namespace

Lv2Transport::Lv2Transport() { endPosition(); }

void Lv2Transport::setSampleRate(double rate) {
    if (std::isfinite(rate) && rate > 0.0) rate_ = rate;
}

void Lv2Transport::setFrame(double frame) {
    if (within(frame, kMaxCount)) frame_ = std::trunc(frame);
}

void Lv2Transport::setSpeed(double speed) {
    if (within(speed, kMaxSpeed)) speed_ = speed;
}

void Lv2Transport::setTempo(double beatsPerMinute) {
    if (beatsPerMinute > 0.0 && beatsPerMinute <= kMaxMeasure) bpm_ = beatsPerMinute;
}

void Lv2Transport::setSignature(double beatsPerBar, double beatUnit) {
    if (beatsPerBar > 0.0 && beatsPerBar <= kMaxMeasure) beatsPerBar_ = beatsPerBar;
    if (beatUnit > 0.0 && beatUnit <= kMaxMeasure) beatUnit_ = beatUnit;
}

void Lv2Transport::setBar(double bar) {
    if (!within(bar, kMaxCount)) return;
    bar_ = std::trunc(bar);
    gotBar_ = true;
}

void Lv2Transport::setBarBeat(double barBeat) {
    if (!within(barBeat, kMaxCount)) return;
    barBeat_ = barBeat;
    gotBarBeat_ = true;
}

void Lv2Transport::setBeat(double beat) {
    if (!within(beat, kMaxCount)) return;
    beat_ = beat;
    gotBeat_ = true;
}

void Lv2Transport::endPosition() {
    if (!gotBeat_ && (gotBar_ || gotBarBeat_)) beat_ = bar_ * beatsPerBar_ + barBeat_;
    if (gotBeat_ && !gotBar_ && !gotBarBeat_) {
        const double bars = std::floor(beat_ / beatsPerBar_);
        bar_ = bars;
        barBeat_ = beat_ - bars * beatsPerBar_;
    }
    gotBeat_ = gotBar_ = gotBarBeat_ = false;
}

void Lv2Transport::advance(std::int64_t frames) {
    if (frames <= 0 || speed_ == 0.0) return;
    frame_ += static_cast<double>(frames) * speed_;
    const double beats = static_cast<double>(frames) * speed_ * bpm_ / (60.0 * rate_);
    beat_ += beats;
    barBeat_ += beats;
    if (barBeat_ >= beatsPerBar_ || barBeat_ < 0.0) {
        const double bars = std::floor(barBeat_ / beatsPerBar_);
        bar_ += bars;
        barBeat_ -= bars * beatsPerBar_;
    }
}

const VstTimeInfo& Lv2Transport::timeInfo() {
    const double quarters = 4.0 / beatUnit_;
    info_.samplePos = frame_;
    info_.sampleRate = rate_;
    info_.ppqPos = beat_ * quarters;
    info_.tempo = bpm_ * quarters;
    info_.barStartPos = (beat_ - barBeat_) * quarters;
    info_.timeSigNumerator = static_cast<VstInt32>(std::lround(beatsPerBar_));
    info_.timeSigDenominator = static_cast<VstInt32>(std::lround(beatUnit_));
    info_.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
                  (playing() ? kVstTransportPlaying : 0);
    return info_;
}

}  // namespace KAMO
