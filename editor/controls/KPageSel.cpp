#include "editor/controls/KPageSel.h"

#include "editor/KCanvas.h"
#include "editor/KEditorResource.h"
#include "editor/KEditorSkin.h"

namespace KAMO {

KPageSel::KPageSel(const ControlSetup& setup, int targetPage)
    : KEditorControl(setup), mTarget(targetPage) {
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kCancelCapture);
}

int KPageSel::cursorAt(int, int) { return kCursorHand; }

bool KPageSel::leftDown(bool, bool, int, int) {
    mPressed = true;
    if (mSkin) mSkin->setCurrentPage(mTarget);
    mDirty = true;
    return true;
}

bool KPageSel::leftUp(bool, bool, int, int) {
    if (!mPressed) return false;
    mPressed = false;
    mDirty = true;
    if (mSkin) mSkin->requestRedraw();
    return true;
}

// A withdrawn capture must not leave the highlight on.
void KPageSel::cancelCapture() { leftUp(false, false, 0, 0); }

KPageSelHlt::KPageSelHlt(const ControlSetup& setup, int targetPage, const unsigned char* highlight)
    : KPageSel(setup, targetPage), mHighlight(highlight) {}

bool KPageSelHlt::needsRedraw() {
    return KEditorControl::needsRedraw() || mPressed != mLastPressed;
}

void KPageSelHlt::draw(KCanvas& canvas) {
    if (mPressed && mHighlight) canvas.fillRectAlpha(0, 0, mWidth, mHeight, mHighlight);
    mLastPressed = mPressed;
}

KImgPageSel::KImgPageSel(const ControlSetup& setup, KImageResource* image, int targetPage)
    : KPageSel(setup, targetPage), mImage(image) {}

int KImgPageSel::currentState() {
    const int frames = mImage ? mImage->frameCount() : 0;
    if (mPressed && frames == 3) return 2;
    return (mSkin && mSkin->currentPage() == mTarget) ? 1 : 0;
}

bool KImgPageSel::needsRedraw() {
    return KEditorControl::needsRedraw() || currentState() != mLastFrame;
}

void KImgPageSel::draw(KCanvas& canvas) {
    const int frame = currentState();
    if (mImage) mImage->drawFrame(canvas, 0, 0, frame);
    mLastFrame = frame;
}

}  // namespace KAMO
