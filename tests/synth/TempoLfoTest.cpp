// Tempo-locked LFO: frozen without tempo, bar locking, rate and slew.

#include <gtest/gtest.h>

#include <cmath>

#include "synth/TempoLfo.h"

static TempoLfo makeLfo(double rate, std::int32_t wave, double cyclesPerBar) {
    TempoLfo lfo;
    lfo.setup(rate);
    lfo.setWave(wave);
    lfo.setRate(cyclesPerBar);
    return lfo;
}

static double settle(TempoLfo& lfo, int ticks) {
    double level = 0.0;
    for (int i = 0; i < ticks; ++i) level = lfo.tick();
    return level;
}

TEST(TempoLfo, WithoutTempoItStaysAtTheWaveValueOfPhaseZero) {
    struct Case {
        std::int32_t wave;
        double level;
    };
    const Case cases[] = {{TempoLfo::Sine, 0.0},   {TempoLfo::Triangle, 0.0}, {TempoLfo::Square, 1.0},
                          {TempoLfo::Rising, -1.0}, {TempoLfo::Falling, 1.0}, {99, 0.0}};
    for (const Case& c : cases) {
        TempoLfo lfo = makeLfo(48000.0, c.wave, 4.0);
        EXPECT_NEAR(settle(lfo, 1000), c.level, 4e-4) << "wave " << c.wave;
        EXPECT_EQ(lfo.phase(), 0.0);
    }
}

TEST(TempoLfo, IncrementFollowsTempoAndRateInCyclesPerBar) {
    TempoLfo lfo = makeLfo(48000.0, TempoLfo::Rising, 4.0);
    lfo.sync(0.0, 120.0, false);
    EXPECT_EQ(lfo.increment(), 120.0 / 240.0 * 4.0 / 48000.0);
    // Four cycles per bar at 120 bpm: one cycle per beat, 24000 samples.
    int wraps = 0;
    double previous = lfo.phase();
    for (int i = 0; i < 96000; ++i) {
        lfo.tick();
        if (lfo.phase() < previous) ++wraps;
        previous = lfo.phase();
    }
    EXPECT_EQ(wraps, 4);
}

TEST(TempoLfo, PlayingTransportLocksThePhaseToTheBarPosition) {
    TempoLfo lfo = makeLfo(44100.0, TempoLfo::Rising, 1.0);
    lfo.sync(2.0, 100.0, true);  // half a bar in, one cycle per bar
    EXPECT_EQ(lfo.phase(), 0.5);
    lfo.sync(-1.0, 100.0, true);  // pre-roll before the first bar
    EXPECT_EQ(lfo.phase(), 0.75);
    lfo.sync(7.0, 100.0, false);  // stopped: the phase runs on freely
    EXPECT_EQ(lfo.phase(), 0.75);
}

TEST(TempoLfo, NonsenseHostTimeLeavesTheLfoRunningAsItWas) {
    TempoLfo lfo = makeLfo(44100.0, TempoLfo::Rising, 2.0);
    lfo.sync(1.0, 120.0, true);
    const double phase = lfo.phase();
    const double increment = lfo.increment();
    lfo.sync(1.0, NAN, true);
    lfo.sync(1.0, -120.0, true);
    lfo.sync(1.0, INFINITY, true);
    lfo.sync(NAN, 120.0, true);
    EXPECT_EQ(lfo.phase(), phase);
    EXPECT_EQ(lfo.increment(), increment);
    lfo.setRate(32.0);
    lfo.sync(1e308, 120.0, true);  // the bar position overflows
    EXPECT_EQ(lfo.phase(), phase);
    lfo.sync(0.0, 1e300, false);  // whole cycles per sample
    for (int i = 0; i < 100; ++i) {
        const double level = lfo.tick();
        ASSERT_GE(lfo.phase(), 0.0);
        ASSERT_LT(lfo.phase(), 1.0);
        ASSERT_LE(std::fabs(level), 1.0);
    }
}

TEST(TempoLfo, SquareWaveTakesOneMillisecondToSwingAtAnySampleRate) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        TempoLfo lfo = makeLfo(rate, TempoLfo::Square, 1.0);
        lfo.sync(0.0, 120.0, true);
        ASSERT_EQ(settle(lfo, 100), 1.0);
        lfo.sync(2.0, 120.0, true);  // second half of the cycle: -1
        int ticks = 0;
        while (lfo.tick() > -1.0) ++ticks;
        ++ticks;
        // 1 ms, give or take the rounding of the accumulated steps.
        const int expected = static_cast<int>(std::ceil(rate * 0.001 - 1e-9));
        EXPECT_GE(ticks, expected) << rate;
        EXPECT_LE(ticks, expected + 1) << rate;
    }
}

TEST(TempoLfo, WaveShapesOverOneCycle) {
    TempoLfo lfo = makeLfo(48000.0, TempoLfo::Triangle, 1.0);
    EXPECT_EQ(lfo.waveValue(TempoLfo::Triangle, 0.125), 0.5);
    EXPECT_EQ(lfo.waveValue(TempoLfo::Triangle, 0.5), 0.0);
    EXPECT_EQ(lfo.waveValue(TempoLfo::Triangle, 0.75), -1.0);
    EXPECT_EQ(lfo.waveValue(TempoLfo::Square, 0.4999), 1.0);
    EXPECT_EQ(lfo.waveValue(TempoLfo::Square, 0.5), -1.0);
    EXPECT_EQ(lfo.waveValue(TempoLfo::Rising, 0.75), 0.5);
    EXPECT_EQ(lfo.waveValue(TempoLfo::Falling, 0.75), -0.5);
    EXPECT_NEAR(lfo.waveValue(TempoLfo::Sine, 0.25), 1.0, 1e-12);
    EXPECT_NEAR(lfo.waveValue(TempoLfo::Sine, 0.75), -1.0, 1e-12);
}

TEST(TempoLfo, RandomWaveHoldsOneDrawPerCycle) {
    TempoLfo lfo = makeLfo(48000.0, TempoLfo::Random, 32.0);
    lfo.sync(0.0, 240.0, false);  // 32 cycles per second: 1500 samples each
    const double first = lfo.hold();
    EXPECT_GE(first, -1.0000000004656613);
    EXPECT_LE(first, 1.0);
    int changes = 0;
    double held = first;
    for (int i = 0; i < 48000; ++i) {
        lfo.tick();
        if (lfo.hold() != held) ++changes;
        held = lfo.hold();
    }
    EXPECT_GE(changes, 31);
    EXPECT_LE(changes, 32);
}
