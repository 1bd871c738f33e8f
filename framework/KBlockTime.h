#pragma once
// The transport at a block's first frame as a face reads it from its host's
// record, for KHostBridge::setBlockTime. Hosts leave zeros (and now and then
// NaN) in what they do not know, so a tempo or a time signature counts only
// when it can be played: the effect then goes without, as with a host that
// sends none.

#include "shell/Vst2.h"

#include <cmath>

namespace KAMO {

class KBlockTime {
public:
    explicit KBlockTime(double sampleRate) { info_.sampleRate = sampleRate; }

    void setMotion(bool playing, bool recording, bool cycling) {
        if (playing) info_.flags |= kVstTransportPlaying;
        if (recording) info_.flags |= kVstTransportRecording;
        if (cycling) info_.flags |= kVstTransportCycleActive;
    }
    void setFrame(double frame) { info_.samplePos = frame; }
    // Positions in quarter notes.
    void setQuarters(double position) {
        info_.ppqPos = position;
        info_.flags |= kVstPpqPosValid;
    }
    void setBarStart(double position) {
        info_.barStartPos = position;
        info_.flags |= kVstBarsValid;
    }
    void setCycle(double start, double end) {
        info_.cycleStartPos = start;
        info_.cycleEndPos = end;
        info_.flags |= kVstCyclePosValid;
    }
    void setTempo(double beatsPerMinute) {
        if (!std::isfinite(beatsPerMinute) || beatsPerMinute <= 0.0) return;
        info_.tempo = beatsPerMinute;
        info_.flags |= kVstTempoValid;
    }
    void setSignature(VstInt32 numerator, VstInt32 denominator) {
        if (numerator <= 0 || denominator <= 0) return;
        info_.timeSigNumerator = numerator;
        info_.timeSigDenominator = denominator;
        info_.flags |= kVstTimeSigValid;
    }
    void setSystemTime(double nanoseconds) {
        info_.nanoSeconds = nanoseconds;
        info_.flags |= kVstNanosValid;
    }

    const VstTimeInfo& info() const { return info_; }

private:
    VstTimeInfo info_{};
};

}  // namespace KAMO
