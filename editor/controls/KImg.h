#pragma once
// A static picture: frame 0 of an image, painted once after each full
// repaint or invalidation.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KImageResource;

class KImg : public KEditorControl {
public:
    KImg(const ControlSetup& setup, KImageResource* image);

    void draw(KCanvas& canvas) override;

private:
    KImageResource* mImage;
};

}  // namespace KAMO
