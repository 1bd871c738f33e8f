// Monophonic note logic of the engine, driven with MIDI records as the
// host's event call delivers them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "synth/MurlanEngine.h"
#include "synth/MwcRandom.h"

namespace {

double keyHz(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

struct Event {
    std::int32_t delta;
    unsigned char status, d1, d2;
};

void prepare(MurlanEngine& e, double glide = 0.0) {
    e.setSampleRate(44100.0);
    for (int o = 0; o < MurlanEngine::kOscillators; ++o)
        e.setOscillator(o, 1.0, 0.0, 0.01, 0.01, glide, 1.0);
    e.setLfoRate(4.0);
    e.setPortaReset(2.0);
    e.setMainGain(1.0);
}

// One block: the events, then `frames` samples.
std::vector<double> block(MurlanEngine& e, std::vector<Event> events, int frames) {
    e.clearEvents();
    for (const Event& ev : events) {
        MidiRecord r;
        std::memset(&r, 0, sizeof r);
        r.type = 1;
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

}  // namespace

TEST(MurlanEngine, LastKeyWinsAndReleasingItReturnsToTheKeyStillHeld) {
    MurlanEngine e;
    prepare(e);
    block(e, {{0, 0x90, 60, 100}, {10, 0x9F, 64, 1}, {20, 0x90, 64, 127}}, 2000);  // any channel
    EXPECT_EQ(e.oscillator(2).currentFrequency(), keyHz(64));
    block(e, {{0, 0x80, 64, 0}, {1, 0xB0, 64, 0}}, 10);  // controllers are ignored
    EXPECT_EQ(e.oscillator(0).currentFrequency(), keyHz(60));
    EXPECT_EQ(e.oscillator(0).envelope().state(), AREnvelope::Sustain) << "no retrigger";
    block(e, {{0, 0x90, 60, 0}}, 10);  // velocity 0: the last key goes
    EXPECT_EQ(e.oscillator(1).envelope().state(), AREnvelope::Release);
}

TEST(MurlanEngine, ReleasingAnEarlierKeyRestartsTheGlideWithTheFullTime) {
    MurlanEngine e;
    prepare(e, 0.1);
    block(e, {{0, 0x90, 60, 100}, {0, 0x90, 72, 100}}, 1000);
    const double current = e.oscillator(0).currentFrequency();
    block(e, {{0, 0x80, 60, 0}}, 1);
    EXPECT_EQ(e.oscillator(0).glideMultiplier(), std::pow(keyHz(72) / current, 1.0 / 4410.0));
}

TEST(MurlanEngine, GlideStaysArmedForExactlyThePortaResetTimeAfterTheLastRelease) {
    for (int late = 0; late <= 1; ++late) {
        MurlanEngine e;
        prepare(e, 0.05);
        e.setPortaReset(0.1);
        const std::int32_t d = static_cast<std::int32_t>(e.portaResetSamples());
        ASSERT_EQ(d, 4410);
        block(e, {{0, 0x90, 60, 100}, {0, 0x80, 60, 0}, {d + late, 0x90, 72, 100}}, d + 2);
        EXPECT_EQ(e.oscillator(0).glideMultiplier() != 1.0, late == 0)
            << "note-on " << late << " after the window";
    }
}

TEST(MurlanEngine, PitchBendSpansTheRangeSetWhenItArrives) {
    MurlanEngine e;
    prepare(e);
    block(e, {{0, 0xE0, 0x7F, 0x7F}}, 1);
    EXPECT_EQ(e.oscillator(2).bendFactor(), std::pow(2.0, 8191.0 / 8192.0 * 2.0 / 12.0));
    block(e, {{0, 0xE3, 0x00, 0x00}}, 1);
    EXPECT_EQ(e.oscillator(0).bendFactor(), std::pow(2.0, -2.0 / 12.0));
    e.setBendRange(12.0);
    EXPECT_EQ(e.oscillator(1).bendFactor(), std::pow(2.0, -2.0 / 12.0)) << "not rescaled";
    block(e, {{0, 0xE0, 0x00, 0x40}}, 1);
    EXPECT_EQ(e.oscillator(0).bendFactor(), 1.0);
}

TEST(MurlanEngine, FrozenLfoLeavesAConstantTremoloPerWave) {
    const MwcRandom::State saved = MwcRandom::state();
    const double factorAtHalfDepth[] = {0.75, 0.75, 1.0, 0.5, 1.0};  // Sine .. Falling
    for (int wave = 0; wave < 5; ++wave) {
        auto render = [&](double depth) {
            MurlanEngine e;
            prepare(e);
            e.setLfoWave(wave);
            e.setLfoDepth(depth);
            MwcRandom::setState(MwcRandom::kInitialState);
            return block(e, {{0, 0x90, 69, 100}}, 3000);
        };
        const std::vector<double> dry = render(0.0);
        const std::vector<double> wet = render(0.5);
        for (std::size_t i = 2000; i < dry.size(); i += 97) {
            if (std::fabs(dry[i]) > 0.1) {
                ASSERT_NEAR(wet[i] / dry[i], factorAtHalfDepth[wave], 2e-4) << wave;
            }
        }
    }
    MwcRandom::setState(saved);
}
