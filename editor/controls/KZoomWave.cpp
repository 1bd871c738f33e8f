#include "editor/controls/KZoomWave.h"

#include "editor/KCanvas.h"
#include "editor/KEditorSkin.h"

#include <cmath>
#include <cstdio>

namespace KAMO {

namespace {
constexpr double kLevelTolerance = 0.001;
constexpr float kMinZoom = 0.1f;
constexpr float kMaxZoom = 10.0f;
}  // namespace

KZoomWave::KZoomWave(const ControlSetup& setup, KHistory* history, const double* level1,
                     const double* level2, const unsigned char* colour1,
                     const unsigned char* colour2, const unsigned char* colour3,
                     const unsigned char* colour4, const unsigned char* colour5,
                     const unsigned char* colour6, const KFont* font)
    : KEditorControl(setup),
      mTrace(history, level1, level2, (setup.height - kStripHeight) / 2,
             (setup.height - kStripHeight) / 2 - 1),
      mColours{colour1, colour2, colour3, colour4, colour5, colour6},
      mFont(font),
      mTravel(setup.width - (kKnobWidth + 1)) {
    addHandlers(kCursorAt | kLeftDown | kLeftUp | kMouseMove | kCancelCapture);
    resetZoom();
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
    const float t = mTravel > 0 ? static_cast<float>(x - kKnobWidth / 2) / mTravel : 0.5f;
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
    if (mTrace.columnsChanged()) return true;
    return mTrace.levelMovement() > kLevelTolerance;
}

void KZoomWave::draw(KCanvas& canvas) {
    const KWaveTrace::Reading now = mTrace.read();
    mTrace.drawColumns(canvas, mWidth, mHeight, mZoom, mColours[0], mColours[1], mColours[2]);

    // Levels are not limited here: zoomed in, a line may leave the view.
    const int mid = mTrace.centreRow();
    for (const auto& level : now.levels) {
        if (!level.present) continue;
        const double a = std::round(level.value * mZoom * mTrace.scale());
        if (!(a > 0.0)) continue;
        for (const double row : {mid - a, mid + a}) {
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

    mTrace.remember(now);
}

}  // namespace KAMO
