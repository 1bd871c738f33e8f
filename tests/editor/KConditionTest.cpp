#include "EditorTestSupport.h"

#include "editor/KCondition.h"
#include "editor/KEditorCheck.h"

#include <gtest/gtest.h>

using KAMO::KCondition;
using KAMO::KConditionSet;
using KAMO::KEditorCheck;

namespace {

// Sets the normalised value of a parameter of the current program.
void store(EditorTest::TestMurlan& effect, const char* name, double value) {
    const int index = effect.findParameter(name);
    ASSERT_GE(index, 0) << name;
    effect.parameters().get(index)->setValue(
        effect.programBank().valueSlot(effect.getProgram(), index), value);
}

} // namespace

TEST(KEditorCheck, OperatorsAreReadFromTheirWordsAndOthersAreInvalid) {
    EXPECT_EQ(KEditorCheck::parseOperator("=="), KEditorCheck::kEqual);
    EXPECT_EQ(KEditorCheck::parseOperator("!="), KEditorCheck::kNotEqual);
    EXPECT_EQ(KEditorCheck::parseOperator(">"), KEditorCheck::kGreater);
    EXPECT_EQ(KEditorCheck::parseOperator("<"), KEditorCheck::kLess);
    EXPECT_EQ(KEditorCheck::parseOperator(">="), KEditorCheck::kGreaterEqual);
    EXPECT_EQ(KEditorCheck::parseOperator("<="), KEditorCheck::kLessEqual);
    EXPECT_EQ(KEditorCheck::parseOperator("="), KEditorCheck::kInvalid);
    EXPECT_EQ(KEditorCheck::parseOperator("=>"), KEditorCheck::kInvalid);
    EXPECT_EQ(KEditorCheck::parseOperator(nullptr), KEditorCheck::kInvalid);
}

TEST(KEditorCheck, ComparisonsPutTheActualValueOnTheLeftAndUnknownCodesHold) {
    EXPECT_TRUE(KEditorCheck::compare(KEditorCheck::kGreater, 2, 1));
    EXPECT_FALSE(KEditorCheck::compare(KEditorCheck::kGreater, 1, 2));
    EXPECT_TRUE(KEditorCheck::compare(KEditorCheck::kLess, 1.0, 2.0));
    EXPECT_TRUE(KEditorCheck::compare(KEditorCheck::kGreaterEqual, 2, 2));
    EXPECT_FALSE(KEditorCheck::compare(KEditorCheck::kNotEqual, 2, 2));
    EXPECT_TRUE(KEditorCheck::compare(KEditorCheck::kInvalid, 1, 2));
    EXPECT_TRUE(KEditorCheck::compare(99, 1.0, 2.0));
}

TEST(KParamCheck, ComparesThePlainValueOfTheCurrentProgramExactly) {
    EditorTest::TestMurlan effect;
    // Porta1 runs from 0 to 1 s in steps of 0.01.
    KAMO::KParamCheck half(&effect, effect.findParameter("Porta1"), KEditorCheck::kEqual, 0.5);
    store(effect, "Porta1", 0.5);
    EXPECT_TRUE(half.evaluate());
    store(effect, "Porta1", 0.51);
    EXPECT_FALSE(half.evaluate());
    store(effect, "Porta1", 0.49);
    EXPECT_FALSE(half.evaluate());

    // An enumerated parameter compares its entry index.
    KAMO::KParamCheck wave(&effect, effect.findParameter("LFOWave"), KEditorCheck::kEqual, 5);
    store(effect, "LFOWave", 1.0);
    EXPECT_TRUE(wave.evaluate());
    effect.setProgram(1);
    store(effect, "LFOWave", 0.0);
    EXPECT_FALSE(wave.evaluate());
}

TEST(KInOutCheck, BothHalvesMustHold) {
    EditorTest::TestMurlan effect;  // no inputs, one output
    ASSERT_EQ(effect.inputChannels(), 0);
    ASSERT_EQ(effect.outputChannels(), 1);
    EXPECT_TRUE(KAMO::KInOutCheck(&effect, KEditorCheck::kEqual, 0, KEditorCheck::kGreaterEqual, 1)
                    .evaluate());
    EXPECT_FALSE(KAMO::KInOutCheck(&effect, KEditorCheck::kEqual, 2, KEditorCheck::kGreaterEqual, 1)
                     .evaluate());
    EXPECT_FALSE(KAMO::KInOutCheck(&effect, KEditorCheck::kEqual, 0, KEditorCheck::kGreater, 1)
                     .evaluate());
    EXPECT_TRUE(KAMO::KInputCheck(&effect, KEditorCheck::kLess, 1).evaluate());
    EXPECT_FALSE(KAMO::KOutputCheck(&effect, KEditorCheck::kNotEqual, 1).evaluate());
}

TEST(KConditionSet, HoldsWhenEveryConditionHoldsWithTheElseFlagInverting) {
    KAMO::KOSCheck yes(true);
    KAMO::KOSCheck no(false);
    KCondition isYes(&yes, false);
    KCondition notNo(&no, true);
    KCondition isNo(&no, false);
    KCondition noCheck(nullptr, false);

    KConditionSet set;
    EXPECT_TRUE(set.holds());
    set.setElse(true);
    EXPECT_FALSE(set.holds());
    set.reset();

    set.add(&isYes);
    set.add(&notNo);
    set.add(&noCheck);
    EXPECT_TRUE(set.holds());
    set.add(&isNo);
    EXPECT_FALSE(set.holds());
    set.toggleElse();
    EXPECT_TRUE(set.holds());

    KConditionSet copy;
    copy.assign(set);
    EXPECT_EQ(copy.count(), 4);
    EXPECT_TRUE(copy.isElse());
    EXPECT_EQ(copy.get(0), &isYes);
}
