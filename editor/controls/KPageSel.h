#pragma once
// Page selector: switches the skin to its target page on the press.

#include "editor/controls/KFrameStrip.h"
#include "editor/controls/KPressControl.h"

namespace KAMO {

class KImageResource;

class KPageSel : public KPressControl {
public:
    KPageSel(const ControlSetup& setup, int targetPage);

    int targetPage() const { return mTarget; }

protected:
    void pressed(bool shift, bool ctrl) override;
    void released(bool shift, bool ctrl) override;

    int mTarget;
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
class KImgPageSel : public KStripControl<KPageSel> {
public:
    KImgPageSel(const ControlSetup& setup, KImageResource* image, int targetPage);

    int currentState() const override;
};

}  // namespace KAMO
