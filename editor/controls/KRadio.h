#pragma once
// Radio option a of options 0 ... b on one parameter: the options divide the
// normalised range into b + 1 equal bands, a press stores the centre of the
// option's band (Ctrl + press the default), and the option shows selected
// while the quantised value lies in its band (the last band includes 1).

#include "editor/controls/KFrameStrip.h"
#include "editor/controls/KPressControl.h"
#include "editor/controls/KSwitch.h"

namespace KAMO {

class KImageResource;

class KRadio : public KParameterPress {
public:
    KRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption);

    bool isSelected() const;
    double bandCentre() const { return mMid; }
    double bandLow() const { return mLow; }
    double bandHigh() const { return mHigh; }

protected:
    void pressed(bool shift, bool ctrl) override;
    void released(bool shift, bool ctrl) override;

    int mOption;
    int mHighest;
    double mMid;
    double mLow;
    double mHigh;
};

using KHlRadio = KIndicatorControl<KRadio, &KRadio::isSelected>;

// Frames: unselected, selected; a third frame shows the press, a fourth
// tells pressed-unselected (2) from pressed-selected (3).
class KImgRadio : public KStripControl<KRadio> {
public:
    KImgRadio(const ControlSetup& setup, int parameterIndex, int option, int highestOption,
              KImageResource* image);

    int currentState() const override;
};

}  // namespace KAMO
