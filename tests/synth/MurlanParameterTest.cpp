// How the instrument turns the current program into engine quantities, and
// how it stands up to nonsense from the host. In-process, no host library.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "synth/Murlan.h"

namespace {

VstIntPtr hostAt48k(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetSampleRate) return 48000;
    return 0;
}

VstIntPtr hostWithNonsenseRate(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetSampleRate) return 1;
    return 0;
}

class MurlanParameters : public ::testing::Test {
protected:
    Murlan synth{hostAt48k};
    const MurlanEngine& engine() const { return synth.engine(); }
};

VstMidiEvent noteEvent(unsigned char status, unsigned char key, unsigned char velocity) {
    VstMidiEvent e;
    std::memset(&e, 0, sizeof e);
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(key);
    e.midiData[2] = static_cast<char>(velocity);
    return e;
}

}  // namespace

TEST_F(MurlanParameters, NewInstanceRunsOnTheDefaultPatchAtTheHostRate) {
    EXPECT_EQ(engine().sampleRate(), 48000.0);
    EXPECT_EQ(synth.getSampleRate(), 48000.0f);
    for (int o = 0; o < 3; ++o) {
        EXPECT_EQ(engine().oscillator(o).ratio(), 1.0);
        EXPECT_EQ(engine().oscillator(o).levelGain(), 1.0);
        EXPECT_DOUBLE_EQ(engine().oscillator(o).attackTime(), 0.01);
        EXPECT_DOUBLE_EQ(engine().oscillator(o).releaseTime(), 0.01);
        EXPECT_EQ(engine().oscillator(o).glideTime(), 0.0);
    }
    EXPECT_EQ(engine().mainGain(), std::pow(10.0, -12.5 / 20.0));
    EXPECT_EQ(engine().lfo().wave(), 0);
    EXPECT_EQ(engine().lfo().rate(), 4.0);
    EXPECT_EQ(engine().lfoDepth(), 0.0);
    EXPECT_EQ(engine().bendRange(), 2.0);
    EXPECT_EQ(engine().portaResetSamples(), 96000);
}

TEST_F(MurlanParameters, EngineUsesTheQuantisedShownValues) {
    synth.setParameter(Murlan::kDetune1, 0.503f);  // step 99.594 rounds to 100: 1 cent
    EXPECT_DOUBLE_EQ(engine().oscillator(0).ratio(), std::pow(2.0, 1.0 / 1200.0));
    synth.setParameter(Murlan::kLevel2, 0.5f);  // shows -6.0 dB and sounds like it
    EXPECT_EQ(engine().oscillator(1).levelGain(), 0.5011872336272722);
    synth.setParameter(Murlan::kPartial2, 0.75f);  // step 4 of 5: partial 5
    EXPECT_EQ(engine().oscillator(1).ratio(), 5.0);
    synth.setParameter(Murlan::kLevel3, 0.0f);
    EXPECT_EQ(engine().oscillator(2).levelGain(), 0.0);
    synth.setParameter(Murlan::kLfoWave, 0.2f);
    EXPECT_EQ(engine().lfo().wave(), 1);
    synth.setParameter(Murlan::kLfoDepth, 0.5f);
    EXPECT_EQ(engine().lfoDepth(), 0.5);
    synth.setParameter(Murlan::kPitchBend, 1.0f);
    EXPECT_EQ(engine().bendRange(), 12.0);
    synth.setParameter(Murlan::kPorta3, 0.5f);
    EXPECT_EQ(engine().oscillator(2).glideTime(), 0.5);
}

TEST_F(MurlanParameters, HostValuesOutsideTheUnitRangeAreConfinedForTheEngineOnly) {
    const float inf = std::numeric_limits<float>::infinity();
    synth.setParameter(Murlan::kAttack1, -3.0f);
    EXPECT_DOUBLE_EQ(engine().oscillator(0).attackTime(), 0.01);
    EXPECT_EQ(synth.getParameter(Murlan::kAttack1), -3.0f);
    synth.setParameter(Murlan::kRelease2, 7.0f);
    EXPECT_EQ(engine().oscillator(1).releaseTime(), 2.0);
    synth.setParameter(Murlan::kLevel1, 4.0f);
    EXPECT_EQ(engine().oscillator(0).levelGain(), 1.0);
    synth.setParameter(Murlan::kPartial3, std::nanf(""));
    EXPECT_EQ(engine().oscillator(2).ratio(), 1.0);
    EXPECT_TRUE(std::isnan(synth.getParameter(Murlan::kPartial3)));
    synth.setParameter(Murlan::kLfoWave, inf);
    EXPECT_EQ(engine().lfo().wave(), 5);
    synth.setParameter(Murlan::kLfoFreq, -inf);
    EXPECT_EQ(engine().lfo().rate(), 1.0);
    synth.setParameter(Murlan::kPortaReset, -1.0f);
    EXPECT_EQ(engine().portaResetSamples(), static_cast<std::int64_t>(0.1 * 48000.0));
    synth.setParameter(Murlan::kMainLevel, inf);
    EXPECT_EQ(engine().mainGain(), 1.0);
}

TEST_F(MurlanParameters, NonsenseSampleRatesKeepThePreviousRate) {
    synth.setSampleRate(96000.0f);
    ASSERT_EQ(engine().sampleRate(), 96000.0);
    for (float rate : {0.0f, -44100.0f, std::nanf(""), std::numeric_limits<float>::infinity(), 1e9f, 999.0f}) {
        synth.setSampleRate(rate);
        EXPECT_EQ(engine().sampleRate(), 96000.0) << rate;
        EXPECT_EQ(synth.getSampleRate(), 96000.0f) << rate;
        EXPECT_EQ(engine().oscillator(0).sampleRate(), 96000.0) << rate;
    }
    EXPECT_EQ(engine().portaResetSamples(), 192000);
    synth.setSampleRate(1000.0f);
    EXPECT_EQ(engine().sampleRate(), 1000.0);
    synth.setSampleRate(1e6f);
    EXPECT_EQ(engine().sampleRate(), 1e6);
}

TEST(MurlanSampleRate, NonsenseFromTheHostAtCreationFallsBackTo44100) {
    Murlan synth(hostWithNonsenseRate);
    EXPECT_EQ(synth.engine().sampleRate(), 44100.0);
    EXPECT_EQ(synth.getSampleRate(), 44100.0f);
    EXPECT_EQ(synth.engine().queue().capacity(), 512);
}

TEST_F(MurlanParameters, SampleRateChangeReleasesASoundingNote) {
    synth.processMidiEvent(noteEvent(0x90, 60, 100));
    ASSERT_EQ(engine().oscillator(0).envelope().state(), AREnvelope::Attack);
    synth.setSampleRate(44100.0f);
    EXPECT_EQ(engine().oscillator(0).envelope().state(), AREnvelope::Release);
    EXPECT_TRUE(engine().notes().empty());
}

TEST_F(MurlanParameters, EventListsFromCarelessHostsAreTolerated) {
    EXPECT_EQ(synth.processEvents(nullptr), 1);
    std::vector<VstMidiEvent> store(600, noteEvent(0x90, 60, 100));
    std::vector<VstEvent*> pointers;
    for (VstMidiEvent& e : store) pointers.push_back(reinterpret_cast<VstEvent*>(&e));
    pointers[3] = nullptr;
    std::vector<std::uint64_t> raw(2 + pointers.size());
    VstEvents* events = reinterpret_cast<VstEvents*>(raw.data());
    events->numEvents = static_cast<VstInt32>(pointers.size());
    std::memcpy(events->events, pointers.data(), pointers.size() * sizeof(VstEvent*));
    EXPECT_EQ(synth.processEvents(events), 1);
    EXPECT_EQ(engine().queue().size(), 512);
    events->numEvents = -5;
    EXPECT_EQ(synth.processEvents(events), 1);
    EXPECT_EQ(engine().queue().size(), 0);
}

TEST_F(MurlanParameters, RenderingWithoutAnOutputChannelIsHarmless) {
    double sample = 0.0;
    double* outputs[] = {&sample};
    synth.processDouble(nullptr, 0, nullptr, 1, 64);
    synth.processDouble(nullptr, 0, outputs, 0, 64);
    synth.processDouble(nullptr, 0, outputs, 1, -3);
    EXPECT_EQ(sample, 0.0);
    synth.processDouble(nullptr, 0, outputs, 1, 1);
    EXPECT_GT(sample, 0.0);  // dither only
}

TEST_F(MurlanParameters, SampleRateChangeRestoresTheLfoAndRescalesThePortaReset) {
    synth.setParameter(Murlan::kLfoWave, 0.4f);  // Square
    synth.setParameter(Murlan::kLfoFreq, 7.0f / 31.0f);
    synth.setSampleRate(44100.0f);  // sets the LFO up afresh
    EXPECT_EQ(engine().lfo().wave(), 2);
    EXPECT_EQ(engine().lfo().rate(), 8.0);
    EXPECT_EQ(engine().portaResetSamples(), 88200);
}

TEST_F(MurlanParameters, ProgramChangeBringsEveryQuantityOfTheNewProgram) {
    synth.setProgram(1);
    synth.setParameter(Murlan::kDetune3, 1.0f);
    synth.setParameter(Murlan::kRelease2, 1.0f);
    synth.setParameter(Murlan::kMainLevel, 1.0f);
    ASSERT_EQ(engine().oscillator(1).releaseTime(), 2.0);
    synth.setProgram(0);
    EXPECT_EQ(engine().oscillator(2).ratio(), 1.0);
    EXPECT_DOUBLE_EQ(engine().oscillator(1).releaseTime(), 0.01);
    EXPECT_EQ(engine().mainGain(), std::pow(10.0, -12.5 / 20.0));
    synth.setProgram(1);
    EXPECT_DOUBLE_EQ(engine().oscillator(2).ratio(), std::pow(2.0, 99.0 / 1200.0));
    EXPECT_EQ(engine().mainGain(), 1.0);
}

TEST_F(MurlanParameters, AnyParameterStoreRestartsThePortaResetWait) {
    synth.setParameter(Murlan::kPortaReset, 0.0f);  // 0.1 s: 4800 samples
    std::vector<double> block(1000);
    double* outputs[] = {block.data()};
    synth.processMidiEvent(noteEvent(0x90, 60, 100));
    synth.processMidiEvent(noteEvent(0x80, 60, 0));
    for (int i = 0; i < 4; ++i) synth.processDouble(nullptr, 0, outputs, 1, 1000);
    ASSERT_EQ(engine().portaResetCounter(), 4000);
    synth.setParameter(Murlan::kDetune1, synth.getParameter(Murlan::kDetune1));  // same value
    synth.processDouble(nullptr, 0, outputs, 1, 1000);
    EXPECT_EQ(engine().portaResetCounter(), 1000);
    EXPECT_TRUE(engine().oscillator(0).glideArmed());
}
