#include "editor/controls/KImgPeak.h"

#include "framework/KEffect.h"

namespace KAMO {

KImgPeak::KImgPeak(const ControlSetup& setup, const double* value, int commandId,
                   KImageResource* image)
    : KStripControl(image, setup), mValue(value), mCommand(commandId) {
    addHandlers(kCursorAt | kLeftDown);
}

int KImgPeak::currentState() const { return (mValue && *mValue >= 1.0) ? 1 : 0; }

int KImgPeak::cursorAt(int, int) { return kCursorHand; }

bool KImgPeak::leftDown(bool shift, bool ctrl, int, int) {
    if (mEffect) mEffect->executeEditorCommand(mCommand, shift, ctrl);
    invalidate();
    return false;  // nothing to follow: the reset is done on the press
}

}  // namespace KAMO
