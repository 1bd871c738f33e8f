#include "editor/controls/KSwitch.h"

#include "editor/KCanvas.h"

#include <algorithm>

namespace KAMO {

bool KSwitch::isOn() const { return quantisedValue(mIndex) >= 0.5; }

void KSwitch::pressed(bool, bool ctrl) {
    if (ctrl) {
        beginGesture(mIndex);
        setFromEditor(mIndex, defaultValue(mIndex));
    } else {
        const bool wasOn = isOn();
        beginGesture(mIndex);
        setFromEditor(mIndex, wasOn ? 0.0 : 1.0);
    }
    invalidate();
}

// Also on a withdrawn capture: the host's gesture must not stay open.
void KSwitch::released(bool, bool) {
    endGesture(mIndex);
    invalidate();
}

void KIndicatorLook::draw(KCanvas& canvas, bool on, bool pressed, int width, int height) const {
    const double cx = ix + iw * 0.5;
    const double cy = iy + ih * 0.5;
    const double r = std::min(iw, ih) * 0.5;
    if (on) {
        canvas.fillCircle(onColour, cx, cy, r);
    } else {
        const double d = 0.7 * r;
        canvas.drawLine(offColour, cx - d, cy - d, cx + d, cy + d, 1.5);
        canvas.drawLine(offColour, cx - d, cy + d, cx + d, cy - d, 1.5);
    }
    if (pressed) canvas.fillRectAlpha(0, 0, width, height, pressColour);
}

KImgSwitch::KImgSwitch(const ControlSetup& setup, int parameterIndex, KImageResource* image)
    : KStripControl(image, setup, parameterIndex) {}

int KImgSwitch::currentState() const { return mStrip.twoStateFrame(isOn(), mPressed); }

}  // namespace KAMO
