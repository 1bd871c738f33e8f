#include "editor/controls/KValue.h"

#include "editor/KCanvas.h"
#include "editor/KEditorResource.h"

#include <cmath>

namespace KAMO {

namespace {
constexpr double kValueTolerance = 0.00001;
}

KValue::KValue(const ControlSetup& setup, int parameterIndex, const KFont* font)
    : KEditorControl(setup), mIndex(parameterIndex), mFont(font) {}

bool KValue::needsRedraw() {
    return KEditorControl::needsRedraw() ||
           std::fabs(quantisedValue(mIndex) - mLastDrawn) >= kValueTolerance;
}

void KValue::drawText(KCanvas& canvas) {
    const double v = quantisedValue(mIndex);
    canvas.drawText(labelledText(mIndex), 0, 0, mWidth, mHeight, mFont, 1);
    mLastDrawn = v;
}

void KValue::draw(KCanvas& canvas) { drawText(canvas); }

KBgValue::KBgValue(const ControlSetup& setup, int parameterIndex, KImageResource* image,
                   const KFont* font)
    : KValue(setup, parameterIndex, font), mImage(image) {}

void KBgValue::draw(KCanvas& canvas) {
    if (mImage) mImage->drawFrame(canvas, 0, 0, 0);
    drawText(canvas);
}

}  // namespace KAMO
