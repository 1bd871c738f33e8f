#include "editor/controls/KFrameStrip.h"

#include "editor/KEditorResource.h"

namespace KAMO {

int KFrameStrip::frameCount() const { return mImage ? mImage->frameCount() : 0; }

void KFrameStrip::draw(KCanvas& canvas, int frame) {
    if (mImage) mImage->drawFrame(canvas, 0, 0, frame);
    mLastFrame = frame;
}

}  // namespace KAMO
