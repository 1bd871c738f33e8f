#pragma once
// A scrolling min/max view of a history feature: one column per pixel, the
// newest at the right edge, with a centre line and optional level lines.
// It repaints once per completed history column or when a level moves.

#include "editor/controls/KEditorControl.h"
#include "editor/controls/KWaveTrace.h"

namespace KAMO {

class KHistory;

class KWave : public KEditorControl {
public:
    KWave(const ControlSetup& setup, KHistory* history, const double* level1, const double* level2,
          const unsigned char* colour1, const unsigned char* colour2, const unsigned char* colour3);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

    int centreRow() const { return mTrace.centreRow(); }
    // The row showing signal value s, limited to 0 ... height.
    int rowOf(double s) const { return mTrace.rowOf(s, 1.0, mHeight); }

private:
    KWaveTrace mTrace;
    const unsigned char* mColour1;
    const unsigned char* mColour2;
    const unsigned char* mColour3;
};

}  // namespace KAMO
