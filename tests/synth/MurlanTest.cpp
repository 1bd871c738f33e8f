// The instrument in-process: how the current program reaches the engine,
// how host nonsense is confined, and the patch commands.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "synth/Murlan.h"
#include "synth/MwcRandom.h"
#include "synth/PatchRandomiser.h"

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterGetSampleRate ? 48000 : 0;
}
VstIntPtr hostWithNonsenseRate(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterGetSampleRate ? 1 : 0;
}

const float kInf = std::numeric_limits<float>::infinity();

class MurlanTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = MwcRandom::state(); }
    void TearDown() override { MwcRandom::setState(saved_); }

    const MurlanEngine& engine() const { return synth.engine(); }
    const SineOsc& osc(int i) const { return synth.engine().oscillator(i); }
    void* slot(int index) { return synth.programBank().valueSlot(synth.getProgram(), index); }
    double stored(int index) { return KAMO::KEffectParameter::readSlot(slot(index)); }
    double real(int index) { return synth.parameter(index)->getRealValue(slot(index)); }
    std::string shown(int index) {
        return synth.programBank().valueText(synth.getProgram(), index);
    }
    std::vector<double> program() {
        std::vector<double> values;
        for (int i = 0; i < Murlan::kParameterCount; ++i) values.push_back(stored(i));
        return values;
    }
    double autoLevelOfCurrentLevels() {
        auto gain = [&](int index) { return std::pow(10.0, real(index) / 20.0); };
        return PatchRandomiser::autoLevelGain(gain(Murlan::kLevel1), gain(Murlan::kLevel2),
                                              gain(Murlan::kLevel3));
    }
    void midi(unsigned char status, unsigned char key, unsigned char velocity) {
        VstMidiEvent e;
        std::memset(&e, 0, sizeof e);
        e.type = kVstMidiType;
        e.midiData[0] = static_cast<char>(status);
        e.midiData[1] = static_cast<char>(key);
        e.midiData[2] = static_cast<char>(velocity);
        synth.processMidiEvent(e);
    }

    Murlan synth{host};
    MwcRandom::State saved_{};
};

}  // namespace

TEST_F(MurlanTest, EngineRunsOnTheShownValuesOfTheCurrentProgram) {
    EXPECT_EQ(engine().mainGain(), std::pow(10.0, -12.5 / 20.0));
    EXPECT_EQ(engine().lfo().rate(), 4.0);
    EXPECT_EQ(engine().portaResetSamples(), 96000);  // 2.0 s at 48 kHz
    synth.setParameter(Murlan::kDetune1, 0.503f);    // step 99.594 rounds to 1 cent
    EXPECT_DOUBLE_EQ(osc(0).ratio(), std::pow(2.0, 1.0 / 1200.0));
    synth.setParameter(Murlan::kLevel2, 0.5f);  // shows -6.0 dB: sounds -6.0 dB
    EXPECT_EQ(osc(1).levelGain(), 0.5011872336272722);
    synth.setParameter(Murlan::kPartial2, 0.75f);
    EXPECT_EQ(osc(1).ratio(), 5.0);
    synth.setParameter(Murlan::kAttack3, 1.0f);
    EXPECT_EQ(osc(2).attackTime(), 2.0);
    synth.setParameter(Murlan::kLfoDepth, 0.5f);
    EXPECT_EQ(engine().lfoDepth(), 0.5);
    synth.setProgram(1);
    EXPECT_EQ(osc(1).ratio(), 1.0);
    EXPECT_EQ(engine().lfoDepth(), 0.0);
}

TEST_F(MurlanTest, EachOscillatorsParametersReachThatOscillatorOnly) {
    for (int o = 0; o < MurlanEngine::kOscillators; ++o) {
        Murlan fresh(host);
        const Murlan::OscillatorParameters& p = Murlan::kOscillatorParameters[o];
        if (p.partial != Murlan::kNoPartial) fresh.setParameter(p.partial, 1.0f);
        for (int index : {p.detune, p.attack, p.release, p.porta}) fresh.setParameter(index, 1.0f);
        fresh.setParameter(p.level, 0.5f);
        for (int k = 0; k < MurlanEngine::kOscillators; ++k) {
            const SineOsc& osc = fresh.engine().oscillator(k);
            const bool mine = k == o;
            const double partial = mine && p.partial != Murlan::kNoPartial ? 6.0 : 1.0;
            const double ratio = mine ? partial * std::pow(2.0, 99.0 / 1200.0) : 1.0;
            EXPECT_DOUBLE_EQ(osc.ratio(), ratio) << o << k;
            EXPECT_EQ(osc.attackTime(), mine ? 2.0 : 0.01) << o << k;
            EXPECT_EQ(osc.releaseTime(), mine ? 2.0 : 0.01) << o << k;
            EXPECT_EQ(osc.glideTime(), mine ? 1.0 : 0.0) << o << k;
            EXPECT_EQ(osc.levelGain(), mine ? 0.5011872336272722 : 1.0) << o << k;
        }
    }
}

TEST_F(MurlanTest, HostValuesOutsideTheUnitRangeAreConfinedForTheEngineOnly) {
    synth.setParameter(Murlan::kAttack1, -3.0f);
    EXPECT_DOUBLE_EQ(osc(0).attackTime(), 0.01);
    EXPECT_EQ(synth.getParameter(Murlan::kAttack1), -3.0f);
    synth.setParameter(Murlan::kRelease2, 7.0f);
    EXPECT_EQ(osc(1).releaseTime(), 2.0);
    synth.setParameter(Murlan::kLevel1, 4.0f);
    EXPECT_EQ(osc(0).levelGain(), 1.0);
    synth.setParameter(Murlan::kPartial3, std::nanf(""));
    EXPECT_EQ(osc(2).ratio(), 1.0);
    synth.setParameter(Murlan::kLfoWave, kInf);
    EXPECT_EQ(engine().lfo().wave(), 5);
    synth.setParameter(Murlan::kLfoFreq, -kInf);
    EXPECT_EQ(engine().lfo().rate(), 1.0);
}

TEST_F(MurlanTest, NoShownValueIsANegativeZero) {
    auto negativeZero = [](const std::string& t) {
        return t.size() > 1 && t[0] == '-' && t.find_first_not_of("0.", 1) == std::string::npos;
    };
    for (int i = 0; i < Murlan::kParameterCount; ++i)
        for (int k = 0; k <= 20000; ++k) {
            synth.setParameter(i, static_cast<float>(k / 20000.0));
            ASSERT_FALSE(negativeZero(shown(i))) << shown(i) << " for " << i << " at " << k;
        }
    // Seen in a host: just below 0 dB, set and typed.
    synth.setParameter(Murlan::kLevel1, 0.999f);
    EXPECT_EQ(shown(Murlan::kLevel1), "0.0");
    char typed[] = "-0.04";
    synth.string2parameter(Murlan::kMainLevel, typed);
    EXPECT_EQ(shown(Murlan::kMainLevel), "0.0");
    const int program = synth.getProgram();
    EXPECT_STREQ(synth.programBank().labelledText(program, Murlan::kMainLevel), "0.0 dB");
}

TEST_F(MurlanTest, TextsShowTheConfinedValueThatSounds) {
    synth.setParameter(Murlan::kLevel1, 2.0f);
    EXPECT_EQ(shown(Murlan::kLevel1), "0.0");
    EXPECT_STREQ(synth.programBank().labelledText(synth.getProgram(), Murlan::kLevel1), "0.0 dB");
    EXPECT_EQ(synth.engineGain(Murlan::kLevel1), 1.0);
    EXPECT_EQ(synth.getParameter(Murlan::kLevel1), 2.0f);  // kept as the host stored it
    synth.setParameter(Murlan::kDetune1, std::nanf(""));
    EXPECT_EQ(shown(Murlan::kDetune1), "-99");
    synth.setParameter(Murlan::kAttack2, -1.0f);
    EXPECT_EQ(shown(Murlan::kAttack2), "0.01");
    synth.setParameter(Murlan::kLfoWave, kInf);
    EXPECT_EQ(shown(Murlan::kLfoWave), "Random");
    char text[KAMO::KEffect::kDisplayLength];
    synth.setParameter(Murlan::kMainLevel, -kInf);
    synth.getParameterDisplay(Murlan::kMainLevel, text);
    EXPECT_STREQ(text, "-Inf");
}

TEST_F(MurlanTest, NonsenseSampleRatesKeepThePreviousRateAndValidOnesReset) {
    midi(0x90, 60, 100);
    synth.setParameter(Murlan::kLfoWave, 0.4f);
    synth.setSampleRate(96000.0f);
    EXPECT_EQ(osc(0).envelope().state(), AREnvelope::Release) << "a change of rate releases";
    EXPECT_EQ(engine().lfo().wave(), 2) << "the LFO set-up is followed by the program's values";
    EXPECT_EQ(engine().portaResetSamples(), 192000);
    for (float rate : {0.0f, -44100.0f, std::nanf(""), kInf, 1e9f, 999.0f}) {
        synth.setSampleRate(rate);
        EXPECT_EQ(engine().sampleRate(), 96000.0) << rate;
        EXPECT_EQ(synth.getSampleRate(), 96000.0f) << rate;
    }
    Murlan fresh(hostWithNonsenseRate);
    EXPECT_EQ(fresh.engine().sampleRate(), 44100.0);
}

TEST_F(MurlanTest, AnyParameterStoreRestartsThePortaResetWait) {
    synth.setParameter(Murlan::kPortaReset, 0.0f);  // 0.1 s
    std::vector<double> out(1000);
    double* outputs[] = {out.data()};
    midi(0x90, 60, 100);
    midi(0x80, 60, 0);
    for (int i = 0; i < 4; ++i) synth.processDouble(nullptr, 0, outputs, 1, 1000);
    synth.setParameter(Murlan::kDetune1, synth.getParameter(Murlan::kDetune1));  // no change
    synth.processDouble(nullptr, 0, outputs, 1, 1000);
    EXPECT_EQ(engine().portaResetCounter(), 1000);
}

TEST_F(MurlanTest, EventListsAreCappedAndCarelessOnesAndMissingOutputsTolerated) {
    EXPECT_EQ(synth.processEvents(nullptr), 1);
    VstMidiEvent note;
    std::memset(&note, 0, sizeof note);
    note.type = kVstMidiType;
    std::vector<std::uint64_t> raw(2 + 600, reinterpret_cast<std::uint64_t>(&note));
    raw[2 + 3] = 0;  // a null event pointer
    VstEvents* events = reinterpret_cast<VstEvents*>(raw.data());
    events->numEvents = 600;
    EXPECT_EQ(synth.processEvents(events), 1);
    EXPECT_EQ(engine().queue().size(), 512) << "the first 512 are queued";
    note.type = 6;  // not MIDI
    events->numEvents = 4;
    synth.processEvents(events);
    EXPECT_EQ(engine().queue().size(), 0);
    double sample = 0.0;
    double* outputs[] = {&sample};
    synth.processDouble(nullptr, 0, nullptr, 1, 64);
    synth.processDouble(nullptr, 0, outputs, 0, 64);
    EXPECT_EQ(sample, 0.0);
}

TEST_F(MurlanTest, AutoLevelPutsTheWorstCaseMixAtMinusThreeDecibelsAndNeverAboveZero) {
    synth.setParameter(Murlan::kLevel2, 0.5f);  // -6.0 dB
    synth.setParameter(Murlan::kLevel3, 0.0f);  // -inf
    synth.executeCommand(Murlan::kAutoLevel, false, false);
    EXPECT_EQ(stored(Murlan::kMainLevel), 0.47159059744569665);
    EXPECT_EQ(shown(Murlan::kMainLevel), "-6.5");
    EXPECT_EQ(engine().mainGain(), std::pow(10.0, -6.5 / 20.0));
    for (int index : {Murlan::kLevel1, Murlan::kLevel2, Murlan::kLevel3})
        synth.setParameterReal(index, -20.0);
    synth.executeCommand(Murlan::kAutoLevel, false, false);
    EXPECT_EQ(shown(Murlan::kMainLevel), "0.0");
    EXPECT_EQ(PatchRandomiser::autoLevelGain(0.0, 0.0, 0.0), 1.0);
}

TEST_F(MurlanTest, FullRandomKeepsPortaResetAndBendRangeAndEndsLevelled) {
    const std::vector<double> defaults = program();
    synth.setParameter(Murlan::kPortaReset, 0.123456789f);
    synth.setParameter(Murlan::kPitchBend, 0.987654321f);
    const std::vector<double> before = program();
    synth.executeCommand(Murlan::kFullRandom, false, false);
    EXPECT_EQ(stored(Murlan::kPortaReset), static_cast<double>(0.123456789f));
    EXPECT_EQ(stored(Murlan::kPitchBend), static_cast<double>(0.987654321f));
    EXPECT_NE(stored(Murlan::kDetune1), before[Murlan::kDetune1]);
    EXPECT_EQ(stored(Murlan::kMainLevel), autoLevelOfCurrentLevels());
    synth.setProgram(1);
    EXPECT_EQ(program(), defaults) << "other programs are untouched";
}

TEST_F(MurlanTest, PartRandomStaysWithinItsTunefulConstraints) {
    synth.setParameter(Murlan::kPortaReset, 0.3f);
    synth.setParameter(Murlan::kPitchBend, 0.7f);
    int partial2[7] = {};
    const int runs = 600;
    for (int run = 0; run < runs; ++run) {
        synth.executeCommand(Murlan::kPartRandom, false, false);
        ASSERT_EQ(stored(Murlan::kPortaReset), static_cast<double>(0.3f));
        ASSERT_EQ(stored(Murlan::kPitchBend), static_cast<double>(0.7f));
        ASSERT_EQ(shown(Murlan::kLevel1), "0.0");
        ASSERT_GT(real(Murlan::kPartial3), real(Murlan::kPartial2));
        ASSERT_LE(real(Murlan::kPartial3), 6.0);
        ++partial2[static_cast<int>(real(Murlan::kPartial2))];
        for (int index : {Murlan::kDetune1, Murlan::kDetune2, Murlan::kDetune3})
            ASSERT_LE(std::fabs(real(index)), 10.0);
        for (int index : {Murlan::kAttack1, Murlan::kAttack2, Murlan::kAttack3})
            ASSERT_LE(real(index), 0.5);
        for (int index : {Murlan::kPorta1, Murlan::kPorta2, Murlan::kPorta3})
            ASSERT_LE(real(index), 0.25);
        for (int index : {Murlan::kLevel2, Murlan::kLevel3}) ASSERT_GE(real(index), -12.0);
        ASSERT_EQ(stored(Murlan::kMainLevel), autoLevelOfCurrentLevels());
    }
    // Partial 2 is 2 .. 5, the ends half as likely as 3 and 4.
    EXPECT_EQ(partial2[0] + partial2[1] + partial2[6], 0);
    EXPECT_NEAR(partial2[2] / double(runs), 1.0 / 6.0, 0.06);
    EXPECT_NEAR(partial2[3] / double(runs), 1.0 / 3.0, 0.07);
}

TEST_F(MurlanTest, RandomIsPartRandomWithShiftAndFullRandomWithout) {
    auto after = [&](int id, bool shift, bool ctrl = false) {
        MwcRandom::setState(MwcRandom::kInitialState);
        synth.programBank().resetPrograms();
        synth.executeCommand(id, shift, ctrl);
        return program();
    };
    const std::vector<double> part = after(Murlan::kPartRandom, false);
    const std::vector<double> full = after(Murlan::kFullRandom, false);
    ASSERT_NE(part, full);
    EXPECT_EQ(after(Murlan::kRandom, true), part);
    EXPECT_EQ(after(Murlan::kRandom, false, true), full);
    synth.programBank().resetPrograms();
    const std::vector<double> defaults = program();
    EXPECT_EQ(after(4, true, true), defaults) << "unknown ids change nothing";
}
