#pragma once
// Rotary controls. KPot turns motion into the drag of KDragControl: up and
// right increase, a hundred pixels up sweep the whole range. The kinds
// differ only in how they paint the quantised value: an angle sweeping 270
// degrees clockwise from the lower left, with the gap at the bottom.

#include "editor/controls/KDragControl.h"
#include "editor/controls/KFrameStrip.h"

namespace KAMO {

class KImageResource;

class KPot : public KDragControl {
public:
    KPot(const ControlSetup& setup, int parameterIndex);

    int cursorAt(int x, int y) override;
    // Repaints on a visible move of the value, or when marked.
    bool needsRedraw() override;

    // The point at distance `radius` from the centre of a w x h rectangle
    // that shows normalised value v.
    static void indicatorPoint(double v, double radius, double w, double h, double& px, double& py);

protected:
    bool dragDelta(int dx, int dy, double& delta) const override;
    void drawDot(KCanvas& canvas, const unsigned char* colour, double radius);

    double mLastDrawn = 0.0;
};

// A knob painted in the background, covered while pressed by a disc of
// `highlight` (none when null), its value shown in `colour` out to `reach`
// pixels from the centre.
class KHighlightPot : public KPot {
public:
    KHighlightPot(const ControlSetup& setup, int parameterIndex, const unsigned char* highlight,
                  double reach, const unsigned char* colour);

protected:
    void drawHighlight(KCanvas& canvas);

    const unsigned char* mHighlight;
    const unsigned char* mColour;
    double mReach;
};

// A dot orbiting the centre at `reach`.
class KPotDot : public KHighlightPot {
public:
    using KHighlightPot::KHighlightPot;

    void draw(KCanvas& canvas) override;
};

// A pointer line from the centre, `reach` long.
class KPotLine : public KHighlightPot {
public:
    using KHighlightPot::KHighlightPot;

    void draw(KCanvas& canvas) override;
};

// A dot over a knob image whose second frame, if any, shows the pressed knob.
class KBgPotDot : public KPot {
public:
    KBgPotDot(const ControlSetup& setup, int parameterIndex, KImageResource* image,
              double orbitRadius, const unsigned char* dotColour);

    void draw(KCanvas& canvas) override;

private:
    KImageResource* mImage;
    const unsigned char* mDotColour;
    double mRadius;
};

// A film strip: one frame per position.
class KImgPot : public KStripControl<KPot> {
public:
    KImgPot(const ControlSetup& setup, int parameterIndex, KImageResource* image);

    // Frame index for the current value.
    int currentState() const override;
};

}  // namespace KAMO
