#include "framework/KEffectParameter.h"

#include "framework/NumberText.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace KAMO {

// ---------------------------------------------------------------- base

KEffectParameter::KEffectParameter(const char* name, const char* label, int decimals,
                                   double defaultValue)
    : KIdBase(name), mDecimals(decimals), mDefault(defaultValue) {
    setLabel(label);
}

void KEffectParameter::setLabel(const char* label) {
    std::memset(mLabel, 0, sizeof(mLabel));
    if (label) std::strncpy(mLabel, label, kLabelLength);
}

double KEffectParameter::readSlot(const void* slot) {
    if (!slot) return 0.0;
    return static_cast<const std::atomic<double>*>(slot)->load(std::memory_order_relaxed);
}

void KEffectParameter::writeSlot(void* slot, double value) {
    if (slot) static_cast<std::atomic<double>*>(slot)->store(value, std::memory_order_relaxed);
}

double KEffectParameter::clampUnit(double x) {
    if (!(x >= 0.0)) return 0.0;  // also catches NaN
    return x > 1.0 ? 1.0 : x;
}

void KEffectParameter::displayOf(double normalised, char* text, int size, bool withLabel) const {
    std::atomic<double> slot{normalised};
    withLabel ? getDisplayWithLabel(text, size, &slot) : getDisplay(text, size, &slot);
}

bool KEffectParameter::readText(const char* text, double& normalised) const {
    if (!text || !canConvertText()) return false;
    // A text the parameter cannot read leaves the slot as it was: NaN tells
    // that apart from every value it can store.
    std::atomic<double> slot{std::nan("")};
    setFromText(&slot, text);
    const double read = readSlot(&slot);
    if (std::isnan(read)) return false;
    normalised = read;
    return true;
}

void KEffectParameter::getDisplayWithLabel(char* text, int size, const void* slot) const {
    if (!text || size <= 0) return;
    getDisplay(text, size, slot);
    if (!mLabel[0]) return;
    std::size_t used = std::strlen(text);
    if (used + 1 < std::size_t(size))
        std::snprintf(text + used, std::size_t(size) - used, " %s", mLabel);
}

// ---------------------------------------------------------------- range

KRangeParam::KRangeParam(const char* name, const char* label, double minimum, double maximum,
                         int steps, int decimals, double defaultValue)
    : KEffectParameter(name, label, decimals, defaultValue),
      mMinimum(minimum),
      mMaximum(maximum),
      mSteps(steps) {}

double KRangeParam::toReal(double x) const {
    if (mSteps > 0) x = std::floor(0.5 + x * mSteps) / mSteps;
    return x * (mMaximum - mMinimum) + mMinimum;
}

double KRangeParam::toNormalised(double r) const {
    // An empty range has only one value to offer.
    if (mMaximum == mMinimum) return 0.0;
    return clampUnit((r - mMinimum) / (mMaximum - mMinimum));
}

void KRangeParam::getDisplay(char* text, int size, const void* slot) const {
    formatNumber(text, size, decimals(), toReal(getConfinedValue(slot)));
}

void KRangeParam::setFromText(void* slot, const char* text) const {
    setRealValue(slot, parseNumber(text));
}

// ---------------------------------------------------------------- decibels

KdBParam::KdBParam(const char* name, const char* label, double reference, int decimals,
                   double defaultValue)
    : KEffectParameter(name, label, decimals, defaultValue), mReference(reference) {}

double KdBParam::toReal(double x) const {
    double d = 20.0 * std::log10(x * mReference);
    if (!std::isfinite(d)) return d;
    int n = decimals();
    if (n < 0) n = 0;
    if (n > kMaxDecimals) n = kMaxDecimals;
    double power = std::pow(10.0, n);
    // Half away from zero, as the shown text; std::round cannot overflow
    // where a conversion to a 32-bit integer would for many decimals.
    return std::round(d * power) / power;
}

double KdBParam::toNormalised(double d) const {
    if (!(mReference > 0.0)) return 0.0;
    return clampUnit(std::pow(10.0, 0.05 * d) / mReference);
}

void KdBParam::getDisplay(char* text, int size, const void* slot) const {
    formatNumber(text, size, decimals(), toReal(getConfinedValue(slot)));
}

void KdBParam::setFromText(void* slot, const char* text) const {
    setRealValue(slot, parseNumber(text));
}

// ---------------------------------------------------------------- choices

KEnumParam::KEnumParam(const char* name, const char* label, const char* const* texts, int count,
                       double defaultValue)
    : KEffectParameter(name, label, 0, defaultValue),
      mCount(count > 0 ? count : 0),
      mTexts(nullptr) {
    if (mCount == 0) return;
    mTexts = new char[mCount][kTextLength + 1];
    std::memset(mTexts, 0, sizeof(*mTexts) * std::size_t(mCount));
    for (int i = 0; i < mCount; ++i)
        if (texts && texts[i]) std::strncpy(mTexts[i], texts[i], kTextLength);
}

KEnumParam::~KEnumParam() { delete[] mTexts; }

const char* KEnumParam::choiceText(int i) const { return (i >= 0 && i < mCount) ? mTexts[i] : ""; }

double KEnumParam::toReal(double x) const {
    if (mCount < 2) return 0.0;
    double index = std::floor((mCount - 1) * x + 0.5);
    // Stored values outside 0..1 (setValue does not clamp) still name a
    // choice that exists.
    if (!(index >= 0.0)) return 0.0;
    if (index > mCount - 1) return double(mCount - 1);
    return index;
}

double KEnumParam::toNormalised(double i) const {
    if (mCount < 2) return 0.0;
    return clampUnit(i / (mCount - 1));
}

void KEnumParam::getDisplay(char* text, int size, const void* slot) const {
    if (!text || size <= 0) return;
    int index = int(std::lround(toReal(getConfinedValue(slot))));
    std::snprintf(text, std::size_t(size), "%s", choiceText(index));
}

void KEnumParam::setFromText(void* slot, const char* text) const {
    if (!text) return;
    for (int i = 0; i < mCount; ++i) {
        if (strcasecmp(mTexts[i], text) == 0) {
            setRealValue(slot, double(i));
            return;
        }
    }
}

}  // namespace KAMO
