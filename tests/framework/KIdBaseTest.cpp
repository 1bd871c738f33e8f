#include "framework/KIdBase.h"

#include <gtest/gtest.h>

#include <string>

using KAMO::KIdBase;

TEST(KIdBase, NamesCompareOverTheirFirst35CharactersCaseSensitive) {
    const std::string name35(35, 'x');
    KIdBase object((name35 + "tail").c_str());
    EXPECT_STREQ(object.name(), name35.c_str());
    EXPECT_TRUE(object.isNamed((name35 + "extra").c_str()));

    KIdBase shortName("PartRnd");
    EXPECT_FALSE(shortName.isNamed("PartRndX"));
    EXPECT_FALSE(shortName.isNamed("partrnd"));
    EXPECT_FALSE(shortName.isNamed(nullptr));
}
