#include "editor/controls/KSlide.h"

#include "editor/KCanvas.h"
#include "editor/KEditorResource.h"

namespace KAMO {

KSlide::KSlide(const ControlSetup& setup, int parameterIndex, KImageResource* knob,
               const unsigned char* highlight, int hx, int hy, int hw, int hh)
    : KDragControl(setup, parameterIndex),
      mKnob(knob),
      mHighlight(highlight),
      mHx(hx),
      mHy(hy),
      mHw(hw),
      mHh(hh),
      mTravel(setup.height - (knob ? knob->frameHeight() : 0)) {
    addHandlers(kCursorAt);
}

int KSlide::currentState() {
    const double v = quantisedValue(mIndex);
    return mTravel - static_cast<int>(v * (mTravel - 1) + 0.5);
}

bool KSlide::grabsAt(int x, int y) const {
    const int w = mKnob ? mKnob->frameWidth() : 0;
    const int h = mKnob ? mKnob->frameHeight() : 0;
    // Hit-tested where the knob was last painted, which is where the user sees it.
    return x >= 0 && x < w && y >= mKnobTop && y < mKnobTop + h;
}

int KSlide::cursorAt(int x, int y) {
    if (isPressed() || grabsAt(x, y)) return kCursorHand;
    return kCursorStandard;
}

bool KSlide::dragDelta(int, int dy, double& delta) const {
    // A knob as tall as the control has no travel to map motion onto.
    if (mTravel < 1) return false;
    delta = -dy * (1.0 / mTravel);
    return true;
}

bool KSlide::needsRedraw() { return KEditorControl::needsRedraw() || currentState() != mKnobTop; }

void KSlide::draw(KCanvas& canvas) {
    const int top = currentState();
    if (mKnob) mKnob->drawFrame(canvas, 0, top, 0);
    if (isPressed() && mHighlight) canvas.fillRectAlpha(mHx, top + mHy, mHw, mHh, mHighlight);
    mKnobTop = top;
}

}  // namespace KAMO
