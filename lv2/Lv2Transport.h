#pragma once
// The host's transport as an LV2 host describes it (time:Position objects:
// bar, beat in the bar, beats since the start, signature, tempo, speed,
// frame), kept running between positions and answered to the effect as the
// time record it asks its host for. LV2 hosts send a position only when the
// transport changes, so between two the position moves on with the tempo.
//
// Beats are of the signature's beat unit; the time record counts quarter
// notes, so both the position and the tempo are scaled by 4 / beat unit.

#include "shell/Vst2.h"

#include <cstdint>

namespace KAMO {

class Lv2Transport {
public:
    Lv2Transport();

    void setSampleRate(double rate);

    // Largest magnitude taken for a frame, bar or beat count: whole numbers
    // up to it are exact in a double, and bar counts made from them fit an
    // integer.
    static constexpr double kMaxCount = 9007199254740992.0;  // 2^53
    // Largest speed, tempo (beats per minute), beats per bar and beat unit
    // taken: far beyond music, small enough that a run of any length moves
    // the position by a finite amount.
    static constexpr double kMaxSpeed = 1000.0;
    static constexpr double kMaxMeasure = 1e6;

    // The fields of one position; an absent field keeps its value. A field
    // that is no finite number within its range (a tempo or signature not
    // above 0) is ignored: the last good value stays.
    void setFrame(double frame);
    void setSpeed(double speed);
    void setTempo(double beatsPerMinute);
    void setSignature(double beatsPerBar, double beatUnit);
    void setBar(double bar);
    void setBarBeat(double barBeat);
    // Beats since the start; when a position carries it, it wins over the
    // bar count for the song position (it is the more precise of the two).
    void setBeat(double beat);
    // Called after all fields of one position are set.
    void endPosition();

    // Moves on by `frames` at the current speed and tempo.
    void advance(std::int64_t frames);

    // The record the effect reads; valid until the next change.
    const VstTimeInfo& timeInfo();

    bool playing() const { return speed_ != 0.0; }
    double beat() const { return beat_; }
    double barBeat() const { return barBeat_; }
    double bar() const { return bar_; }

private:
    double rate_ = 44100.0;
    double frame_ = 0.0;
    double speed_ = 0.0;
    double bpm_ = 120.0;
    double beatsPerBar_ = 4.0;
    double beatUnit_ = 4.0;
    // A whole number, kept as a double so that running on never converts.
    double bar_ = 0.0;
    double barBeat_ = 0.0;
    double beat_ = 0.0;
    // Which fields the position being read carried.
    bool gotBeat_ = false;
    bool gotBar_ = false;
    bool gotBarBeat_ = false;
    VstTimeInfo info_{};
};

}  // namespace KAMO
