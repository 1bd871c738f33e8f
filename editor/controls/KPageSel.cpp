#include "editor/controls/KPageSel.h"

#include "editor/KCanvas.h"
#include "editor/KEditorSkin.h"

namespace KAMO {

KPageSel::KPageSel(const ControlSetup& setup, int targetPage)
    : KPressControl(setup), mTarget(targetPage) {}

void KPageSel::pressed(bool, bool) {
    if (mSkin) mSkin->setCurrentPage(mTarget);
    mDirty = true;
}

// Also on a withdrawn capture: the highlight must not stay on.
void KPageSel::released(bool, bool) {
    mDirty = true;
    if (mSkin) mSkin->requestRedraw();
}

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
    : KStripControl(image, setup, targetPage) {}

int KImgPageSel::currentState() const {
    const int frames = mStrip.frameCount();
    if (mPressed && frames == 3) return 2;
    return (mSkin && mSkin->currentPage() == mTarget) ? 1 : 0;
}

}  // namespace KAMO
