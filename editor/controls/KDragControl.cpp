#include "editor/controls/KDragControl.h"

namespace KAMO {

namespace {
constexpr double kFineFactor = 0.1;
}  // namespace

KDragControl::KDragControl(const ControlSetup& setup, int parameterIndex)
    : KEditorControl(setup), mIndex(parameterIndex) {
    addHandlers(kLeftDown | kLeftUp | kMouseMove | kCancelCapture);
}

bool KDragControl::leftDown(bool, bool ctrl, int x, int y) {
    // A second press must not open a second gesture.
    if (mPressed) return true;
    if (!grabsAt(x, y)) return false;
    mPressed = true;
    mTracking = !ctrl;
    mLastX = x;
    mLastY = y;
    beginGesture(mIndex);
    if (ctrl) setFromEditor(mIndex, defaultValue(mIndex));
    invalidate();
    return true;
}

void KDragControl::mouseMove(bool shift, int x, int y) {
    if (!mTracking) return;
    double delta = 0.0;
    if (!dragDelta(x - mLastX, y - mLastY, delta)) return;
    double value = storedValue(mIndex) + (shift ? delta * kFineFactor : delta);
    if (value < 0.0) value = 0.0;
    if (value > 1.0) value = 1.0;
    setFromEditor(mIndex, value);
    mLastX = x;
    mLastY = y;
    invalidate();
}

bool KDragControl::leftUp(bool, bool, int, int) {
    if (!mPressed) return false;
    mPressed = false;
    mTracking = false;
    endGesture(mIndex);
    invalidate();
    return true;
}

void KDragControl::cancelCapture() { leftUp(false, false, 0, 0); }

}  // namespace KAMO
