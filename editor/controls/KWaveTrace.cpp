#include "editor/controls/KWaveTrace.h"

#include "editor/KCanvas.h"
#include "framework/KHistory.h"

#include <algorithm>
#include <cmath>

namespace KAMO {

namespace {
double levelOf(const double* level) { return level ? *level : 0.0; }
}  // namespace

KWaveTrace::KWaveTrace(KHistory* history, const double* level1, const double* level2, int mid,
                       int scale)
    : mHistory(history), mLevel1(level1), mLevel2(level2), mMid(mid), mScale(scale) {}

KWaveTrace::Reading KWaveTrace::read() const {
    return Reading{
        mHistory ? mHistory->changeCount() : 0,
        {{mLevel1 != nullptr, levelOf(mLevel1)}, {mLevel2 != nullptr, levelOf(mLevel2)}}};
}

void KWaveTrace::remember(const Reading& drawn) {
    mLastChanges = drawn.changes;
    mLastLevel1 = drawn.levels[0].value;
    mLastLevel2 = drawn.levels[1].value;
}

bool KWaveTrace::columnsChanged() const {
    return mHistory && mHistory->changeCount() != mLastChanges;
}

double KWaveTrace::levelMovement() const {
    // fmax passes over a NaN, so that one level gone wild cannot hide the
    // other's move.
    return std::fmax(std::fabs(levelOf(mLevel1) - mLastLevel1),
                     std::fabs(levelOf(mLevel2) - mLastLevel2));
}

int KWaveTrace::rowOf(double s, double zoom, int height) const {
    // Limited as a double so that a wild sample cannot overflow the cast.
    double row = mMid - std::round(s * zoom * mScale);
    if (!(row > 0.0)) row = 0.0;
    if (row > height) row = height;
    return static_cast<int>(row);
}

void KWaveTrace::drawColumns(KCanvas& canvas, int width, int height, double zoom,
                             const unsigned char* colourA, const unsigned char* colourB,
                             const unsigned char* centreColour) const {
    const int columns = mHistory ? std::min(mHistory->columnCount(), width) : 0;
    for (int i = 0; i < columns; ++i) {
        KHistory::Column c{};
        mHistory->column(i, c);
        const int x = width - 1 - i;
        canvas.drawVLine(x, rowOf(c.minA, zoom, height), rowOf(c.maxA, zoom, height), colourA);
        canvas.drawVLine(x, rowOf(c.minB, zoom, height), rowOf(c.maxB, zoom, height), colourB);
    }
    canvas.drawHLine(0, mMid, width, centreColour);
}

}  // namespace KAMO
