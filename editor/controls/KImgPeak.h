#pragma once
// A clip light: frame 1 once the value reaches 1.0. A click runs the peak
// reset command; the light itself never changes the value.

#include "editor/controls/KEditorControl.h"
#include "editor/controls/KFrameStrip.h"

namespace KAMO {

class KImageResource;

class KImgPeak : public KStripControl<KEditorControl> {
public:
    KImgPeak(const ControlSetup& setup, const double* value, int commandId, KImageResource* image);

    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    int currentState() const override;

private:
    const double* mValue;
    int mCommand;
};

}  // namespace KAMO
