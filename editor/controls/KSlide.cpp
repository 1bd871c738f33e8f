#include "editor/controls/KSlide.h"

#include "editor/KCanvas.h"
#include "editor/KEditorResource.h"

namespace KAMO {

KSlide::KSlide(const ControlSetup& setup, int parameterIndex, KImageResource* knob,
               const unsigned char* highlight, int hx, int hy, int hw, int hh)
    : KEditorControl(setup),
      mIndex(parameterIndex),
      mKnob(knob),
      mHighlight(highlight),
      mHx(hx),
      mHy(hy),
      mHw(hw),
      mHh(hh),
      mTravel(setup.height - (knob ? knob->frameHeight() : 0)) {
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kMouseMove | kCancelCapture);
}

int KSlide::currentState() {
    const double v = quantisedValue(mIndex);
    return mTravel - static_cast<int>(v * (mTravel - 1) + 0.5);
}

bool KSlide::onKnob(int x, int y) const {
    const int w = mKnob ? mKnob->frameWidth() : 0;
    const int h = mKnob ? mKnob->frameHeight() : 0;
    // Hit-tested where the knob was last painted, which is where the user sees it.
    return x >= 0 && x < w && y >= mKnobTop && y < mKnobTop + h;
}

int KSlide::cursorAt(int x, int y) {
    if (mDrag.pressed || onKnob(x, y)) return kCursorHand;
    return kCursorStandard;
}

bool KSlide::leftDown(bool, bool ctrl, int x, int y) {
    // A click on the track does nothing; a second press opens no second gesture.
    if (mDrag.pressed || !onKnob(x, y)) return mDrag.pressed;
    pressDrag(mDrag, mIndex, ctrl, x, y);
    return true;
}

void KSlide::mouseMove(bool shift, int x, int y) {
    // A knob as tall as the control has no travel to map motion onto.
    if (!mDrag.tracking || mTravel < 1) return;
    moveDrag(mDrag, mIndex, (mDrag.lastY - y) * (1.0 / mTravel), shift, x, y);
}

bool KSlide::leftUp(bool, bool, int, int) { return releaseDrag(mDrag, mIndex); }

void KSlide::cancelCapture() { leftUp(false, false, 0, 0); }

bool KSlide::needsRedraw() {
    return KEditorControl::needsRedraw() || currentState() != mKnobTop;
}

void KSlide::draw(KCanvas& canvas) {
    const int top = currentState();
    if (mKnob) mKnob->drawFrame(canvas, 0, top, 0);
    if (mDrag.pressed && mHighlight) canvas.fillRectAlpha(mHx, top + mHy, mHw, mHh, mHighlight);
    mKnobTop = top;
}

} // namespace KAMO
