#include "editor/controls/KRadio.h"

#include "editor/KEditorResource.h"

namespace KAMO {

KRadio::KRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption)
    : KEditorControl(setup), mIndex(parameterIndex), mOption(option), mHighest(highestOption) {
    const double bands = 2.0 * (highestOption + 1);
    mMid = (2.0 * option + 1.0) / bands;
    mLow = (2.0 * option) / bands;
    mHigh = (2.0 * option + 2.0) / bands;
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kCancelCapture);
}

int KRadio::cursorAt(int, int) { return kCursorHand; }

bool KRadio::isSelected() const {
    const double q = quantisedValue(mIndex);
    return (mLow <= q && q < mHigh) || (q == 1.0 && mHigh == 1.0);
}

bool KRadio::leftDown(bool, bool ctrl, int, int) {
    mPressed = true;
    beginGesture(mIndex);
    setFromEditor(mIndex, ctrl ? defaultValue(mIndex) : mMid);
    invalidate();
    return true;
}

bool KRadio::leftUp(bool, bool, int, int) {
    if (!mPressed) return false;
    mPressed = false;
    endGesture(mIndex);
    invalidate();
    return true;
}

// Without this a withdrawn capture would leave the host's gesture open.
void KRadio::cancelCapture() { leftUp(false, false, 0, 0); }

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
    : KRadio(setup, parameterIndex, option, highestOption), mImage(image) {}

int KImgRadio::currentState() {
    const int selected = isSelected() ? 1 : 0;
    const int frames = mImage ? mImage->frameCount() : 0;
    if (mPressed && frames == 3) return 2;
    if (mPressed && frames == 4) return 2 + selected;
    return selected;
}

bool KImgRadio::needsRedraw() {
    return KEditorControl::needsRedraw() || currentState() != mLastFrame;
}

void KImgRadio::draw(KCanvas& canvas) {
    const int frame = currentState();
    if (mImage) mImage->drawFrame(canvas, 0, 0, frame);
    mLastFrame = frame;
}

}  // namespace KAMO
