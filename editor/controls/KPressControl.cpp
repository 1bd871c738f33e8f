#include "editor/controls/KPressControl.h"

namespace KAMO {

KPressControl::KPressControl(const ControlSetup& setup) : KEditorControl(setup) {
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kCancelCapture);
}

int KPressControl::cursorAt(int, int) { return kCursorHand; }

bool KPressControl::leftDown(bool shift, bool ctrl, int, int) {
    mPressed = true;
    pressed(shift, ctrl);
    return true;
}

bool KPressControl::leftUp(bool shift, bool ctrl, int, int) {
    if (!mPressed) return false;
    mPressed = false;
    released(shift, ctrl);
    return true;
}

void KPressControl::cancelCapture() {
    if (!mPressed) return;
    mPressed = false;
    cancelled();
}

}  // namespace KAMO
