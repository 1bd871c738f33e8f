#pragma once
// Toggle switch bound to a parameter: a press turns it off when its
// quantised value is at least 0.5 and on otherwise; Ctrl + press restores
// the default instead. Press and release bracket the change as one gesture.

#include "editor/controls/KFrameStrip.h"
#include "editor/controls/KPressControl.h"

#include <utility>

namespace KAMO {

class KImageResource;

class KSwitch : public KParameterPress {
public:
    using KParameterPress::KParameterPress;

    bool isOn() const;

protected:
    void pressed(bool shift, bool ctrl) override;
    void released(bool shift, bool ctrl) override;
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

// `Base` (a switch or radio, taking the arguments after the look) shown
// as an indicator that is on while `isOn` says so.
template <class Base, bool (Base::*isOn)() const>
class KIndicatorControl : public Base {
public:
    template <class... BaseArguments>
    explicit KIndicatorControl(const KIndicatorLook& look, BaseArguments&&... arguments)
        : Base(std::forward<BaseArguments>(arguments)...), mLook(look) {}

    bool needsRedraw() override {
        return this->KEditorControl::needsRedraw() || (this->*isOn)() != mLastOn;
    }
    void draw(KCanvas& canvas) override {
        const bool on = (this->*isOn)();
        mLook.draw(canvas, on, this->mPressed, this->mWidth, this->mHeight);
        mLastOn = on;
    }

private:
    KIndicatorLook mLook;
    bool mLastOn = false;
};

using KHlSwitch = KIndicatorControl<KSwitch, &KSwitch::isOn>;

// Frames: off, on; a third frame shows the press, a fourth tells the
// pressed-off (2) from the pressed-on (3) state.
class KImgSwitch : public KStripControl<KSwitch> {
public:
    KImgSwitch(const ControlSetup& setup, int parameterIndex, KImageResource* image);

    int currentState() const override;
};

}  // namespace KAMO
