#include "editor/controls/KPot.h"

#include "editor/KCanvas.h"
#include "editor/KEditorResource.h"

#include <cmath>

namespace KAMO {

namespace {
constexpr double kValueTolerance = 0.00001;
constexpr double kPi = 3.14159265358979323846;
// Pixels of vertical motion for the whole range; horizontal motion counts a
// quarter as much.
constexpr double kDragScale = 0.01;
constexpr double kHorizontalWeight = 0.25;
constexpr double kDotRadius = 2.0;
constexpr double kLineWidth = 1.5;
}  // namespace

KPot::KPot(const ControlSetup& setup, int parameterIndex) : KDragControl(setup, parameterIndex) {
    addHandlers(kCursorAt);
}

int KPot::cursorAt(int, int) { return kCursorHand; }

bool KPot::dragDelta(int dx, int dy, double& delta) const {
    delta = kDragScale * (dx * kHorizontalWeight - dy);
    return true;
}

void KPot::indicatorPoint(double v, double radius, double w, double h, double& px, double& py) {
    const double angle = v * 1.5 * kPi + kPi / 4.0;
    px = w * 0.5 - radius * std::sin(angle);
    py = h * 0.5 + radius * std::cos(angle);
}

bool KPot::needsRedraw() {
    return KEditorControl::needsRedraw() ||
           std::fabs(quantisedValue(mIndex) - mLastDrawn) >= kValueTolerance;
}

void KPot::drawDot(KCanvas& canvas, const unsigned char* colour, double radius) {
    const double v = quantisedValue(mIndex);
    double px = 0.0, py = 0.0;
    indicatorPoint(v, radius, mWidth, mHeight, px, py);
    canvas.fillCircle(colour, px, py, kDotRadius);
    mLastDrawn = v;
}

// ---------------------------------------------------------------------------

KHighlightPot::KHighlightPot(const ControlSetup& setup, int parameterIndex,
                             const unsigned char* highlight, double reach,
                             const unsigned char* colour)
    : KPot(setup, parameterIndex), mHighlight(highlight), mColour(colour), mReach(reach) {}

void KHighlightPot::drawHighlight(KCanvas& canvas) {
    if (isPressed() && mHighlight)
        canvas.fillCircle(mHighlight, mWidth * 0.5, mHeight * 0.5, (mWidth - 1) * 0.5);
}

void KPotDot::draw(KCanvas& canvas) {
    drawHighlight(canvas);
    drawDot(canvas, mColour, mReach);
}

void KPotLine::draw(KCanvas& canvas) {
    drawHighlight(canvas);
    const double v = quantisedValue(mIndex);
    double px = 0.0, py = 0.0;
    indicatorPoint(v, mReach, mWidth, mHeight, px, py);
    canvas.drawLine(mColour, mWidth * 0.5, mHeight * 0.5, px, py, kLineWidth);
    mLastDrawn = v;
}

// ---------------------------------------------------------------------------

KBgPotDot::KBgPotDot(const ControlSetup& setup, int parameterIndex, KImageResource* image,
                     double orbitRadius, const unsigned char* dotColour)
    : KPot(setup, parameterIndex), mImage(image), mDotColour(dotColour), mRadius(orbitRadius) {}

void KBgPotDot::draw(KCanvas& canvas) {
    if (mImage) {
        const int frame = (isPressed() && mImage->frameCount() > 1) ? 1 : 0;
        mImage->drawFrame(canvas, 0, 0, frame);
    }
    drawDot(canvas, mDotColour, mRadius);
}

// ---------------------------------------------------------------------------

KImgPot::KImgPot(const ControlSetup& setup, int parameterIndex, KImageResource* image)
    : KStripControl(image, setup, parameterIndex) {}

int KImgPot::currentState() const {
    const int frames = mStrip.frameCount();
    if (frames < 2) return 0;
    return static_cast<int>(quantisedValue(mIndex) * (frames - 1) + 0.5);
}

}  // namespace KAMO
