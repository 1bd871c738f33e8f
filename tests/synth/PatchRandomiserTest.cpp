// The patch commands on a live instrument: auto level figures, what the
// randomisations keep and the constraints of the tuneful one.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "synth/Murlan.h"
#include "synth/MwcRandom.h"
#include "synth/PatchRandomiser.h"

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetSampleRate) return 44100;
    return 0;
}

class PatchCommands : public ::testing::Test {
protected:
    void SetUp() override { saved_ = MwcRandom::state(); }
    void TearDown() override { MwcRandom::setState(saved_); }

    double stored(int index) {
        double v;
        std::memcpy(&v, synth.programBank().valueSlot(synth.getProgram(), index), sizeof v);
        return v;
    }
    double real(int index) {
        return synth.parameter(index)->getRealValue(synth.programBank().valueSlot(synth.getProgram(), index));
    }
    std::string shown(int index) { return synth.programBank().valueText(synth.getProgram(), index); }
    std::vector<double> program() {
        std::vector<double> values;
        for (int i = 0; i < Murlan::kParameterCount; ++i) values.push_back(stored(i));
        return values;
    }
    // What auto level makes of the current levels.
    double expectedMainLevel() {
        auto gain = [&](int index) { return std::pow(10.0, real(index) / 20.0); };
        return PatchRandomiser::autoLevelGain(gain(Murlan::kLevel1), gain(Murlan::kLevel2), gain(Murlan::kLevel3));
    }

    Murlan synth{host};
    MwcRandom::State saved_{};
};

}  // namespace

TEST_F(PatchCommands, AutoLevelKeepsTheWorstCaseMixAtMinusThreeDecibels) {
    synth.setParameter(Murlan::kLevel2, 0.5f);  // -6.0 dB
    synth.setParameter(Murlan::kLevel3, 0.0f);  // -inf
    synth.executeCommand(Murlan::kAutoLevel, false, false);
    EXPECT_EQ(stored(Murlan::kMainLevel), 0.47159059744569665);
    EXPECT_EQ(shown(Murlan::kMainLevel), "-6.5");
    EXPECT_EQ(synth.engine().mainGain(), std::pow(10.0, -6.5 / 20.0));
}

TEST_F(PatchCommands, AutoLevelNeverRaisesTheMainLevelAboveZeroDecibels) {
    for (int index : {Murlan::kLevel1, Murlan::kLevel2, Murlan::kLevel3})
        synth.setParameterReal(index, -20.0);
    synth.executeCommand(Murlan::kAutoLevel, false, false);
    EXPECT_EQ(stored(Murlan::kMainLevel), 1.0);
    EXPECT_EQ(shown(Murlan::kMainLevel), "0.0");
    // All silent: nothing to balance, 0 dB as well.
    for (int index : {Murlan::kLevel1, Murlan::kLevel2, Murlan::kLevel3}) synth.setParameter(index, 0.0f);
    synth.setParameter(Murlan::kMainLevel, 0.1f);
    synth.executeCommand(Murlan::kAutoLevel, false, false);
    EXPECT_EQ(stored(Murlan::kMainLevel), 1.0);
}

TEST_F(PatchCommands, FullRandomKeepsPortaResetAndBendRangeAndLevelsTheResult) {
    synth.setParameter(Murlan::kPortaReset, 0.123456789f);
    synth.setParameter(Murlan::kPitchBend, 0.987654321f);
    const std::vector<double> before = program();
    synth.executeCommand(Murlan::kFullRandom, false, false);
    EXPECT_EQ(stored(Murlan::kPortaReset), static_cast<double>(0.123456789f));
    EXPECT_EQ(stored(Murlan::kPitchBend), static_cast<double>(0.987654321f));
    const std::vector<double> after = program();
    int changed = 0;
    for (int i = 0; i < Murlan::kParameterCount; ++i) changed += after[i] != before[i] ? 1 : 0;
    EXPECT_GE(changed, 20);
    EXPECT_EQ(stored(Murlan::kMainLevel), expectedMainLevel());
}

TEST_F(PatchCommands, PartRandomStaysWithinItsTunefulConstraints) {
    synth.setParameter(Murlan::kPortaReset, 0.3f);
    synth.setParameter(Murlan::kPitchBend, 0.7f);
    int partial2Count[7] = {};
    const int runs = 600;
    for (int run = 0; run < runs; ++run) {
        synth.executeCommand(Murlan::kPartRandom, false, false);
        ASSERT_EQ(stored(Murlan::kPortaReset), static_cast<double>(0.3f));
        ASSERT_EQ(stored(Murlan::kPitchBend), static_cast<double>(0.7f));
        ASSERT_EQ(shown(Murlan::kLevel1), "0.0");
        const double p2 = real(Murlan::kPartial2);
        const double p3 = real(Murlan::kPartial3);
        ASSERT_GE(p2, 2.0);
        ASSERT_LE(p2, 5.0);
        ASSERT_GT(p3, p2);
        ASSERT_LE(p3, 6.0);
        ++partial2Count[static_cast<int>(p2)];
        for (int index : {Murlan::kDetune1, Murlan::kDetune2, Murlan::kDetune3}) {
            ASSERT_GE(real(index), -10.0);
            ASSERT_LE(real(index), 10.0);
        }
        for (int index : {Murlan::kAttack1, Murlan::kAttack2, Murlan::kAttack3}) ASSERT_LE(real(index), 0.5);
        for (int index : {Murlan::kRelease1, Murlan::kRelease2, Murlan::kRelease3}) ASSERT_GE(real(index), 0.1 - 1e-12);
        for (int index : {Murlan::kPorta1, Murlan::kPorta2, Murlan::kPorta3}) ASSERT_LE(real(index), 0.25);
        for (int index : {Murlan::kLevel2, Murlan::kLevel3}) {
            ASSERT_GE(real(index), -12.0);
            ASSERT_LE(real(index), 0.0);
        }
        ASSERT_EQ(stored(Murlan::kMainLevel), expectedMainLevel());
    }
    // Rounding intervals: 2 and 5 half as likely as 3 and 4.
    EXPECT_NEAR(partial2Count[2] / double(runs), 1.0 / 6.0, 0.06);
    EXPECT_NEAR(partial2Count[3] / double(runs), 1.0 / 3.0, 0.07);
    EXPECT_NEAR(partial2Count[4] / double(runs), 1.0 / 3.0, 0.07);
    EXPECT_NEAR(partial2Count[5] / double(runs), 1.0 / 6.0, 0.06);
}

TEST_F(PatchCommands, RandomCommandIsPartRandomWithShiftAndFullRandomWithout) {
    auto after = [&](int id, bool shift) {
        MwcRandom::setState(MwcRandom::kInitialState);
        synth.programBank().resetPrograms();
        synth.executeCommand(id, shift, false);
        return program();
    };
    const std::vector<double> part = after(Murlan::kPartRandom, false);
    const std::vector<double> full = after(Murlan::kFullRandom, false);
    ASSERT_NE(part, full);
    EXPECT_EQ(after(Murlan::kRandom, true), part);
    EXPECT_EQ(after(Murlan::kRandom, false), full);
    EXPECT_EQ(after(Murlan::kRandom, true), after(Murlan::kPartRandom, true)) << "ctrl and shift are ignored";
}

TEST_F(PatchCommands, UnknownCommandsAndOtherProgramsAreLeftAlone) {
    const std::vector<double> before = program();
    synth.executeCommand(4, true, true);
    synth.executeCommand(-1, false, false);
    EXPECT_EQ(program(), before);
    synth.executeCommand(Murlan::kFullRandom, false, false);
    synth.setProgram(1);
    EXPECT_EQ(program(), before);
}
