#pragma once
// Page selector: switches the skin to its target page on the press.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KImageResource;

class KPageSel : public KEditorControl {
public:
    KPageSel(const ControlSetup& setup, int targetPage);

    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    void cancelCapture() override;

    int targetPage() const { return mTarget; }
    bool isPressed() const { return mPressed; }

protected:
    int mTarget;
    bool mPressed = false;
};

// A translucent highlight over a tab painted in the background, while pressed.
class KPageSelHlt : public KPageSel {
public:
    KPageSelHlt(const ControlSetup& setup, int targetPage, const unsigned char* highlight);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

private:
    const unsigned char* mHighlight;
    bool mLastPressed = false;
};

// Frames: other page, target page current, and with three frames pressed.
class KImgPageSel : public KPageSel {
public:
    KImgPageSel(const ControlSetup& setup, KImageResource* image, int targetPage);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    int currentState();

private:
    KImageResource* mImage;
    int mLastFrame = -1;
};

}  // namespace KAMO
