#pragma once
// Command button: the effect command runs once, on the release that ends a
// captured press, with the modifiers of the press and of the release merged.
// A withdrawn capture runs nothing.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KImageResource;

class KCommand : public KEditorControl {
public:
    KCommand(const ControlSetup& setup, int commandId);

    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    void cancelCapture() override;

    int commandId() const { return mCommand; }
    bool isPressed() const { return mPressed; }

protected:
    int mCommand;
    bool mPressed = false;
    bool mShiftAtPress = false;
    bool mCtrlAtPress = false;
};

// Frame 0 at rest, frame 1 while pressed.
class KImgCommand : public KCommand {
public:
    KImgCommand(const ControlSetup& setup, int commandId, KImageResource* image);

    void draw(KCanvas& canvas) override;
    int currentFrame() const;

private:
    KImageResource* mImage;
};

}  // namespace KAMO
