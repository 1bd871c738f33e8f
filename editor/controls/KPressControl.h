#pragma once
// Base of the controls that act on a click: switches, radios, page
// selectors and buttons. It owns the press state and the hand cursor; the
// kinds say what a press and a release do. A release counts only after a
// press, and a withdrawn capture ends the press as a release would, unless
// the kind says otherwise, so that no gesture or highlight is left open.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KPressControl : public KEditorControl {
public:
    explicit KPressControl(const ControlSetup& setup);

    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    void cancelCapture() override;

    bool isPressed() const { return mPressed; }

protected:
    // Called with the press already marked.
    virtual void pressed(bool shift, bool ctrl) = 0;
    // Called with the press already cleared.
    virtual void released(bool shift, bool ctrl) = 0;
    // Called with the press already cleared, when the capture is withdrawn.
    virtual void cancelled() { released(false, false); }

    bool mPressed = false;
};

// A press control bound to one parameter of the current program: buttons,
// switches and radios.
class KParameterPress : public KPressControl {
public:
    KParameterPress(const ControlSetup& setup, int parameterIndex)
        : KPressControl(setup), mIndex(parameterIndex) {}

    int parameterIndex() const { return mIndex; }

protected:
    int mIndex;
};

}  // namespace KAMO
