#include "lv2/Lv2Transport.h"

#include <cmath>

namespace KAMO {

Lv2Transport::Lv2Transport() { endPosition(); }

void Lv2Transport::setSampleRate(double rate) {
    if (std::isfinite(rate) && rate > 0.0) rate_ = rate;
}

void Lv2Transport::setFrame(std::int64_t frame) { frame_ = static_cast<double>(frame); }

void Lv2Transport::setSpeed(double speed) {
    if (std::isfinite(speed)) speed_ = speed;
}

void Lv2Transport::setTempo(double beatsPerMinute) {
    if (std::isfinite(beatsPerMinute) && beatsPerMinute > 0.0) bpm_ = beatsPerMinute;
}

void Lv2Transport::setSignature(double beatsPerBar, double beatUnit) {
    if (std::isfinite(beatsPerBar) && beatsPerBar > 0.0) beatsPerBar_ = beatsPerBar;
    if (std::isfinite(beatUnit) && beatUnit > 0.0) beatUnit_ = beatUnit;
}

void Lv2Transport::setBar(std::int64_t bar) {
    bar_ = bar;
    gotBar_ = true;
}

void Lv2Transport::setBarBeat(double barBeat) {
    if (!std::isfinite(barBeat)) return;
    barBeat_ = barBeat;
    gotBarBeat_ = true;
}

void Lv2Transport::setBeat(double beat) {
    if (!std::isfinite(beat)) return;
    beat_ = beat;
    gotBeat_ = true;
}

void Lv2Transport::endPosition() {
    if (!gotBeat_ && (gotBar_ || gotBarBeat_))
        beat_ = static_cast<double>(bar_) * beatsPerBar_ + barBeat_;
    if (gotBeat_ && !gotBar_ && !gotBarBeat_) {
        const double bars = std::floor(beat_ / beatsPerBar_);
        bar_ = static_cast<std::int64_t>(bars);
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
        bar_ += static_cast<std::int64_t>(bars);
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
