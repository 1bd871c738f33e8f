#pragma once
// The waveform view with a zoom strip along its bottom 16 pixels: dragging
// the strip's knob scales the traces from 0.1 to 10 times (logarithmically,
// the knob centre following the pointer); Ctrl + press in the strip goes
// back to 1.00x.

#include "editor/controls/KEditorControl.h"
#include "editor/controls/KWaveTrace.h"

namespace KAMO {

class KFont;
class KHistory;

class KZoomWave : public KEditorControl {
public:
    static constexpr int kStripHeight = 16;
    static constexpr int kKnobWidth = 40;
    static constexpr int kKnobHeight = 14;

    enum StripState { kIdle, kDragging, kReset };

    KZoomWave(const ControlSetup& setup, KHistory* history, const double* level1,
              const double* level2, const unsigned char* colour1, const unsigned char* colour2,
              const unsigned char* colour3, const unsigned char* colour4,
              const unsigned char* colour5, const unsigned char* colour6, const KFont* font);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;
    // A withdrawn capture ends the drag, so that later motion zooms nothing.
    void cancelCapture() override;
    void mouseMove(bool shift, int x, int y) override;

    float zoom() const { return mZoom; }
    const char* zoomText() const { return mZoomText; }
    int knobLeft() const { return mKnobLeft; }
    int knobTravel() const { return mTravel; }
    StripState stripState() const { return mState; }
    int centreRow() const { return mTrace.centreRow(); }
    // The row showing signal value s at the current zoom, limited to 0 ... height.
    int rowOf(double s) const { return mTrace.rowOf(s, mZoom, mHeight); }

private:
    bool inStrip(int x, int y) const;
    void zoomFrom(int x);
    void setZoom(float z);
    void resetZoom();

    KWaveTrace mTrace;
    const unsigned char* mColours[6];
    const KFont* mFont;
    int mTravel;
    int mKnobLeft = 0;
    float mZoom = 1.0f;
    char mZoomText[8] = "1.00x";
    StripState mState = kIdle;
};

}  // namespace KAMO
