#include "editor/controls/KCommand.h"

#include "editor/KEditorResource.h"
#include "framework/KEffect.h"

namespace KAMO {

KCommand::KCommand(const ControlSetup& setup, int commandId)
    : KPressControl(setup), mCommand(commandId) {}

void KCommand::pressed(bool shift, bool ctrl) {
    mShiftAtPress = shift;
    mCtrlAtPress = ctrl;
    invalidate();
}

void KCommand::released(bool shift, bool ctrl) {
    const bool s = shift || mShiftAtPress;
    const bool c = ctrl || mCtrlAtPress;
    // Cleared before running (the press is already): the command may take
    // long or redraw the editor.
    mShiftAtPress = false;
    mCtrlAtPress = false;
    if (mEffect) mEffect->executeEditorCommand(mCommand, s, c);
    invalidate();
}

void KCommand::cancelled() {
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
