#include "editor/controls/KButton.h"

namespace KAMO {

void KButton::pressed(bool, bool) {
    reportValue(mIndex);
    setFromEditor(mIndex, 1.0);
    invalidate();
}

void KButton::released(bool, bool) {
    reportValue(mIndex);
    setFromEditor(mIndex, 0.0);
    invalidate();
}

KImgButton::KImgButton(const ControlSetup& setup, int parameterIndex, KImageResource* image)
    : KStripControl(image, setup, parameterIndex) {}

int KImgButton::currentState() const {
    const int frames = mStrip.frameCount();
    if (frames <= 1 || !(storedValue(mIndex) >= 0.5 || mPressed)) return 0;
    if (frames < 3) return 1;
    return mPressed ? 2 : 1;
}

}  // namespace KAMO
