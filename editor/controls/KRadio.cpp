#include "editor/controls/KRadio.h"

namespace KAMO {

KRadio::KRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption)
    : KParameterPress(setup, parameterIndex), mOption(option), mHighest(highestOption) {
    const double bands = 2.0 * (highestOption + 1);
    mMid = (2.0 * option + 1.0) / bands;
    mLow = (2.0 * option) / bands;
    mHigh = (2.0 * option + 2.0) / bands;
}

bool KRadio::isSelected() const {
    const double q = quantisedValue(mIndex);
    return (mLow <= q && q < mHigh) || (q == 1.0 && mHigh == 1.0);
}

void KRadio::pressed(bool, bool ctrl) {
    beginGesture(mIndex);
    setFromEditor(mIndex, ctrl ? defaultValue(mIndex) : mMid);
    invalidate();
}

// Also on a withdrawn capture: the host's gesture must not stay open.
void KRadio::released(bool, bool) {
    endGesture(mIndex);
    invalidate();
}

KImgRadio::KImgRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption,
                     KImageResource* image)
    : KStripControl(image, setup, parameterIndex, option, highestOption) {}

int KImgRadio::currentState() const { return mStrip.twoStateFrame(isSelected(), mPressed); }

}  // namespace KAMO
