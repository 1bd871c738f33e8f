#pragma once
// Base of the controls that edit one parameter by dragging: knobs and
// sliders. It owns the gesture. A press opens the host's edit gesture and
// either restores the default at once (Ctrl) or starts a relative drag;
// each move shifts the stored value by what the kind makes of the motion
// (Shift ten times finer), limited to [0, 1] at once so that motion beyond
// the ends builds up no reserve; the release, or a withdrawn capture, closes
// the gesture. Every begin is matched by exactly one end.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KDragControl : public KEditorControl {
public:
    KDragControl(const ControlSetup& setup, int parameterIndex);

    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    void mouseMove(bool shift, int x, int y) override;
    void cancelCapture() override;

    int parameterIndex() const { return mIndex; }
    bool isPressed() const { return mPressed; }
    bool isTracking() const { return mTracking; }

protected:
    // Whether a press at (x, y) takes hold of the control.
    virtual bool grabsAt(int /*x*/, int /*y*/) const { return true; }
    // The change of normalised value for the motion (dx, dy) since the last
    // step, y growing downwards; false when the motion means nothing.
    virtual bool dragDelta(int dx, int dy, double& delta) const = 0;

    int mIndex;

private:
    int mLastX = 0;
    int mLastY = 0;
    bool mPressed = false;
    bool mTracking = false;
};

}  // namespace KAMO
