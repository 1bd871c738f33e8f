#include "editor/KEditorCheck.h"

#include "framework/KEffect.h"
#include "framework/KEffectParameter.h"

#include <cstring>

namespace KAMO {

namespace {

template <typename T>
bool compareValues(int op, T actual, T reference) {
    switch (op) {
    case KEditorCheck::kEqual:
        return actual == reference;
    case KEditorCheck::kNotEqual:
        return actual != reference;
    case KEditorCheck::kGreater:
        return actual > reference;
    case KEditorCheck::kLess:
        return actual < reference;
    case KEditorCheck::kGreaterEqual:
        return actual >= reference;
    case KEditorCheck::kLessEqual:
        return actual <= reference;
    default:
        return true;
    }
}

}  // namespace

int KEditorCheck::parseOperator(const char* word) {
    static const char* const kWords[] = {"==", "!=", ">", "<", ">=", "<="};
    if (!word) return kInvalid;
    for (int op = kEqual; op <= kLessEqual; ++op)
        if (std::strcmp(word, kWords[op]) == 0) return op;
    return kInvalid;
}

bool KEditorCheck::compare(int op, double actual, double reference) {
    return compareValues(op, actual, reference);
}

bool KEditorCheck::compare(int op, int actual, int reference) {
    return compareValues(op, actual, reference);
}

KParamCheck::KParamCheck(KEffect* effect, int index, int op, double value)
    : mEffect(effect), mIndex(index), mOperator(op), mValue(value) {}

bool KParamCheck::evaluate() const {
    if (!mEffect || mIndex < 0 || mIndex >= mEffect->parameterCount()) return false;
    const KEffectParameter* parameter = mEffect->parameters().get(mIndex);
    if (!parameter) return false;
    const void* slot = mEffect->programBank().valueSlot(mEffect->getProgram(), mIndex);
    return compare(mOperator, parameter->getRealValue(slot), mValue);
}

KInOutCheck::KInOutCheck(KEffect* effect, int inputOp, int inputs, int outputOp, int outputs)
    : mEffect(effect),
      mInputOperator(inputOp),
      mInputs(inputs),
      mOutputOperator(outputOp),
      mOutputs(outputs) {}

bool KInOutCheck::evaluate() const {
    if (!mEffect) return false;
    return compare(mInputOperator, mEffect->inputChannels(), mInputs) &&
           compare(mOutputOperator, mEffect->outputChannels(), mOutputs);
}

KInputCheck::KInputCheck(KEffect* effect, int op, int count)
    : mEffect(effect), mOperator(op), mCount(count) {}

bool KInputCheck::evaluate() const {
    return mEffect && compare(mOperator, mEffect->inputChannels(), mCount);
}

KOutputCheck::KOutputCheck(KEffect* effect, int op, int count)
    : mEffect(effect), mOperator(op), mCount(count) {}

bool KOutputCheck::evaluate() const {
    return mEffect && compare(mOperator, mEffect->outputChannels(), mCount);
}

}  // namespace KAMO
