// Sine partial: weighting curve, waveform, glide and the fade above the band.

#include <gtest/gtest.h>

#include <cmath>

#include "synth/SineOsc.h"

TEST(FreqWeight, FollowsTheBandEdgeCurve) {
    EXPECT_EQ(FreqWeight(440.0), 0.9754781797750323);
    EXPECT_DOUBLE_EQ(FreqWeight(10000.0), 0.49);  // 0.7 squared
    EXPECT_EQ(FreqWeight(17500.0), 0.0);
    EXPECT_EQ(FreqWeight(20.0), 0.25);
    EXPECT_EQ(FreqWeight(30.0), 1.0);
    EXPECT_EQ(FreqWeight(9.999), 0.0);
    EXPECT_EQ(FreqWeight(0.0), 0.0);
    EXPECT_EQ(FreqWeight(-440.0), 0.0);
    EXPECT_EQ(FreqWeight(NAN), 0.0);
    EXPECT_NEAR(FreqWeight(17499.0), 0.0, 1e-8);
    EXPECT_NEAR(FreqWeight(9999.999), 0.49, 1e-7);
}

TEST(SineOsc, PolynomialStaysWithinFourTenThousandthsOfTheSineAndPeaksAtOne) {
    double worst = 0.0;
    double peak = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const double phase = SineOsc::kTwoPi * i / 100000.0;
        const double s = sineAroundPi(phase - SineOsc::kPi);
        worst = std::max(worst, std::fabs(s - std::sin(phase)));
        peak = std::max(peak, std::fabs(s));
    }
    EXPECT_LT(worst, 4e-4);
    EXPECT_NEAR(peak, 1.0, 1e-9);
    EXPECT_NEAR(sineAroundPi(SineOsc::kPi / 2 - SineOsc::kPi), 1.0, 1e-15);
}

static SineOsc makeOsc(double rate, double glide = 0.0) {
    SineOsc osc;
    osc.setSampleRate(rate);
    osc.setAttackTime(0.01);
    osc.setReleaseTime(0.01);
    osc.setGlideTime(glide);
    osc.setLevelGain(1.0);
    osc.recomputeRatio();
    return osc;
}

TEST(SineOsc, RatioCombinesDetuneCentsAndPartialNumber) {
    SineOsc osc;
    osc.setPartial(3.0);
    osc.setDetune(1200.0);
    osc.recomputeRatio();
    EXPECT_EQ(osc.ratio(), 6.0);
    osc.setDetune(-99.0);
    osc.setPartial(1.0);
    osc.recomputeRatio();
    EXPECT_DOUBLE_EQ(osc.ratio(), std::pow(2.0, -99.0 / 1200.0));
}

TEST(SineOsc, HeldNoteSoundsAtItsFrequencyWithWeightedAmplitude) {
    SineOsc osc = makeOsc(48000.0);
    osc.setTarget(440.0);
    double peak = 0.0;
    int upward = 0;
    double previous = 0.0;
    const int n = 48000;
    for (int i = 0; i < n; ++i) {
        const double s = osc.tick();
        if (i >= 1000) {
            peak = std::max(peak, std::fabs(s));
            if (previous < 0.0 && s >= 0.0) ++upward;
        }
        previous = s;
    }
    EXPECT_NEAR(upward, 440.0 * (n - 1000) / 48000.0, 1.0);
    EXPECT_NEAR(peak, 0.9754781797750323, 1e-3);
    EXPECT_GE(osc.phase(), 0.0);
    EXPECT_LT(osc.phase(), SineOsc::kTwoPi);
}

TEST(SineOsc, UnarmedTargetJumpsAndArmsTheGlide) {
    SineOsc osc = makeOsc(44100.0, 0.5);
    EXPECT_FALSE(osc.glideArmed());
    osc.setTarget(261.6);
    EXPECT_EQ(osc.currentFrequency(), 261.6);
    EXPECT_EQ(osc.glideMultiplier(), 1.0);
    EXPECT_TRUE(osc.glideArmed());
}

TEST(SineOsc, ArmedGlideOfHalfASecondDoublesAtConstantRatioAndLandsExactly) {
    SineOsc osc = makeOsc(44100.0, 0.5);
    const double from = 440.0 * std::pow(2.0, -9.0 / 12.0);  // key 60
    const double to = 2.0 * from;                            // key 72
    osc.setTarget(from);
    osc.setTarget(to);
    EXPECT_DOUBLE_EQ(osc.glideMultiplier(), std::pow(2.0, 1.0 / 22050.0));
    int ticks = 0;
    double previous = osc.currentFrequency();
    while (osc.glideMultiplier() != 1.0 && ticks < 30000) {
        osc.tick();
        ++ticks;
        if (osc.glideMultiplier() != 1.0) {
            ASSERT_NEAR(osc.currentFrequency() / previous, std::pow(2.0, 1.0 / 22050.0), 1e-12);
        }
        previous = osc.currentFrequency();
    }
    EXPECT_NEAR(ticks, 22050, 1);
    EXPECT_EQ(osc.currentFrequency(), to);
    osc.tick();
    EXPECT_EQ(osc.currentFrequency(), to);
}

TEST(SineOsc, GlideShorterThanOneSampleJumps) {
    SineOsc osc = makeOsc(44100.0, 1.0 / 88200.0);
    osc.setTarget(100.0);
    osc.setTarget(200.0);
    EXPECT_EQ(osc.currentFrequency(), 200.0);
    EXPECT_EQ(osc.glideMultiplier(), 1.0);
}

TEST(SineOsc, PartialAboveTheBandFadesOutWithinTwoMilliseconds) {
    SineOsc osc = makeOsc(44100.0);
    osc.setTarget(440.0);
    for (int i = 0; i < 2000; ++i) osc.tick();
    ASSERT_NEAR(osc.weight().current(), FreqWeight(440.0), 1e-12);
    osc.setBendFactor(50.0);  // 22 kHz
    int ticks = 0;
    while (osc.weight().current() > 0.0 && ticks < 1000) {
        osc.tick();
        ++ticks;
    }
    EXPECT_LE(ticks, 89);  // 0.002 s at 44100 Hz, rounded up
    EXPECT_EQ(osc.tick(), 0.0);
}

TEST(SineOsc, PhaseStaysBoundedAboveTheSampleRate) {
    SineOsc osc = makeOsc(44100.0);
    osc.setPartial(6.0);
    osc.recomputeRatio();
    osc.setTarget(12543.0);
    osc.setBendFactor(2.0);  // 150 kHz
    for (int i = 0; i < 1000; ++i) {
        osc.tick();
        ASSERT_GE(osc.phase(), 0.0);
        ASSERT_LT(osc.phase(), SineOsc::kTwoPi);
    }
}

TEST(SineOsc, NoFrequencyMeansSilenceAndAStillPhase) {
    SineOsc osc = makeOsc(44100.0);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(osc.tick(), 0.0);
    EXPECT_EQ(osc.phase(), 0.0);
    EXPECT_EQ(osc.weight().current(), 0.0);  // weight fell to FreqWeight(0)
}

TEST(SineOsc, SampleRateChangeRestoresFullWeightAndReclocksTheEnvelope) {
    SineOsc osc = makeOsc(44100.0);
    for (int i = 0; i < 200; ++i) osc.tick();
    ASSERT_EQ(osc.weight().current(), 0.0);
    osc.setSampleRate(96000.0);
    EXPECT_EQ(osc.weight().current(), 1.0);
    osc.setTarget(1000.0);
    int ticks = 0;
    while (osc.envelope().state() == AREnvelope::Attack) {
        osc.tick();
        ++ticks;
    }
    EXPECT_NEAR(ticks, 960, 1);
}
