#include "framework/NumberText.h"

#include "xp/CommaLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string format(int decimals, double value, int size = 64) {
    char text[64] = "untouched";
    KAMO::formatNumber(text, size, decimals, value);
    return text;
}

}  // namespace

TEST(NumberText, FormatsInfinitiesByNameAndClampsDecimalsToTwenty) {
    EXPECT_EQ(format(1, -HUGE_VAL), "-Inf");
    EXPECT_EQ(format(1, HUGE_VAL), "Inf");
    EXPECT_EQ(format(25, 0.5), "0.5" + std::string(19, '0'));
    EXPECT_EQ(format(-3, 7.25), "7");
    EXPECT_EQ(format(3, 12.3456, 5), "12.3");
    EXPECT_EQ(format(3, 1.0, 0), "untouched");
}

TEST(NumberText, ValuesThatRoundToZeroFromBelowHaveNoSign) {
    EXPECT_EQ(format(1, -0.04), "0.0");
    EXPECT_EQ(format(1, -0.0), "0.0");
    EXPECT_EQ(format(0, -0.4), "0");
    EXPECT_EQ(format(2, -1e-15), "0.00");
    EXPECT_EQ(format(1, -0.05001), "-0.1");
    EXPECT_EQ(format(0, -10.0), "-10");
    EXPECT_EQ(format(1, -0.04, 3), "0");  // cut short, still no sign
}

TEST(NumberText, ParsesTheDecimalNumberAtTheStart) {
    EXPECT_EQ(KAMO::parseNumber("-inf"), -HUGE_VAL);
    EXPECT_EQ(KAMO::parseNumber("INF"), HUGE_VAL);
    EXPECT_EQ(KAMO::parseNumber("-Inf dB"), -HUGE_VAL);
    EXPECT_DOUBLE_EQ(KAMO::parseNumber("  12.5 dB"), 12.5);
    EXPECT_EQ(KAMO::parseNumber("loud"), 0.0);
    EXPECT_EQ(KAMO::parseNumber(nullptr), 0.0);
}

TEST(NumberText, NotANumberAndHexadecimalReadAsZero) {
    EXPECT_EQ(KAMO::parseNumber("nan"), 0.0);
    EXPECT_EQ(KAMO::parseNumber(" -NaN(1)"), 0.0);
    EXPECT_EQ(KAMO::parseNumber("0x10"), 0.0);
}

TEST(NumberText, PointIsTheSeparatorWhateverTheLocale) {
    CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(format(2, 0.5), "0.50");
    EXPECT_DOUBLE_EQ(KAMO::parseNumber("2.5"), 2.5);
}
