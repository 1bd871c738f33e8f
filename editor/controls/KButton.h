#pragma once
// Momentary parameter button: 1 while held, 0 once released (wherever the
// release happens, since the button holds the mouse capture). No gesture
// brackets are sent: each edge is a complete change of its own.

#include "editor/controls/KFrameStrip.h"
#include "editor/controls/KPressControl.h"

namespace KAMO {

class KImageResource;

class KButton : public KParameterPress {
public:
    using KParameterPress::KParameterPress;

protected:
    void pressed(bool shift, bool ctrl) override;
    void released(bool shift, bool ctrl) override;
};

// Frames: off / on, and with three frames also pressed.
class KImgButton : public KStripControl<KButton> {
public:
    KImgButton(const ControlSetup& setup, int parameterIndex, KImageResource* image);

    int currentState() const override;
};

}  // namespace KAMO
