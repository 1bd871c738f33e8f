#include "editor/controls/KFrameStrip.h"

#include "editor/KEditorResource.h"

namespace KAMO {

int KFrameStrip::frameCount() const { return mImage ? mImage->frameCount() : 0; }

void KFrameStrip::draw(KCanvas& canvas, int frame) {
    if (mImage) mImage->drawFrame(canvas, 0, 0, frame);
    mLastFrame = frame;
}

int KFrameStrip::twoStateFrame(bool on, bool pressed) const {
    const int frames = frameCount();
    if (pressed && frames == 3) return 2;
    if (pressed && frames == 4) return 2 + (on ? 1 : 0);
    return on ? 1 : 0;
}

}  // namespace KAMO
