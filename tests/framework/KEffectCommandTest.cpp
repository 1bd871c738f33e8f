#include "framework/KEffectCommand.h"
#include "framework/KEffectFeature.h"

#include <gtest/gtest.h>

using namespace KAMO;

TEST(KCommandMgr, CommandsAreFoundByExactNameOnly) {
    KCommandMgr commands;
    commands.setCount(0);
    commands.add(new KEffectCommand("AutoLevel", 0));
    commands.add(new KEffectCommand("PartRnd", 3));
    commands.add(new KEffectCommand("PartRnd", 7));
    EXPECT_EQ(commands.idOf("PartRnd"), 3);
    EXPECT_EQ(commands.find("partrnd"), nullptr);
    EXPECT_EQ(commands.idOf("partrnd"), -1);
    EXPECT_EQ(commands.idOf(nullptr), -1);
    EXPECT_EQ(commands.find("AutoLevel")->id(), 0);
}

namespace {

struct Published {
    double level = 0.25;
    std::int32_t frame = 3;
    KHistory history;
    PtrMgr<KEffectFeature> features;

    Published() {
        features.add(new KDoubleFeature("Level", &level));
        features.add(new KIntFeature("Frame", &frame));
        features.add(new KHistoryFeature("Wave", &history));
        features.add(new KDoubleFeature("Null", &level));
    }
};

} // namespace

TEST(KEffectFeature, ResolvesOnlyWithTheWantedValueType) {
    Published p;
    EXPECT_EQ(resolveFeature<KDoubleFeature>(p.features, "Level"), &p.level);
    EXPECT_EQ(resolveFeature<KIntFeature>(p.features, "Frame"), &p.frame);
    EXPECT_EQ(resolveFeature<KHistoryFeature>(p.features, "Wave"), &p.history);

    EXPECT_EQ(resolveFeature<KIntFeature>(p.features, "Level"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(p.features, "Wave"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(p.features, "level"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(p.features, "Missing"), nullptr);
}

TEST(KEffectFeature, NullInAnyCaseNamesNoFeature) {
    Published p;
    EXPECT_EQ(resolveFeature<KDoubleFeature>(p.features, "Null"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(p.features, "NULL"), nullptr);
    EXPECT_EQ(resolveFeature<KDoubleFeature>(p.features, nullptr), nullptr);
}

TEST(KEffectFeature, ConcreteClassesHaveDistinctTypeHashes) {
    Published p;
    const KEffectFeature* level = p.features.find("Level");
    EXPECT_TRUE(level->isType(KIdBase::hashOf<KDoubleFeature>()));
    EXPECT_FALSE(level->isType(KIdBase::hashOf<KIntFeature>()));
    EXPECT_FALSE(level->isType(KIdBase::hashOf<KEffectFeature>()));
}
