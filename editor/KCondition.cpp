#include "editor/KCondition.h"

#include "editor/KEditorCheck.h"

namespace KAMO {

bool KCondition::value() const { return (mCheck ? mCheck->evaluate() : true) != mNegated; }

void KConditionSet::assign(const KConditionSet& other) {
    copyFrom(other);
    mElse = other.mElse;
}

bool KConditionSet::holds() const {
    bool all = true;
    for (int i = 0; i < count() && all; ++i) {
        const KCondition* condition = get(i);
        if (condition) all = condition->value();
    }
    return all != mElse;
}

void KConditionSet::reset() {
    clear();
    mElse = false;
}

}  // namespace KAMO
