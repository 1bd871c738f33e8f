#pragma once
// The peak level as text in decibels, in the over font above 0 dB. A click
// runs the peak reset command.

#include "editor/controls/KEditorControl.h"

namespace KAMO {

class KFont;

class KTextPeak : public KEditorControl {
public:
    static constexpr int kTextSize = 32;

    KTextPeak(const ControlSetup& setup, const double* value, int commandId, const KFont* font,
              const KFont* overFont);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;
    // The value shown: the feature value, with anything below 0.000001 as 0.
    double currentState() const;

    // "Peak: <dB> dB" for a linear peak value; answers whether it is over 0 dB.
    static bool formatPeak(char* out, int size, double value);

private:
    const double* mValue;
    int mCommand;
    const KFont* mFont;
    const KFont* mOverFont;
    double mLastDrawn = 0.0;
};

}  // namespace KAMO
