#include "editor/controls/KImg.h"

#include "editor/KEditorResource.h"

namespace KAMO {

KImg::KImg(const ControlSetup& setup, KImageResource* image)
    : KEditorControl(setup), mImage(image) {}

void KImg::draw(KCanvas& canvas) {
    if (mImage) mImage->drawFrame(canvas, 0, 0, 0);
}

}  // namespace KAMO
