#pragma once
// Named tests that conditions refer to: the plain value of a parameter, the
// channel counts the host has set, or the operating system. Checks are
// declared by the skin and evaluated live at every use.

#include "framework/KIdBase.h"

namespace KAMO {

class KEffect;

class KEditorCheck : public KIdBase {
public:
    // Comparison operators, actual value on the left.
    enum Operator : int {
        kEqual = 0,
        kNotEqual = 1,
        kGreater = 2,
        kLess = 3,
        kGreaterEqual = 4,
        kLessEqual = 5,
        kInvalid = 6,
    };

    KEditorCheck() = default;
    ~KEditorCheck() override = default;
    KEditorCheck(const KEditorCheck&) = delete;
    KEditorCheck& operator=(const KEditorCheck&) = delete;

    virtual bool evaluate() const = 0;

    // The operator written as "==", "!=", ">", "<", ">=" or "<=", else kInvalid.
    static int parseOperator(const char* word);
    // A code above kLessEqual holds whatever the values.
    static bool compare(int op, double actual, double reference);
    static bool compare(int op, int actual, int reference);
};

// The parameter's plain value in the current program (range value, entry
// index or decibels) against a reference, compared exactly.
class KParamCheck : public KEditorCheck {
public:
    KParamCheck(KEffect* effect, int index, int op, double value);
    bool evaluate() const override;

private:
    KEffect* mEffect;
    int mIndex;
    int mOperator;
    double mValue;
};

// Both channel counts of the current speaker arrangements.
class KInOutCheck : public KEditorCheck {
public:
    KInOutCheck(KEffect* effect, int inputOp, int inputs, int outputOp, int outputs);
    bool evaluate() const override;

private:
    KEffect* mEffect;
    int mInputOperator;
    int mInputs;
    int mOutputOperator;
    int mOutputs;
};

class KInputCheck : public KEditorCheck {
public:
    KInputCheck(KEffect* effect, int op, int count);
    bool evaluate() const override;

private:
    KEffect* mEffect;
    int mOperator;
    int mCount;
};

class KOutputCheck : public KEditorCheck {
public:
    KOutputCheck(KEffect* effect, int op, int count);
    bool evaluate() const override;

private:
    KEffect* mEffect;
    int mOperator;
    int mCount;
};

// Fixed when the skin is built.
class KOSCheck : public KEditorCheck {
public:
    explicit KOSCheck(bool result) : mResult(result) {}
    bool evaluate() const override { return mResult; }

private:
    bool mResult;
};

}  // namespace KAMO
