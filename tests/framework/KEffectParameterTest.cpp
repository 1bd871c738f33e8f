#include "framework/KEffectParameter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>

using KAMO::KdBParam;
using KAMO::KEnumParam;
using KAMO::KRangeParam;

namespace {

const char* const kWaves[] = {"Sine", "Triangle", "Square", "Rising", "Falling", "Random"};

struct Slot {
    std::atomic<double> value{0.0};
    void* at() { return &value; }
    double get() const { return KAMO::KEffectParameter::readSlot(&value); }
};

std::string display(const KAMO::KEffectParameter& p, double value, bool label = false,
                    int size = 64) {
    Slot slot;
    p.setValue(slot.at(), value);
    char text[64];
    label ? p.getDisplayWithLabel(text, size, slot.at()) : p.getDisplay(text, size, slot.at());
    return text;
}

double afterText(const KAMO::KEffectParameter& p, const char* text, double before = 0.25) {
    Slot slot;
    p.setValue(slot.at(), before);
    p.setFromText(slot.at(), text);
    return slot.get();
}

}  // namespace

TEST(KRangeParam, SnapsToStepsHalfUpAndClampsOnTheWayBack) {
    KRangeParam detune("Detune1", "cents", -99, 99, 198, 0, 0.5);
    EXPECT_EQ(display(detune, 0.5, true), "0 cents");
    EXPECT_DOUBLE_EQ(detune.toReal(0.75), 50.0);
    EXPECT_DOUBLE_EQ(detune.quantise(0.75), 149.0 / 198.0);
    EXPECT_EQ(display(detune, 0.503), "1");
    KRangeParam attack("Attk1", "s", 0.01, 2.0, 199, 2);
    EXPECT_DOUBLE_EQ(attack.toReal(1.0), 2.0);
    EXPECT_EQ(attack.toNormalised(5), 1.0);
    EXPECT_EQ(attack.toNormalised(-1), 0.0);
    EXPECT_EQ(KRangeParam("Plain", "", 0, 1, 0, 3).toReal(0.3), 0.3);
}

TEST(KRangeParam, TextIsClampedButNotSnapped) {
    KRangeParam bend("PtchBend", "semis", 0, 12, 120, 1);
    EXPECT_DOUBLE_EQ(afterText(bend, "3.333"), 3.333 / 12);
    EXPECT_EQ(afterText(bend, "99"), 1.0);
    EXPECT_EQ(afterText(bend, "-inf"), 0.0);
    EXPECT_EQ(afterText(bend, "nan"), 0.0);
    EXPECT_EQ(KRangeParam("Flat", "", 3, 3, 0, 0).toNormalised(3), 0.0);  // not NaN
}

TEST(KdBParam, ShowsDecibelsRoundedToTheDecimals) {
    KdBParam level("Level1", "dB", 1.0, 1, 1.0);
    EXPECT_EQ(display(level, 0.0, true), "-Inf dB");
    EXPECT_DOUBLE_EQ(level.toReal(0.5), -6.0);
    EXPECT_EQ(display(level, 0.23713737056616552), "-12.5");
    EXPECT_EQ(display(KdBParam("Fine", "dB", 1.0, 2), 0.5), "-6.02");
    EXPECT_NEAR(KdBParam("Precise", "dB", 1.0, 20).toReal(0.5), 20 * std::log10(0.5), 1e-12);
    EXPECT_DOUBLE_EQ(KdBParam("Hot", "dB", 2.0, 1).toReal(0.5), 0.0);
}

TEST(KdBParam, TextStoresTheClampedLinearGain) {
    KdBParam level("Level1", "dB", 1.0, 1);
    EXPECT_NEAR(afterText(level, "-6"), 0.501187, 1e-6);
    EXPECT_EQ(afterText(level, "-Inf"), 0.0);
    EXPECT_EQ(afterText(level, "inf"), 1.0);
}

TEST(KEnumParam, NearestChoiceAlwaysWithinTheList) {
    KEnumParam wave("LFOWave", "", kWaves, 6);
    EXPECT_EQ(display(wave, 0.2), "Triangle");
    EXPECT_EQ(wave.toReal(0.1), 1.0);
    EXPECT_EQ(wave.toReal(0.09), 0.0);
    EXPECT_EQ(display(wave, 7.5), "Random");
    EXPECT_EQ(display(wave, -3.0), "Sine");
    EXPECT_EQ(display(wave, NAN), "Sine");
}

TEST(KEnumParam, TextSelectsAChoiceIgnoringCaseOrChangesNothing) {
    KEnumParam wave("LFOWave", "", kWaves, 6);
    EXPECT_DOUBLE_EQ(afterText(wave, "square"), 0.4);
    EXPECT_EQ(afterText(wave, "Sawtooth", 0.8), 0.8);
    EXPECT_EQ(afterText(wave, nullptr, 0.8), 0.8);
    const char* const texts[] = {"A", "abcdefghijklmnopqrstuvwxyz"};
    EXPECT_STREQ(KEnumParam("Long", "", texts, 2).choiceText(1), "abcdefghijklmnopqrst");
}

TEST(KEffectParameter, StoresUnclampedExtrapolatesAndResets) {
    KRangeParam p("P", "", 0, 10, 10, 1, 0.3);
    Slot slot;
    p.setValue(slot.at(), 1.7);
    EXPECT_DOUBLE_EQ(p.getRealValue(slot.at()), 17.0);
    EXPECT_EQ(p.getQuantisedValue(slot.at()), 1.0);
    p.reset(slot.at());
    EXPECT_EQ(slot.get(), 0.3);
}

TEST(KEffectParameter, LabelIsAppendedOnlyWhenPresentAndWithinTheBuffer) {
    EXPECT_EQ(display(KRangeParam("Partial2", "", 1, 6, 5, 0), 0.0, true), "1");
    KRangeParam rate("LFOFreq", "per bar", 1, 32, 31, 0);
    EXPECT_EQ(display(rate, 3.0 / 31, true), "4 per bar");
    EXPECT_EQ(display(rate, 3.0 / 31, true, 5), "4 pe");
    EXPECT_STREQ(KRangeParam("W", "centimetres", 0, 1, 0, 0).label(), "centimet");
}
