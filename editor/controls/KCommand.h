#pragma once
// Command button: the effect command runs once, on the release that ends a
// captured press, with the modifiers of the press and of the release merged.
// A withdrawn capture runs nothing.

#include "editor/controls/KPressControl.h"

namespace KAMO {

class KImageResource;

class KCommand : public KPressControl {
public:
    KCommand(const ControlSetup& setup, int commandId);

    int commandId() const { return mCommand; }

protected:
    void pressed(bool shift, bool ctrl) override;
    void released(bool shift, bool ctrl) override;
    void cancelled() override;

    int mCommand;
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
