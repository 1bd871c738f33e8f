// Monophonic note logic and the render loop of the engine, driven with MIDI
// records as the host's event call delivers them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "synth/MurlanEngine.h"
#include "synth/MwcRandom.h"

namespace {

double keyFrequency(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

struct Event {
    std::int32_t delta;
    unsigned char status, d1, d2;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = MwcRandom::state();
        prepare(engine, 44100.0);
    }
    void TearDown() override { MwcRandom::setState(saved_); }

    static void prepare(MurlanEngine& e, double rate, double glide = 0.0) {
        e.setSampleRate(rate);
        e.reset();
        for (int o = 0; o < MurlanEngine::kOscillators; ++o) e.setOscillator(o, 1.0, 0.0, 0.01, 0.01, glide, 1.0);
        e.setLfoWave(0);
        e.setLfoRate(4.0);
        e.setLfoDepth(0.0);
        e.setBendRange(2.0);
        e.setPortaReset(2.0);
        e.setMainGain(1.0);
    }

    // One block: fills the queue with `events` and renders `frames` samples.
    static std::vector<double> block(MurlanEngine& e, std::vector<Event> events, int frames) {
        e.clearEvents();
        for (const Event& ev : events) {
            MidiRecord r;
            std::memset(&r, 0, sizeof r);
            r.type = 1;
            r.byteSize = 32;
            r.deltaFrames = ev.delta;
            r.midiData[0] = ev.status;
            r.midiData[1] = ev.d1;
            r.midiData[2] = ev.d2;
            e.addEvent(&r);
        }
        std::vector<double> out(static_cast<std::size_t>(frames));
        e.render(out.data(), frames);
        return out;
    }

    const SineOsc& osc(int i) const { return engine.oscillator(i); }

    MurlanEngine engine;
    MwcRandom::State saved_{};
};

}  // namespace

TEST_F(EngineTest, ReleasingTheLastKeyReturnsToTheEarlierOneWithoutRetrigger) {
    block(engine, {{0, 0x90, 60, 100}, {10, 0x90, 64, 100}}, 2000);
    ASSERT_EQ(osc(0).currentFrequency(), keyFrequency(64));
    ASSERT_EQ(osc(0).envelope().state(), AREnvelope::Sustain);
    block(engine, {{0, 0x80, 64, 0}}, 10);
    for (int o = 0; o < 3; ++o) {
        EXPECT_EQ(osc(o).currentFrequency(), keyFrequency(60));
        EXPECT_EQ(osc(o).envelope().state(), AREnvelope::Sustain);
    }
}

TEST_F(EngineTest, ReleasingAnEarlierKeyRestartsTheGlideTowardsTheTopKey) {
    prepare(engine, 44100.0, 0.1);
    block(engine, {{0, 0x90, 60, 100}, {0, 0x90, 72, 100}}, 1000);
    const double current = osc(0).currentFrequency();
    ASSERT_GT(current, keyFrequency(60));
    ASSERT_LT(current, keyFrequency(72));
    block(engine, {{0, 0x80, 60, 0}}, 1);
    EXPECT_EQ(osc(0).targetFrequency(), keyFrequency(72));
    EXPECT_EQ(osc(0).glideMultiplier(), std::pow(keyFrequency(72) / current, 1.0 / (0.1 * 44100.0)));
}

TEST_F(EngineTest, KeyPressedTwiceIsReleasedByOneNoteOff) {
    block(engine, {{0, 0x90, 60, 100}, {5, 0x90, 60, 100}, {9, 0x80, 60, 64}}, 20);
    EXPECT_TRUE(engine.notes().empty());
    EXPECT_EQ(osc(0).envelope().state(), AREnvelope::Release);
}

TEST_F(EngineTest, VelocityZeroIsANoteOffAndOtherVelocitiesSoundAlike) {
    auto render = [&](unsigned char onVelocity, unsigned char offStatus) {
        MurlanEngine e;
        prepare(e, 44100.0);
        MwcRandom::setState(MwcRandom::kInitialState);
        std::vector<double> out = block(e, {{0, 0x90, 69, onVelocity}, {300, offStatus, 69, 0}}, 1000);
        EXPECT_TRUE(e.notes().empty());
        return out;
    };
    const std::vector<double> soft = render(1, 0x80);
    EXPECT_EQ(render(127, 0x80), soft);
    EXPECT_EQ(render(1, 0x90), soft);
}

TEST_F(EngineTest, ChannelsAreIgnoredAndOtherMessagesChangeNothing) {
    block(engine, {{0, 0x9F, 57, 1}, {1, 0xB0, 7, 0}, {2, 0xC0, 5, 0}, {3, 0xA0, 57, 10}}, 10);
    EXPECT_EQ(engine.notes().top(), 57);
    EXPECT_EQ(osc(0).currentFrequency(), 220.0);
    EXPECT_EQ(osc(0).bendFactor(), 1.0);
    block(engine, {{0, 0x8C, 57 | 0x80, 0}}, 1);  // data byte masked to 7 bits
    EXPECT_TRUE(engine.notes().empty());
}

TEST_F(EngineTest, NoteDuringReleaseAttacksFromTheCurrentLevel) {
    block(engine, {{0, 0x90, 60, 100}, {1000, 0x80, 60, 0}}, 1200);
    const double level = osc(0).envelope().level();
    ASSERT_GT(level, 0.05);
    ASSERT_LT(level, 0.95);
    block(engine, {{0, 0x90, 62, 100}}, 1);
    EXPECT_EQ(osc(0).envelope().state(), AREnvelope::Attack);
    EXPECT_GT(osc(0).envelope().level(), level);
    EXPECT_LT(osc(0).envelope().level(), level + 0.01);
}

TEST_F(EngineTest, GlideStaysArmedForThePortaResetTimeAfterTheLastRelease) {
    for (int late = 0; late <= 1; ++late) {
        MurlanEngine e;
        prepare(e, 44100.0, 0.05);
        e.setPortaReset(0.1);
        const std::int32_t d = static_cast<std::int32_t>(e.portaResetSamples());
        ASSERT_EQ(d, 4410);
        block(e, {{0, 0x90, 60, 100}, {0, 0x80, 60, 0}, {d + late, 0x90, 72, 100}}, d + 2);
        if (late) {
            EXPECT_EQ(e.oscillator(0).glideMultiplier(), 1.0) << "one sample after the window";
            EXPECT_EQ(e.oscillator(0).currentFrequency(), keyFrequency(72));
        } else {
            EXPECT_NE(e.oscillator(0).glideMultiplier(), 1.0) << "last sample of the window";
        }
    }
}

TEST_F(EngineTest, ParameterChangesRestartTheWaitBeforeGlidesDisarm) {
    engine.setPortaReset(0.01);  // 441 samples
    block(engine, {{0, 0x90, 60, 100}, {1, 0x80, 60, 0}}, 400);
    ASSERT_GT(engine.portaResetCounter(), 300);
    engine.setPortaReset(0.01);
    block(engine, {}, 100);
    EXPECT_EQ(engine.portaResetCounter(), 100);
    EXPECT_TRUE(osc(0).glideArmed());
    block(engine, {}, 400);
    EXPECT_FALSE(osc(0).glideArmed());
}

TEST_F(EngineTest, PortaResetTimeIsTruncatedToWholeSamples) {
    MurlanEngine e;
    prepare(e, 48000.0);
    e.setPortaReset(2.0);
    EXPECT_EQ(e.portaResetSamples(), 96000);
    e.setPortaReset(0.10001);
    EXPECT_EQ(e.portaResetSamples(), 4800);
}

TEST_F(EngineTest, PitchBendCoversTheBendRangeAtTheTimeOfTheMessage) {
    block(engine, {{0, 0xE0, 0x7F, 0x7F}}, 1);
    EXPECT_EQ(osc(2).bendFactor(), std::pow(2.0, 8191.0 / 8192.0 * 2.0 / 12.0));
    block(engine, {{0, 0xE3, 0x00, 0x00}}, 1);
    EXPECT_EQ(osc(0).bendFactor(), std::pow(2.0, -2.0 / 12.0));
    engine.setBendRange(12.0);
    EXPECT_EQ(osc(1).bendFactor(), std::pow(2.0, -2.0 / 12.0)) << "an old bend is not rescaled";
    block(engine, {{0, 0xE0, 0x00, 0x00}}, 1);
    EXPECT_EQ(osc(1).bendFactor(), 0.5);
    block(engine, {{0, 0xE0, 0x00, 0x40}}, 1);
    EXPECT_EQ(osc(0).bendFactor(), 1.0);
}

TEST_F(EngineTest, ResetReleasesAndForgetsKeysButKeepsBendAndGlideState) {
    block(engine, {{0, 0x90, 60, 100}, {0, 0xE0, 0, 0}, {0, 0x90, 64, 100}}, 100);
    engine.reset();
    EXPECT_TRUE(engine.notes().empty());
    EXPECT_EQ(engine.queue().pending(), 0);
    EXPECT_EQ(osc(0).envelope().state(), AREnvelope::Release);
    EXPECT_TRUE(osc(0).glideArmed());
    EXPECT_EQ(osc(0).currentFrequency(), keyFrequency(64));
    EXPECT_LT(osc(0).bendFactor(), 1.0);
}

TEST_F(EngineTest, HeldKey69PeaksAtThreeWeightedGainsTimesTheMainGain) {
    const double main = std::pow(10.0, -12.5 / 20.0);
    engine.setMainGain(main);
    std::vector<double> out = block(engine, {{0, 0x90, 69, 100}}, 44100);
    double peak = 0.0;
    for (std::size_t i = 4410; i < out.size(); ++i) peak = std::max(peak, std::fabs(out[i]));
    EXPECT_NEAR(peak, 3.0 * main * FreqWeight(440.0), 1e-3);
    EXPECT_NEAR(peak, 0.694, 1e-3);
}

TEST_F(EngineTest, ReleasedVoiceDecaysToTheDitherLevelNeverToZero) {
    const double main = 0.5;
    engine.setMainGain(main);
    block(engine, {{0, 0x90, 69, 100}, {1000, 0x80, 69, 0}}, 2000);
    std::vector<double> tail = block(engine, {}, 20000);
    double mean = 0.0;
    for (double x : tail) {
        ASSERT_GT(x, 0.0);
        ASSERT_LE(x, 5e-06 * main);
        mean += x;
    }
    EXPECT_NEAR(mean / tail.size(), 2.5e-06 * main, 0.1e-06);
}

TEST_F(EngineTest, AllLevelsSilentGivesOnlyDither) {
    for (int o = 0; o < 3; ++o) engine.setOscillator(o, 1.0, 0.0, 0.01, 0.01, 0.0, 0.0);
    std::vector<double> out = block(engine, {{0, 0x90, 69, 100}}, 2000);
    for (double x : out) ASSERT_LE(std::fabs(x), 5e-06);
}

TEST_F(EngineTest, FrozenLfoLeavesAConstantTremoloFactorPerWave) {
    struct Case {
        std::int32_t wave;
        double factor;  // at depth 0.5
    };
    for (const Case c : {Case{0, 0.75}, Case{1, 0.75}, Case{2, 1.0}, Case{3, 0.5}, Case{4, 1.0}}) {
        auto render = [&](double depth) {
            MurlanEngine e;
            prepare(e, 44100.0);
            e.setLfoWave(c.wave);
            e.setLfoDepth(depth);
            MwcRandom::setState(MwcRandom::kInitialState);
            return block(e, {{0, 0x90, 69, 100}}, 3000);
        };
        const std::vector<double> dry = render(0.0);
        const std::vector<double> wet = render(0.5);
        for (std::size_t i = 2000; i < dry.size(); i += 97) {
            if (std::fabs(dry[i]) < 0.1) continue;
            ASSERT_NEAR(wet[i] / dry[i], c.factor, 2e-4) << "wave " << c.wave << " sample " << i;
        }
    }
}

TEST_F(EngineTest, ZeroFramesRenderNothingAndConsumeNoEvents) {
    block(engine, {{0, 0x90, 60, 100}}, 0);
    EXPECT_EQ(engine.queue().pending(), 1);
    EXPECT_TRUE(engine.notes().empty());
    engine.render(nullptr, 0);
    std::vector<double> out(4);
    engine.render(out.data(), 4);
    EXPECT_EQ(engine.notes().top(), 60);
}
