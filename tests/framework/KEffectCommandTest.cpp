#include "framework/KEffectCommand.h"
#include "framework/KEffectFeature.h"

#include <gtest/gtest.h>

using namespace KAMO;

TEST(KCommandMgr, CommandsAreFoundByExactNameFirstOneWinning) {
    KCommandMgr commands;
    commands.add(new KEffectCommand("AutoLevel", 0));
    commands.add(new KEffectCommand("PartRnd", 3));
    commands.add(new KEffectCommand("PartRnd", 7));
    EXPECT_EQ(commands.idOf("PartRnd"), 3);
    EXPECT_EQ(commands.idOf("partrnd"), -1);
    EXPECT_EQ(commands.idOf(nullptr), -1);
}

TEST(KEffectFeature, ResolvesOnlyByExactNameWithTheWantedValueType) {
    double level = 0.25;
    std::int32_t frame = 3;
    KHistory history;
    PtrMgr<KEffectFeature> features;
    features.add(new KDoubleFeature("Level", &level));
    features.add(new KIntFeature("Frame", &frame));
    features.add(new KHistoryFeature("Wave", &history));
    features.add(new KDoubleFeature("Null", &level));

    EXPECT_EQ(resolveFeature<KDoubleFeature>(features, "Level"), &level);
    EXPECT_EQ(resolveFeature<KIntFeature>(features, "Frame"), &frame);
    EXPECT_EQ(resolveFeature<KHistoryFeature>(features, "Wave"), &history);
    EXPECT_EQ(resolveFeature<KIntFeature>(features, "Level"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(features, "Wave"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(features, "level"), nullptr);
    // "Null" in any case means none, even if a feature is called that.
    EXPECT_EQ(resolveFeature<KDoubleFeature>(features, "NULL"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(features, "Null"), nullptr);
}
