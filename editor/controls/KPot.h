#pragma once
// Rotary controls. KPot holds the drag gesture shared by every knob kind:
// a relative drag (up and right increase, Shift ten times finer) and a
// Ctrl-click that restores the parameter's default. The kinds differ only in
// how they paint the quantised value: an angle sweeping 270 degrees
// clockwise from the lower left, with the gap at the bottom.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KImageResource;

class KPot : public KEditorControl {
public:
    KPot(const ControlSetup& setup, int parameterIndex);

    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    void mouseMove(bool shift, int x, int y) override;
    void cancelCapture() override;

    int parameterIndex() const { return mIndex; }
    bool isPressed() const { return mDrag.pressed; }
    bool isTracking() const { return mDrag.tracking; }

    // The point at distance `radius` from the centre of a w x h rectangle
    // that shows normalised value v.
    static void indicatorPoint(double v, double radius, double w, double h, double& px,
                               double& py);

protected:
    // Knob kinds that draw from the value repaint on a visible move only.
    bool valueMoved() const;
    void drawDot(KCanvas& canvas, const unsigned char* colour, double radius);

    int mIndex;
    Drag mDrag;
    double mLastDrawn = 0.0;
};

// A dot orbiting the centre of a knob painted in the background.
class KPotDot : public KPot {
public:
    KPotDot(const ControlSetup& setup, int parameterIndex, const unsigned char* highlight,
            double orbitRadius, const unsigned char* dotColour);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

private:
    const unsigned char* mHighlight;
    const unsigned char* mDotColour;
    double mRadius;
};

// A pointer line from the centre.
class KPotLine : public KPot {
public:
    KPotLine(const ControlSetup& setup, int parameterIndex, const unsigned char* highlight,
             double length, const unsigned char* pointerColour);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

private:
    const unsigned char* mHighlight;
    const unsigned char* mPointerColour;
    double mLength;
};

// A dot over a knob image whose second frame, if any, shows the pressed knob.
class KBgPotDot : public KPot {
public:
    KBgPotDot(const ControlSetup& setup, int parameterIndex, KImageResource* image,
              double orbitRadius, const unsigned char* dotColour);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

private:
    KImageResource* mImage;
    const unsigned char* mDotColour;
    double mRadius;
};

// A film strip: one frame per position.
class KImgPot : public KPot {
public:
    KImgPot(const ControlSetup& setup, int parameterIndex, KImageResource* image);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    // Frame index for the current value.
    int currentState();

private:
    KImageResource* mImage;
    int mLastFrame = -1;
};

} // namespace KAMO
