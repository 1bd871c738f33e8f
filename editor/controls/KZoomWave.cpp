#include "editor/controls/KZoomWave.h"

#include "editor/KCanvas.h"
#include "editor/KEditorSkin.h"
#include "framework/KHistory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace KAMO {

namespace {
constexpr double kLevelTolerance = 0.001;
constexpr float kMinZoom = 0.1f;
constexpr float kMaxZoom = 10.0f;
// The knob's centre sits this far right of its left edge.
constexpr int kKnobCentre = 20;

double levelOf(const double* level) { return level ? *level : 0.0; }
}  // namespace

KZoomWave::KZoomWave(const ControlSetup& setup, KHistory* history, const double* level1,
                     const double* level2, const unsigned char* colour1,
                     const unsigned char* colour2, const unsigned char* colour3,
                     const unsigned char* colour4, const unsigned char* colour5,
                     const unsigned char* colour6, const KFont* font)
    : KEditorControl(setup),
      mHistory(history),
      mLevel1(level1),
      mLevel2(level2),
      mColours{colour1, colour2, colour3, colour4, colour5, colour6},
      mFont(font),
      mMid((setup.height - kStripHeight) / 2),
      mScale((setup.height - kStripHeight) / 2 - 1),
      mTravel(setup.width - (kKnobWidth + 1)) {
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kMouseMove | kCancelCapture);
    resetZoom();
}

int KZoomWave::rowOf(double s) const {
    double row = mMid - std::round(s * mZoom * mScale);
    if (!(row > 0.0)) row = 0.0;
    if (row > mHeight) row = mHeight;
    return static_cast<int>(row);
}

bool KZoomWave::inStrip(int x, int y) const {
    return x >= 0 && x < mWidth && y >= mHeight - kStripHeight && y < mHeight;
}

void KZoomWave::setZoom(float z) {
    mZoom = z;
    const double t = std::log(z / 0.1) / std::log(100.0);
    mKnobLeft = 1 + static_cast<int>(std::lround(mTravel * t));
    std::snprintf(mZoomText, sizeof mZoomText, "%.2fx", static_cast<double>(z));
}

void KZoomWave::resetZoom() {
    mZoom = 1.0f;
    mKnobLeft = 1 + static_cast<int>(std::lround(mTravel / 2.0));
    std::snprintf(mZoomText, sizeof mZoomText, "%.2fx", 1.0);
}

void KZoomWave::zoomFrom(int x) {
    // A control too narrow for the knob has no travel: the pointer then
    // stands for the middle of the range rather than for a division by zero.
    const float t = mTravel > 0 ? static_cast<float>(x - kKnobCentre) / mTravel : 0.5f;
    float z = kMinZoom * std::pow(100.0f, t);
    if (z <= kMinZoom) z = kMinZoom;
    if (z >= kMaxZoom) z = kMaxZoom;
    setZoom(z);
}

bool KZoomWave::leftDown(bool, bool ctrl, int x, int y) {
    if (!inStrip(x, y)) return false;
    if (ctrl) {
        resetZoom();
        mState = kReset;
    } else {
        zoomFrom(x);
        mState = kDragging;
    }
    mDirty = true;
    if (mSkin) mSkin->requestRedraw();
    return true;
}

void KZoomWave::mouseMove(bool, int x, int) {
    if (mState != kDragging) return;
    zoomFrom(x);
    mDirty = true;
    if (mSkin) mSkin->requestRedraw();
}

bool KZoomWave::leftUp(bool, bool, int, int) {
    if (mState == kIdle) return false;
    mState = kIdle;
    if (mSkin) mSkin->requestRedraw();
    mDirty = true;
    return true;
}

void KZoomWave::cancelCapture() { leftUp(false, false, 0, 0); }

int KZoomWave::cursorAt(int x, int y) {
    return (mState != kIdle || inStrip(x, y)) ? kCursorHand : kCursorStandard;
}

bool KZoomWave::needsRedraw() {
    if (KEditorControl::needsRedraw()) return true;
    if (mHistory && mHistory->changeCount() != mLastChanges) return true;
    return std::fabs(levelOf(mLevel1) - mLastLevel1) > kLevelTolerance ||
           std::fabs(levelOf(mLevel2) - mLastLevel2) > kLevelTolerance;
}

void KZoomWave::draw(KCanvas& canvas) {
    const int changes = mHistory ? mHistory->changeCount() : 0;
    const double level1 = levelOf(mLevel1);
    const double level2 = levelOf(mLevel2);
    const int columns = mHistory ? std::min(mHistory->columnCount(), mWidth) : 0;
    for (int i = 0; i < columns; ++i) {
        KHistory::Column c{};
        mHistory->column(i, c);
        const int x = mWidth - 1 - i;
        canvas.drawVLine(x, rowOf(c.minA), rowOf(c.maxA), mColours[0]);
        canvas.drawVLine(x, rowOf(c.minB), rowOf(c.maxB), mColours[1]);
    }
    canvas.drawHLine(0, mMid, mWidth, mColours[2]);

    // Levels are not limited here: zoomed in, a line may leave the view.
    const struct {
        bool present;
        double value;
    } levels[] = {{mLevel1 != nullptr, level1}, {mLevel2 != nullptr, level2}};
    for (const auto& level : levels) {
        if (!level.present) continue;
        const double a = std::round(level.value * mZoom * mScale);
        if (!(a > 0.0)) continue;
        for (const double row : {mMid - a, mMid + a}) {
            if (row >= 0.0 && row <= mHeight - 1)
                canvas.drawHLine(0, static_cast<int>(row), mWidth, mColours[2]);
        }
    }

    const int stripTop = mHeight - kStripHeight;
    const int knobTop = mHeight - (kKnobHeight + 1);
    canvas.fillRectAlpha(0, stripTop, mWidth, kStripHeight, mColours[3]);
    canvas.fillRectAlpha(mKnobLeft, knobTop, kKnobWidth, kKnobHeight,
                         mState != kIdle ? mColours[5] : mColours[4]);
    canvas.drawText(mZoomText, mKnobLeft, knobTop, kKnobWidth, kKnobHeight, mFont, 1);

    mLastChanges = changes;
    mLastLevel1 = level1;
    mLastLevel2 = level2;
}

}  // namespace KAMO
