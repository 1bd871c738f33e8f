#pragma once
// Momentary parameter button: 1 while held, 0 once released (wherever the
// release happens, since the button holds the mouse capture). No gesture
// brackets are sent: each edge is a complete change of its own.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KImageResource;

class KButton : public KEditorControl {
public:
    KButton(const ControlSetup& setup, int parameterIndex);

    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    void cancelCapture() override;

    int parameterIndex() const { return mIndex; }
    bool isPressed() const { return mPressed; }

protected:
    int mIndex;
    bool mPressed = false;
};

// Frames: off / on, and with three frames also pressed.
class KImgButton : public KButton {
public:
    KImgButton(const ControlSetup& setup, int parameterIndex, KImageResource* image);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    int currentFrame();

private:
    KImageResource* mImage;
    int mLastFrame = -1;
};

}  // namespace KAMO
