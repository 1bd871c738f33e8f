// The transport the LV2 face keeps between the host's positions, as the
// instrument reads it: quarter notes, quarter-note tempo, playing or not.

#include "lv2/Lv2ControlPorts.h"
#include "lv2/Lv2Transport.h"
#include "synth/Murlan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using KAMO::Lv2Transport;

TEST(Lv2Transport, BeforeAnyPositionItStandsStillAt120InFourFour) {
    Lv2Transport t;
    const VstTimeInfo& info = t.timeInfo();
    EXPECT_EQ(info.ppqPos, 0.0);
    EXPECT_EQ(info.tempo, 120.0);
    EXPECT_EQ(info.timeSigNumerator, 4);
    EXPECT_FALSE(info.flags & kVstTransportPlaying);
    t.advance(48000);
    EXPECT_EQ(t.timeInfo().ppqPos, 0.0);
}

TEST(Lv2Transport, BarAndBeatMakeThePositionWhenTheBeatCountIsMissing) {
    Lv2Transport t;
    t.setSampleRate(48000.0);
    t.setSpeed(1.0);
    t.setTempo(90.0);
    t.setSignature(3.0, 4.0);
    t.setBar(5);
    t.setBarBeat(1.5);
    t.endPosition();
    const VstTimeInfo& info = t.timeInfo();
    EXPECT_DOUBLE_EQ(info.ppqPos, 16.5);
    EXPECT_DOUBLE_EQ(info.barStartPos, 15.0);
    EXPECT_EQ(info.timeSigNumerator, 3);
    EXPECT_TRUE(info.flags & kVstTransportPlaying);
}

TEST(Lv2Transport, BeatsOfAnEighthNoteUnitCountAsHalfQuarters) {
    Lv2Transport t;
    t.setSpeed(1.0);
    t.setTempo(180.0);  // eighths per minute
    t.setSignature(6.0, 8.0);
    t.setBeat(12.0);
    t.endPosition();
    EXPECT_DOUBLE_EQ(t.timeInfo().ppqPos, 6.0);
    EXPECT_DOUBLE_EQ(t.timeInfo().tempo, 90.0);
    EXPECT_EQ(t.bar(), 2);
    EXPECT_DOUBLE_EQ(t.barBeat(), 0.0);
}

TEST(Lv2Transport, RunningOnCrossesBarLinesAndStopsWithTheSpeed) {
    Lv2Transport t;
    t.setSampleRate(1000.0);
    t.setSpeed(1.0);
    t.setTempo(60.0);  // one beat per second
    t.setBar(0);
    t.setBarBeat(3.5);
    t.endPosition();
    t.advance(1000);
    EXPECT_EQ(t.bar(), 1);
    EXPECT_NEAR(t.barBeat(), 0.5, 1e-12);
    EXPECT_NEAR(t.timeInfo().ppqPos, 4.5, 1e-12);
    EXPECT_NEAR(t.timeInfo().barStartPos, 4.0, 1e-12);
    EXPECT_DOUBLE_EQ(t.timeInfo().samplePos, 1000.0);
    t.setSpeed(0.0);
    t.endPosition();
    t.advance(1000);
    EXPECT_NEAR(t.timeInfo().ppqPos, 4.5, 1e-12);
    EXPECT_FALSE(t.timeInfo().flags & kVstTransportPlaying);
}

TEST(Lv2Transport, NonsenseFieldsAreIgnored) {
    Lv2Transport t;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    t.setTempo(-5.0);
    t.setTempo(nan);
    t.setSignature(0.0, nan);
    t.setBeat(std::numeric_limits<double>::infinity());
    t.setSpeed(nan);
    t.endPosition();
    const VstTimeInfo& info = t.timeInfo();
    EXPECT_EQ(info.tempo, 120.0);
    EXPECT_EQ(info.timeSigNumerator, 4);
    EXPECT_EQ(info.timeSigDenominator, 4);
    EXPECT_EQ(info.ppqPos, 0.0);
    EXPECT_FALSE(info.flags & kVstTransportPlaying);
}

TEST(Lv2Transport, AFieldOutOfItsRangeLeavesTheLastGoodValueAndTheRunningOn) {
    using Setter = void (*)(Lv2Transport&, double);
    const struct {
        const char* field;
        Setter set;
    } fields[] = {
        {"frame", [](Lv2Transport& t, double v) { t.setFrame(v); }},
        {"speed", [](Lv2Transport& t, double v) { t.setSpeed(v); }},
        {"tempo", [](Lv2Transport& t, double v) { t.setTempo(v); }},
        {"beats per bar", [](Lv2Transport& t, double v) { t.setSignature(v, 0.0); }},
        {"beat unit", [](Lv2Transport& t, double v) { t.setSignature(0.0, v); }},
        {"bar", [](Lv2Transport& t, double v) { t.setBar(v); }},
        {"bar beat", [](Lv2Transport& t, double v) { t.setBarBeat(v); }},
        {"beat", [](Lv2Transport& t, double v) { t.setBeat(v); }},
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, -1e300};
    auto started = [] {
        Lv2Transport t;
        t.setSampleRate(48000.0);
        t.setFrame(96000.0);
        t.setSpeed(1.0);
        t.setTempo(150.0);
        t.setSignature(7.0, 8.0);
        t.setBar(12.0);
        t.setBarBeat(2.5);
        t.endPosition();
        return t;
    };
    auto same = [](const VstTimeInfo& a, const VstTimeInfo& b) {
        return a.samplePos == b.samplePos && a.ppqPos == b.ppqPos && a.tempo == b.tempo &&
               a.barStartPos == b.barStartPos && a.timeSigNumerator == b.timeSigNumerator &&
               a.timeSigDenominator == b.timeSigDenominator && a.flags == b.flags;
    };
    for (const auto& f : fields)
        for (const double value : bad) {
            Lv2Transport expected = started(), t = started();
            f.set(t, value);
            t.endPosition();
            EXPECT_TRUE(same(t.timeInfo(), expected.timeInfo())) << f.field << " = " << value;
            t.advance(48000);
            expected.advance(48000);
            EXPECT_TRUE(same(t.timeInfo(), expected.timeInfo())) << f.field << " = " << value;
        }
}

TEST(Lv2ControlPorts, DecibelPortsTakeTheirMinimumAsSilenceBothWays) {
    Murlan effect(nullptr);
    const KAMO::Lv2ControlPorts ports(effect);
    const int level = Murlan::kMainLevel;
    EXPECT_EQ(ports.realFromPort(level, -90.0f), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ports.realFromPort(level, -200.0f), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ports.realFromPort(level, -89.5f), -89.5);
    effect.setParameterReal(level, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ports.portFromEffect(effect, level), -90.0f);
    EXPECT_EQ(effect.engineGain(level), 0.0);
    // Outside its range a stored value shows as the nearest end.
    effect.setParameter(Murlan::kDetune1, 7.0f);
    EXPECT_EQ(ports.portFromEffect(effect, Murlan::kDetune1), 99.0f);
    // Symbols are C identifiers.
    EXPECT_EQ(KAMO::Lv2ControlPorts::symbolFor("Main Lvl-2"), "main_lvl_2");
    EXPECT_EQ(KAMO::Lv2ControlPorts::symbolFor("3rd"), "p3rd");
}
