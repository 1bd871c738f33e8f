#include "editor/controls/KWave.h"

#include "editor/KCanvas.h"

#include <cmath>

namespace KAMO {

namespace {
constexpr double kLevelTolerance = 0.00001;
}  // namespace

KWave::KWave(const ControlSetup& setup, KHistory* history, const double* level1,
             const double* level2, const unsigned char* colour1, const unsigned char* colour2,
             const unsigned char* colour3)
    : KEditorControl(setup),
      mTrace(history, level1, level2, setup.height / 2, setup.height / 2 - 1),
      mColour1(colour1),
      mColour2(colour2),
      mColour3(colour3) {}

bool KWave::needsRedraw() {
    if (KEditorControl::needsRedraw()) return true;
    if (mTrace.columnsChanged()) return true;
    return mTrace.levelMovement() >= kLevelTolerance;
}

void KWave::draw(KCanvas& canvas) {
    const KWaveTrace::Reading now = mTrace.read();
    mTrace.drawColumns(canvas, mWidth, mHeight, 1.0, mColour1, mColour2, mColour3);
    const int mid = mTrace.centreRow();
    for (const auto& level : now.levels) {
        if (!level.present || !(level.value >= 0.0 && level.value <= 1.0)) continue;
        const int d = static_cast<int>(std::round(mTrace.scale() * level.value));
        canvas.drawHLine(0, mid - d, mWidth, mColour3);
        canvas.drawHLine(0, mid + d, mWidth, mColour3);
    }
    mTrace.remember(now);
}

}  // namespace KAMO
