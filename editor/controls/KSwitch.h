#pragma once
// Toggle switch bound to a parameter: a press turns it off when its
// quantised value is at least 0.5 and on otherwise; Ctrl + press restores
// the default instead. Press and release bracket the change as one gesture.

#include "editor/controls/KFrameStrip.h"
#include "editor/controls/KPressControl.h"

namespace KAMO {

class KImageResource;

class KSwitch : public KPressControl {
public:
    KSwitch(const ControlSetup& setup, int parameterIndex);

    bool isOn() const;
    int parameterIndex() const { return mIndex; }

protected:
    void pressed(bool shift, bool ctrl) override;
    void released(bool shift, bool ctrl) override;

    int mIndex;
};

// The indicator look shared by highlight switches and radios: a filled
// circle when on, a cross when off, and a press colour over the whole
// control while pressed.
struct KIndicatorLook {
    int ix, iy, iw, ih;
    const unsigned char* offColour;
    const unsigned char* onColour;
    const unsigned char* pressColour;

    void draw(KCanvas& canvas, bool on, bool pressed, int width, int height) const;
};

class KHlSwitch : public KSwitch {
public:
    KHlSwitch(const ControlSetup& setup, int parameterIndex, int ix, int iy, int iw, int ih,
              const unsigned char* offColour, const unsigned char* onColour,
              const unsigned char* pressColour);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

private:
    KIndicatorLook mLook;
    bool mLastOn = false;
};

// Frames: off, on; a third frame shows the press, a fourth tells the
// pressed-off (2) from the pressed-on (3) state.
class KImgSwitch : public KStripControl<KSwitch> {
public:
    KImgSwitch(const ControlSetup& setup, int parameterIndex, KImageResource* image);

    int currentState() const override;
};

}  // namespace KAMO
