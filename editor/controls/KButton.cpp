#include "editor/controls/KButton.h"

#include "editor/KEditorResource.h"

namespace KAMO {

KButton::KButton(const ControlSetup& setup, int parameterIndex)
    : KEditorControl(setup), mIndex(parameterIndex) {
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kCancelCapture);
}

int KButton::cursorAt(int, int) { return kCursorHand; }

bool KButton::leftDown(bool, bool, int, int) {
    mPressed = true;
    reportValue(mIndex);
    setFromEditor(mIndex, 1.0);
    invalidate();
    return true;
}

bool KButton::leftUp(bool, bool, int, int) {
    if (!mPressed) return false;
    mPressed = false;
    reportValue(mIndex);
    setFromEditor(mIndex, 0.0);
    invalidate();
    return true;
}

void KButton::cancelCapture() { leftUp(false, false, 0, 0); }

KImgButton::KImgButton(const ControlSetup& setup, int parameterIndex, KImageResource* image)
    : KButton(setup, parameterIndex), mImage(image) {}

int KImgButton::currentFrame() {
    const int frames = mImage ? mImage->frameCount() : 0;
    if (frames <= 1 || !(storedValue(mIndex) >= 0.5 || mPressed)) return 0;
    if (frames < 3) return 1;
    return mPressed ? 2 : 1;
}

bool KImgButton::needsRedraw() {
    return KEditorControl::needsRedraw() || currentFrame() != mLastFrame;
}

void KImgButton::draw(KCanvas& canvas) {
    const int frame = currentFrame();
    if (mImage) mImage->drawFrame(canvas, 0, 0, frame);
    mLastFrame = frame;
}

}  // namespace KAMO
