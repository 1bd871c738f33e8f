#pragma once
// A vertical slider: frame 0 of a knob image travelling over the control
// height, grabbed only on the knob. Dragging the knob by its own travel
// sweeps the whole range.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KImageResource;

class KSlide : public KEditorControl {
public:
    KSlide(const ControlSetup& setup, int parameterIndex, KImageResource* knob,
           const unsigned char* highlight, int hx, int hy, int hw, int hh);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    void mouseMove(bool shift, int x, int y) override;
    void cancelCapture() override;

    // The knob's top edge for the current value.
    int currentState();

    int travel() const { return mTravel; }
    int knobTop() const { return mKnobTop; }
    bool isPressed() const { return mDrag.pressed; }
    bool isTracking() const { return mDrag.tracking; }

private:
    bool onKnob(int x, int y) const;

    int mIndex;
    KImageResource* mKnob;
    const unsigned char* mHighlight;
    int mHx, mHy, mHw, mHh;
    int mKnobTop = -1;
    int mTravel;
    Drag mDrag;
};

} // namespace KAMO
