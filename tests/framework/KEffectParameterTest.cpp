#include "framework/KEffectParameter.h"
#include "framework/PtrList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using KAMO::KdBParam;
using KAMO::KEnumParam;
using KAMO::KRangeParam;

namespace {

const char* const kWaves[] = {"Sine", "Triangle", "Square", "Rising", "Falling", "Random"};

// A value slot deliberately placed at an odd address, as inside a packed
// program record.
struct Slot {
    unsigned char bytes[16] = {};
    void* at() { return bytes + 1; }
    double get() const { return KAMO::KEffectParameter::readSlot(bytes + 1); }
};

std::string display(const KAMO::KEffectParameter& p, double value, bool withLabel = false,
                    int size = 64) {
    Slot slot;
    p.setValue(slot.at(), value);
    char text[64];
    std::memset(text, '#', sizeof(text));
    if (withLabel)
        p.getDisplayWithLabel(text, size, slot.at());
    else
        p.getDisplay(text, size, slot.at());
    return text;
}

double afterText(const KAMO::KEffectParameter& p, const char* text, double before = 0.25) {
    Slot slot;
    p.setValue(slot.at(), before);
    p.setFromText(slot.at(), text);
    return slot.get();
}

} // namespace

TEST(KRangeParam, DetuneSnapsToWholeCents) {
    KRangeParam detune("Detune1", "cents", -99, 99, 198, 0, 0.5);
    EXPECT_EQ(display(detune, 0.5), "0");
    EXPECT_EQ(display(detune, 0.5, true), "0 cents");
    EXPECT_DOUBLE_EQ(detune.toReal(0.75), 50.0);
    EXPECT_DOUBLE_EQ(detune.quantise(0.75), 149.0 / 198.0);
    EXPECT_EQ(display(detune, 0.503), "1");
}

TEST(KRangeParam, EndsMapExactlyAndRealValuesAreClamped) {
    KRangeParam attack("Attk1", "s", 0.01, 2.0, 199, 2);
    EXPECT_DOUBLE_EQ(attack.toReal(1.0), 2.0);
    EXPECT_DOUBLE_EQ(attack.toReal(0.0), 0.01);
    EXPECT_EQ(attack.toNormalised(5), 1.0);
    EXPECT_EQ(attack.toNormalised(-1), 0.0);
    EXPECT_EQ(attack.toNormalised(NAN), 0.0);
}

TEST(KRangeParam, WithoutStepsNothingSnaps) {
    KRangeParam plain("Plain", "", 0, 1, 0, 3);
    EXPECT_EQ(plain.toReal(0.3), 0.3);
}

TEST(KRangeParam, TextIsClampedButNotSnappedUntilRead) {
    KRangeParam bend("PtchBend", "semis", 0, 12, 120, 1);
    EXPECT_DOUBLE_EQ(afterText(bend, "3.333"), 3.333 / 12);
    EXPECT_EQ(afterText(bend, "99"), 1.0);
    EXPECT_EQ(afterText(bend, "inf"), 1.0);
    EXPECT_EQ(afterText(bend, "-inf"), 0.0);
    EXPECT_EQ(afterText(bend, "nan"), 0.0);
}

TEST(KRangeParam, EmptyRangeAnswersZeroRatherThanNotANumber) {
    KRangeParam flat("Flat", "", 3, 3, 0, 0);
    EXPECT_EQ(flat.toNormalised(3), 0.0);
    EXPECT_EQ(flat.toReal(0.7), 3.0);
}

TEST(KdBParam, ShowsRoundedDecibelsAndMinusInfinity) {
    KdBParam level("Level1", "dB", 1.0, 1, 1.0);
    EXPECT_EQ(display(level, 1.0), "0.0");
    EXPECT_EQ(display(level, 0.0), "-Inf");
    EXPECT_EQ(display(level, 0.0, true), "-Inf dB");
    EXPECT_EQ(display(level, 0.5), "-6.0");
    EXPECT_DOUBLE_EQ(level.toReal(0.5), -6.0);
    EXPECT_EQ(display(KdBParam("MainLvl", "dB", 1.0, 1), 0.23713737056616552), "-12.5");
    EXPECT_EQ(display(KdBParam("Fine", "dB", 1.0, 2), 0.5), "-6.02");
}

TEST(KdBParam, TextStoresTheLinearGain) {
    KdBParam level("Level1", "dB", 1.0, 1);
    EXPECT_NEAR(afterText(level, "-6"), 0.501187, 1e-6);
    EXPECT_EQ(afterText(level, "-Inf"), 0.0);
    EXPECT_EQ(afterText(level, "INF"), 1.0);
    EXPECT_EQ(afterText(level, "+12"), 1.0);
}

TEST(KdBParam, ManyDecimalsRoundWithoutOverflow) {
    KdBParam precise("Precise", "dB", 1.0, 20);
    EXPECT_NEAR(precise.toReal(0.5), 20 * std::log10(0.5), 1e-12);
}

TEST(KdBParam, ReferenceScalesTheMapping) {
    KdBParam hot("Hot", "dB", 2.0, 1);
    EXPECT_DOUBLE_EQ(hot.toReal(0.5), 0.0);
    EXPECT_DOUBLE_EQ(hot.toNormalised(0.0), 0.5);
}

TEST(KEnumParam, NearestChoiceWithHalfRoundingUp) {
    KEnumParam wave("LFOWave", "", kWaves, 6);
    EXPECT_EQ(display(wave, 0.2), "Triangle");
    EXPECT_EQ(wave.toReal(0.1), 1.0);
    EXPECT_EQ(wave.toReal(0.09), 0.0);
    EXPECT_DOUBLE_EQ(afterText(wave, "square"), 0.4);
    EXPECT_EQ(afterText(wave, "Sawtooth", 0.8), 0.8);
    EXPECT_EQ(afterText(wave, nullptr, 0.8), 0.8);
}

TEST(KEnumParam, StoredValuesOutsideTheUnitRangeStillNameAChoice) {
    KEnumParam wave("LFOWave", "", kWaves, 6);
    EXPECT_EQ(display(wave, 7.5), "Random");
    EXPECT_EQ(display(wave, -3.0), "Sine");
    EXPECT_EQ(display(wave, NAN), "Sine");
    EXPECT_EQ(wave.toReal(1e300), 5.0);
}

TEST(KEnumParam, LongChoiceNamesAreKeptToTwentyCharacters) {
    const char* const texts[] = {"A", "abcdefghijklmnopqrstuvwxyz"};
    KEnumParam p("Long", "", texts, 2);
    EXPECT_STREQ(p.choiceText(1), "abcdefghijklmnopqrst");
    EXPECT_STREQ(p.choiceText(2), "");
    EXPECT_EQ(display(p, 1.0, false, 6), "abcde");
}

TEST(KEffectParameter, ValuesAreStoredUnclampedAndResetToTheDefault) {
    KRangeParam p("P", "", 0, 10, 10, 1, 0.3);
    Slot slot;
    p.setValue(slot.at(), 1.7);
    EXPECT_EQ(p.getValue(slot.at()), 1.7);
    EXPECT_DOUBLE_EQ(p.getRealValue(slot.at()), 17.0);
    EXPECT_EQ(p.getQuantisedValue(slot.at()), 1.0);
    p.reset(slot.at());
    EXPECT_EQ(slot.get(), 0.3);
    p.setDefaultReal(5.0);
    EXPECT_EQ(p.getDefault(), 0.5);
    p.setRealValue(slot.at(), 2.0);
    EXPECT_DOUBLE_EQ(slot.get(), 0.2);
}

TEST(KEffectParameter, LabelIsAppendedOnlyWhenPresentAndWithinTheBuffer) {
    KRangeParam bare("Partial2", "", 1, 6, 5, 0);
    EXPECT_EQ(display(bare, 0.0, true), "1");
    KRangeParam rate("LFOFreq", "per bar", 1, 32, 31, 0);
    EXPECT_EQ(display(rate, 3.0 / 31, true), "4 per bar");
    EXPECT_EQ(display(rate, 3.0 / 31, true, 5), "4 pe");
    KRangeParam wordy("Wordy", "centimetres", 0, 1, 0, 0);
    EXPECT_STREQ(wordy.label(), "centimet");
}

TEST(KEffectParameter, OwningListDeletesThroughTheBase) {
    KAMO::PtrMgr<const KAMO::KEffectParameter> list;
    list.add(new KEnumParam("LFOWave", "", kWaves, 6));
    list.add(new KdBParam("Level1", "dB", 1.0, 1));
    EXPECT_EQ(list.find("Level1"), list.get(1));
    EXPECT_TRUE(list.get(0)->isType(KAMO::KIdBase::hashOf<KEnumParam>()));
    EXPECT_FALSE(list.get(1)->isType(KAMO::KIdBase::hashOf<KEnumParam>()));
}
