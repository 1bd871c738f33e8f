#include "editor/controls/KCommand.h"

#include "editor/KEditorResource.h"
#include "framework/KEffect.h"

namespace KAMO {

KCommand::KCommand(const ControlSetup& setup, int commandId)
    : KEditorControl(setup), mCommand(commandId) {
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kCancelCapture);
}

int KCommand::cursorAt(int, int) { return kCursorHand; }

bool KCommand::leftDown(bool shift, bool ctrl, int, int) {
    mPressed = true;
    mShiftAtPress = shift;
    mCtrlAtPress = ctrl;
    invalidate();
    return true;
}

bool KCommand::leftUp(bool shift, bool ctrl, int, int) {
    if (!mPressed) return false;
    const bool s = shift || mShiftAtPress;
    const bool c = ctrl || mCtrlAtPress;
    // Cleared before running: the command may take long or redraw the editor.
    mPressed = false;
    mShiftAtPress = false;
    mCtrlAtPress = false;
    if (mEffect) mEffect->executeCommand(mCommand, s, c);
    invalidate();
    return true;
}

void KCommand::cancelCapture() {
    if (!mPressed) return;
    mPressed = false;
    mShiftAtPress = false;
    mCtrlAtPress = false;
    invalidate();
}

KImgCommand::KImgCommand(const ControlSetup& setup, int commandId, KImageResource* image)
    : KCommand(setup, commandId), mImage(image) {}

int KImgCommand::currentFrame() const {
    // A strip without a pressed frame keeps showing its only frame.
    return (mPressed && mImage && mImage->frameCount() > 1) ? 1 : 0;
}

void KImgCommand::draw(KCanvas& canvas) {
    if (mImage) mImage->drawFrame(canvas, 0, 0, currentFrame());
}

}  // namespace KAMO
