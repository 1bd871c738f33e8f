#pragma once
// Meters show a value the effect publishes as a feature; they read it at
// every redraw pass and repaint only when what they show has changed.

#include "editor/controls/KEditorControl.h"
#include "editor/controls/KFrameStrip.h"

#include <cstdint>

namespace KAMO {

class KImageResource;

class KMeter : public KEditorControl {
public:
    explicit KMeter(const ControlSetup& setup) : KEditorControl(setup) {}

    // Frame index for position d of a strip of `frames` frames, limited to
    // the strip; the position is truncated, not rounded.
    static int clampFrame(double d, int frames);
};

// A translucent bar filled to the value's fraction in one of four directions.
class KBarFracMeter : public KMeter {
public:
    enum Direction { kNone = 0, kLeftToRight, kRightToLeft, kTopToBottom, kBottomToTop };

    KBarFracMeter(const ControlSetup& setup, const double* value, int direction,
                  const unsigned char* colour);

    // The one control class told apart from the others by its type.
    std::size_t typeHash() const override { return hashOf<KBarFracMeter>(); }

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    // The value limited to 0 ... 1.
    double currentState() const;

    // Direction named by a skin word; any other word draws nothing.
    static int directionOf(const char* word);

private:
    const double* mValue;
    int mDirection;
    const unsigned char* mColour;
    double mLastFraction = 0.0;
};

// One frame per fraction step of the value.
class KImgFracMeter : public KStripControl<KMeter> {
public:
    KImgFracMeter(const ControlSetup& setup, const double* value, KImageResource* image);

    int currentState() const override;

private:
    const double* mValue;
};

// One frame per integer step of value x scale + offset.
class KImgMeter : public KStripControl<KMeter> {
public:
    KImgMeter(const ControlSetup& setup, const int32_t* value, double scale, double offset,
              KImageResource* image);

    int currentState() const override;

private:
    const int32_t* mValue;
    double mScale;
    double mOffset;
};

}  // namespace KAMO
