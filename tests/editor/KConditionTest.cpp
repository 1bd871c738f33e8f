#include "EditorTestSupport.h"

#include "editor/KCondition.h"
#include "editor/KEditorCheck.h"

#include <gtest/gtest.h>

using KAMO::KEditorCheck;

TEST(KParamCheck, ComparesThePlainValueOfTheCurrentProgramExactly) {
    EditorTest::TestMurlan effect;
    auto store = [&](const char* name, double v) {
        const int i = effect.findParameter(name);
        effect.parameters().get(i)->setValue(effect.programBank().valueSlot(effect.getProgram(), i),
                                             v);
    };
    // Porta1 runs from 0 to 1 s; LFOWave compares its entry index.
    KAMO::KParamCheck half(&effect, effect.findParameter("Porta1"), KEditorCheck::kEqual, 0.5);
    KAMO::KParamCheck wave(&effect, effect.findParameter("LFOWave"), KEditorCheck::kEqual, 5);
    store("Porta1", 0.5);
    EXPECT_TRUE(half.evaluate());
    store("Porta1", 0.51);
    EXPECT_FALSE(half.evaluate());
    store("LFOWave", 1.0);
    EXPECT_TRUE(wave.evaluate());
    effect.setProgram(1);
    EXPECT_FALSE(wave.evaluate());
}

TEST(KInOutCheck, BothChannelCountsMustMatch) {
    EditorTest::TestMurlan effect;  // no input, one output
    using C = KEditorCheck;
    EXPECT_TRUE(KAMO::KInOutCheck(&effect, C::kEqual, 0, C::kGreaterEqual, 1).evaluate());
    EXPECT_FALSE(KAMO::KInOutCheck(&effect, C::kEqual, 2, C::kGreaterEqual, 1).evaluate());
    EXPECT_FALSE(KAMO::KInOutCheck(&effect, C::kEqual, 0, C::kGreater, 1).evaluate());
    EXPECT_FALSE(KAMO::KOutputCheck(&effect, C::kNotEqual, 1).evaluate());
}

TEST(KConditionSet, HoldsWhenEveryConditionHoldsWithTheElseFlagInverting) {
    KAMO::KOSCheck yes(true), no(false);
    KAMO::KCondition isYes(&yes, false), notNo(&no, true), isNo(&no, false), none(nullptr, false);
    KAMO::KConditionSet set;
    EXPECT_TRUE(set.holds());
    set.toggleElse();
    EXPECT_FALSE(set.holds());
    set.reset();
    for (auto* c : {&isYes, &notNo, &none}) set.add(c);
    EXPECT_TRUE(set.holds());
    set.add(&isNo);
    EXPECT_FALSE(set.holds());
    set.toggleElse();
    KAMO::KConditionSet copy;
    copy.assign(set);
    EXPECT_TRUE(copy.holds());
    EXPECT_EQ(copy.count(), 4);
}
