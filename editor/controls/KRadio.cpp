#include "editor/controls/KRadio.h"

namespace KAMO {

KRadio::KRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption)
    : KPressControl(setup), mIndex(parameterIndex), mOption(option), mHighest(highestOption) {
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

KHlRadio::KHlRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption,
                   int ix, int iy, int iw, int ih, const unsigned char* offColour,
                   const unsigned char* onColour, const unsigned char* pressColour)
    : KRadio(setup, parameterIndex, option, highestOption), mLook{ix,         iy,        iw,
                                                                  ih,         offColour, onColour,
                                                                  pressColour} {}

bool KHlRadio::needsRedraw() {
    return KEditorControl::needsRedraw() || isSelected() != mLastSelected;
}

void KHlRadio::draw(KCanvas& canvas) {
    const bool selected = isSelected();
    mLook.draw(canvas, selected, mPressed, mWidth, mHeight);
    mLastSelected = selected;
}

KImgRadio::KImgRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption,
                     KImageResource* image)
    : KRadio(setup, parameterIndex, option, highestOption), mStrip(image) {}

int KImgRadio::currentState() {
    const int selected = isSelected() ? 1 : 0;
    const int frames = mStrip.frameCount();
    if (mPressed && frames == 3) return 2;
    if (mPressed && frames == 4) return 2 + selected;
    return selected;
}

bool KImgRadio::needsRedraw() {
    return KEditorControl::needsRedraw() || mStrip.differsFrom(currentState());
}

void KImgRadio::draw(KCanvas& canvas) { mStrip.draw(canvas, currentState()); }

}  // namespace KAMO
