#pragma once
// Automatable parameters. A parameter object holds no value: every value is
// a normalised double (0..1) living in the program bank, and each operation
// is handed the address of that value (its "slot": an aligned
// std::atomic<double>, read and written whole). One object therefore serves
// every program, and all value operations are const and callable from any
// thread.

#include "framework/KIdBase.h"

namespace KAMO {

class KEffectParameter : public KIdBase {
public:
    static constexpr int kLabelLength = 8;
    static constexpr int kMaxDecimals = 20;

    KEffectParameter(const char* name, const char* label, int decimals, double defaultValue);
    ~KEffectParameter() override = default;

    virtual void setDefault(double normalised) { mDefault = normalised; }
    virtual void setDefaultReal(double real) { mDefault = toNormalised(real); }
    virtual double getDefault() const { return mDefault; }
    virtual void setDecimals(int n) { mDecimals = n; }
    virtual bool canConvertText() const { return true; }
    virtual int valueSize() const { return 8; }

    virtual double getValue(const void* slot) const { return readSlot(slot); }
    virtual double getQuantisedValue(const void* slot) const { return quantise(readSlot(slot)); }
    virtual double getRealValue(const void* slot) const { return toReal(readSlot(slot)); }
    // The stored value as it is shown and played: hosts may store anything,
    // NaN included; what counts is confined to [0, 1] (NaN as 0).
    double getConfinedValue(const void* slot) const { return clampUnit(readSlot(slot)); }
    // The confined value as text, at most `size` bytes with the terminator.
    virtual void getDisplay(char* text, int size, const void* slot) const = 0;
    // getDisplay, then a space and the label when there is one.
    virtual void getDisplayWithLabel(char* text, int size, const void* slot) const;
    // Stores the value as given, without clamping.
    virtual void setValue(void* slot, double normalised) const { writeSlot(slot, normalised); }
    virtual void setRealValue(void* slot, double real) const {
        writeSlot(slot, toNormalised(real));
    }
    virtual void setFromText(void* slot, const char* text) const = 0;
    virtual void reset(void* slot) const { writeSlot(slot, mDefault); }
    virtual double toReal(double normalised) const = 0;
    // Always within [0, 1].
    virtual double toNormalised(double real) const = 0;
    // Snaps a value to what the parameter can represent.
    virtual double quantise(double normalised) const { return toNormalised(toReal(normalised)); }

    const char* label() const { return mLabel; }
    void setLabel(const char* label);
    int decimals() const { return mDecimals; }

    // For a value that lives in no slot, as a face's host asks the text of
    // any value and the value of any text: what getDisplay (with the label:
    // getDisplayWithLabel) shows for `normalised`, and the normalised value
    // setFromText reads from `text` (false, `normalised` untouched, when it
    // reads none or the parameter converts no text).
    void displayOf(double normalised, char* text, int size, bool withLabel = false) const;
    bool readText(const char* text, double& normalised) const;

    // Relaxed atomic accesses: a value read while another thread changes it
    // is the old or the new one, never a mix. A null slot reads 0 and
    // ignores writes.
    static double readSlot(const void* slot);
    static void writeSlot(void* slot, double value);
    // Clamps to [0, 1]; NaN gives 0.
    static double clampUnit(double x);

private:
    char mLabel[kLabelLength + 1];
    int mDecimals;
    double mDefault;
};

// Linear range from minimum (normalised 0) to maximum (normalised 1), snapped
// to `steps` equal steps when steps > 0.
class KRangeParam : public KEffectParameter {
public:
    KRangeParam(const char* name, const char* label, double minimum, double maximum, int steps,
                int decimals, double defaultValue = 0.0);

    void getDisplay(char* text, int size, const void* slot) const override;
    void setFromText(void* slot, const char* text) const override;
    double toReal(double normalised) const override;
    double toNormalised(double real) const override;

    double minimum() const { return mMinimum; }
    double maximum() const { return mMaximum; }
    int steps() const { return mSteps; }

private:
    double mMinimum;
    double mMaximum;
    int mSteps;
};

// Amplitude shown in decibels; normalised 1 stands for `reference`. The
// real value is rounded to the shown decimals, so what is heard is what is
// shown.
class KdBParam : public KEffectParameter {
public:
    KdBParam(const char* name, const char* label, double reference, int decimals,
             double defaultValue = 1.0);

    void getDisplay(char* text, int size, const void* slot) const override;
    void setFromText(void* slot, const char* text) const override;
    double toReal(double normalised) const override;
    double toNormalised(double real) const override;

    double reference() const { return mReference; }

private:
    double mReference;
};

// A list of named choices; the real value is the index of the nearest one,
// always within 0 .. choiceCount() - 1.
class KEnumParam : public KEffectParameter {
public:
    static constexpr int kTextLength = 20;

    KEnumParam(const char* name, const char* label, const char* const* texts, int count,
               double defaultValue = 0.0);
    ~KEnumParam() override;
    KEnumParam(const KEnumParam&) = delete;
    KEnumParam& operator=(const KEnumParam&) = delete;

    void getDisplay(char* text, int size, const void* slot) const override;
    // Unknown texts change nothing.
    void setFromText(void* slot, const char* text) const override;
    double toReal(double normalised) const override;
    double toNormalised(double real) const override;

    int choiceCount() const { return mCount; }
    // Choice i, or "" when i is out of range.
    const char* choiceText(int i) const;

private:
    int mCount;
    char (*mTexts)[kTextLength + 1];
};

}  // namespace KAMO
