#include "editor/controls/KWave.h"

#include "editor/KCanvas.h"
#include "framework/KHistory.h"

#include <algorithm>
#include <cmath>

namespace KAMO {

namespace {
constexpr double kLevelTolerance = 0.00001;

double levelOf(const double* level) { return level ? *level : 0.0; }
}  // namespace

KWave::KWave(const ControlSetup& setup, KHistory* history, const double* level1,
             const double* level2, const unsigned char* colour1, const unsigned char* colour2,
             const unsigned char* colour3)
    : KEditorControl(setup),
      mHistory(history),
      mLevel1(level1),
      mLevel2(level2),
      mColour1(colour1),
      mColour2(colour2),
      mColour3(colour3),
      mMid(setup.height / 2),
      mScale(setup.height / 2 - 1) {}

int KWave::rowOf(double s) const {
    // Limited as a double so that a wild sample cannot overflow the cast.
    double row = mMid - std::round(s * mScale);
    if (!(row > 0.0)) row = 0.0;
    if (row > mHeight) row = mHeight;
    return static_cast<int>(row);
}

bool KWave::needsRedraw() {
    if (KEditorControl::needsRedraw()) return true;
    if (mHistory && mHistory->changeCount() != mLastChanges) return true;
    return std::fabs(levelOf(mLevel1) - mLastLevel1) >= kLevelTolerance ||
           std::fabs(levelOf(mLevel2) - mLastLevel2) >= kLevelTolerance;
}

void KWave::draw(KCanvas& canvas) {
    // Everything is read once up front: the effect may change it meanwhile,
    // and what is remembered must be what was drawn.
    const int changes = mHistory ? mHistory->changeCount() : 0;
    const double level1 = levelOf(mLevel1);
    const double level2 = levelOf(mLevel2);
    const int columns = mHistory ? std::min(mHistory->columnCount(), mWidth) : 0;
    for (int i = 0; i < columns; ++i) {
        KHistory::Column c{};
        mHistory->column(i, c);
        const int x = mWidth - 1 - i;
        canvas.drawVLine(x, rowOf(c.minA), rowOf(c.maxA), mColour1);
        canvas.drawVLine(x, rowOf(c.minB), rowOf(c.maxB), mColour2);
    }
    canvas.drawHLine(0, mMid, mWidth, mColour3);
    const struct {
        bool present;
        double value;
    } levels[] = {{mLevel1 != nullptr, level1}, {mLevel2 != nullptr, level2}};
    for (const auto& level : levels) {
        if (!level.present || !(level.value >= 0.0 && level.value <= 1.0)) continue;
        const int d = static_cast<int>(std::round(mScale * level.value));
        canvas.drawHLine(0, mMid - d, mWidth, mColour3);
        canvas.drawHLine(0, mMid + d, mWidth, mColour3);
    }
    mLastChanges = changes;
    mLastLevel1 = level1;
    mLastLevel2 = level2;
}

}  // namespace KAMO
