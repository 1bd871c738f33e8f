#pragma once
// Read-outs of a parameter's labelled display text, centred in the control.
// They repaint only when the quantised value moves, so a stored value that
// wanders within one step of a stepped parameter costs nothing.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KFont;
class KImageResource;

class KValue : public KEditorControl {
public:
    KValue(const ControlSetup& setup, int parameterIndex, const KFont* font);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

    int parameterIndex() const { return mIndex; }

protected:
    void drawText(KCanvas& canvas);

    int mIndex;
    const KFont* mFont;
    double mLastDrawn = 0.0;
};

// The read-out over frame 0 of an image.
class KBgValue : public KValue {
public:
    KBgValue(const ControlSetup& setup, int parameterIndex, KImageResource* image,
             const KFont* font);

    void draw(KCanvas& canvas) override;

private:
    KImageResource* mImage;
};

}  // namespace KAMO
