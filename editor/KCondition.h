#pragma once
// A condition is one check, possibly negated; a condition set is the list of
// conditions in force at a point of the skin text plus an else flag. Items
// of the skin keep their own copy of the set and are shown only while it
// holds. Sets are evaluated at every use, so a parameter change can show or
// hide parts of the editor.

#include "framework/PtrList.h"

namespace KAMO {

class KEditorCheck;

class KCondition {
public:
    KCondition(const KEditorCheck* check, bool negated) : mCheck(check), mNegated(negated) {}
    virtual ~KCondition() = default;

    // The check's verdict XOR negated; without a check the verdict is true.
    bool value() const;
    const KEditorCheck* check() const { return mCheck; }
    bool isNegated() const { return mNegated; }

private:
    const KEditorCheck* mCheck;
    bool mNegated;
};

// Does not own its conditions: the skin keeps one per {check, negated} and
// every set refers to those.
class KConditionSet : public PtrList<KCondition> {
public:
    KConditionSet() = default;

    // Copies the other set's entries and its else flag.
    virtual void assign(const KConditionSet& other);

    // (AND of every condition) XOR the else flag: an empty set holds unless
    // the else flag is set.
    bool holds() const;

    bool isElse() const { return mElse; }
    void setElse(bool on) { mElse = on; }
    void toggleElse() { mElse = !mElse; }
    // Empties the set and clears the else flag.
    void reset();

private:
    bool mElse = false;
};

}  // namespace KAMO
