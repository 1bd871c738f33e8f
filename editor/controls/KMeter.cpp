#include "editor/controls/KMeter.h"

#include "editor/KCanvas.h"

#include <cmath>
#include <strings.h>

namespace KAMO {

namespace {
constexpr double kFractionTolerance = 0.0001;
}  // namespace

int KMeter::clampFrame(double d, int frames) {
    // Limited while still a double: a wild value must not overflow the cast.
    if (!(d > 0.0)) return 0;
    if (d >= frames - 1) return frames > 1 ? frames - 1 : 0;
    return static_cast<int>(d);
}

// ---------------------------------------------------------------------------

KBarFracMeter::KBarFracMeter(const ControlSetup& setup, const double* value, int direction,
                             const unsigned char* colour)
    : KMeter(setup), mValue(value), mDirection(direction), mColour(colour) {}

int KBarFracMeter::directionOf(const char* word) {
    if (!word) return kNone;
    if (strcasecmp(word, "LeftToRight") == 0) return kLeftToRight;
    if (strcasecmp(word, "RightToLeft") == 0) return kRightToLeft;
    if (strcasecmp(word, "TopToBottom") == 0) return kTopToBottom;
    if (strcasecmp(word, "BottomToTop") == 0) return kBottomToTop;
    return kNone;
}

double KBarFracMeter::currentState() const {
    const double v = mValue ? *mValue : 0.0;
    if (!(v > 0.0)) return 0.0;  // also a value that is not a number
    return v > 1.0 ? 1.0 : v;
}

bool KBarFracMeter::needsRedraw() {
    return KEditorControl::needsRedraw() ||
           std::fabs(currentState() - mLastFraction) >= kFractionTolerance;
}

void KBarFracMeter::draw(KCanvas& canvas) {
    const double f = currentState();
    const int u = static_cast<int>(mWidth * f + 0.5);
    const int v = static_cast<int>(mHeight * f + 0.5);
    switch (mDirection) {
    case kLeftToRight:
        canvas.fillRectAlpha(0, 0, u, mHeight, mColour);
        break;
    case kRightToLeft:
        canvas.fillRectAlpha(mWidth - u, 0, u, mHeight, mColour);
        break;
    case kTopToBottom:
        canvas.fillRectAlpha(0, 0, mWidth, v, mColour);
        break;
    case kBottomToTop:
        canvas.fillRectAlpha(0, mHeight - v, mWidth, v, mColour);
        break;
    default:
        break;
    }
    mLastFraction = f;
}

// ---------------------------------------------------------------------------

KImgFracMeter::KImgFracMeter(const ControlSetup& setup, const double* value, KImageResource* image)
    : KStripControl(image, setup), mValue(value) {}

int KImgFracMeter::currentState() const {
    const int frames = mStrip.frameCount();
    return clampFrame((frames - 1) * (mValue ? *mValue : 0.0), frames);
}

// ---------------------------------------------------------------------------

KImgMeter::KImgMeter(const ControlSetup& setup, const int32_t* value, double scale, double offset,
                     KImageResource* image)
    : KStripControl(image, setup), mValue(value), mScale(scale), mOffset(offset) {}

int KImgMeter::currentState() const {
    const double value = mValue ? *mValue : 0;
    return clampFrame(value * mScale + mOffset + 0.5, mStrip.frameCount());
}

}  // namespace KAMO
