#pragma once
// A vertical slider: frame 0 of a knob image travelling over the control
// height, grabbed only on the knob. Dragging the knob by its own travel
// sweeps the whole range (the gesture is KDragControl's).

#include "editor/controls/KDragControl.h"

namespace KAMO {

class KImageResource;

class KSlide : public KDragControl {
public:
    KSlide(const ControlSetup& setup, int parameterIndex, KImageResource* knob,
           const unsigned char* highlight, int hx, int hy, int hw, int hh);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    int cursorAt(int x, int y) override;

    // The knob's top edge for the current value.
    int currentState();

    int travel() const { return mTravel; }
    int knobTop() const { return mKnobTop; }

protected:
    // Only the knob, where it was last painted, takes a press.
    bool grabsAt(int x, int y) const override;
    bool dragDelta(int dx, int dy, double& delta) const override;

private:
    KImageResource* mKnob;
    const unsigned char* mHighlight;
    int mHx, mHy, mHw, mHh;
    int mKnobTop = -1;
    int mTravel;
};

}  // namespace KAMO
