#include "editor/controls/KTextPeak.h"

#include "editor/KCanvas.h"
#include "framework/KEffect.h"
#include "framework/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace KAMO {

namespace {
constexpr double kSilence = 0.000001;
constexpr double kValueTolerance = 0.00001;
}  // namespace

KTextPeak::KTextPeak(const ControlSetup& setup, const double* value, int commandId,
                     const KFont* font, const KFont* overFont)
    : KEditorControl(setup), mValue(value), mCommand(commandId), mFont(font), mOverFont(overFont) {
    addHandlers(kCursorAt | kLeftDown);
}

double KTextPeak::currentState() const {
    const double x = mValue ? *mValue : 0.0;
    return x < kSilence ? 0.0 : x;
}

bool KTextPeak::formatPeak(char* out, int size, double value) {
    const double dB =
        value > 0.0 ? 20.0 * std::log10(value) : -std::numeric_limits<double>::infinity();
    if (!out || size < 1) return dB > 0.0;
    char number[32];
    formatNumber(number, sizeof number, 1, dB);
    // Cut at the buffer like every display text; a huge peak only loses its unit.
    const std::string text = std::string("Peak: ") + number + " dB";
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(out, text.data(), length);
    out[length] = 0;
    return dB > 0.0;
}

bool KTextPeak::needsRedraw() {
    return KEditorControl::needsRedraw() ||
           std::fabs(currentState() - mLastDrawn) >= kValueTolerance;
}

void KTextPeak::draw(KCanvas& canvas) {
    const double x = currentState();
    char text[kTextSize];
    const bool over = formatPeak(text, sizeof text, x);
    canvas.drawText(text, 0, 0, mWidth, mHeight, over ? mOverFont : mFont, 1);
    mLastDrawn = x;
}

int KTextPeak::cursorAt(int, int) { return kCursorHand; }

bool KTextPeak::leftDown(bool shift, bool ctrl, int, int) {
    if (mEffect) mEffect->executeEditorCommand(mCommand, shift, ctrl);
    invalidate();
    return false;
}

}  // namespace KAMO
