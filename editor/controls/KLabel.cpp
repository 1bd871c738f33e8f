#include "editor/controls/KLabel.h"

#include "editor/KCanvas.h"
#include "framework/KEffect.h"

#include <cstdint>
#include <cstring>

namespace KAMO {

KLabel::KLabel(const ControlSetup& setup, int alignment, const char* text, const KFont* font,
               int refreshMs)
    : KEditorControl(setup), mTemplate(text ? text : ""), mFont(font), mAlignment(alignment) {
    if (mTemplate.find('$') != std::string::npos) {
        expand();
        mRefreshMs = refreshMs;
        mStatic = refreshMs == 0;
    } else {
        // Nothing to substitute: a period would only cost repaints.
        mShown = mTemplate;
    }
}

void KLabel::expand() {
    char buffer[kExpandedSize];
    buffer[0] = 0;
    if (mEffect) {
        mEffect->expandText(buffer, kExpandedSize, mTemplate.c_str());
        buffer[kExpandedSize - 1] = 0;
    } else {
        std::strncpy(buffer, mTemplate.c_str(), kExpandedSize - 1);
        buffer[kExpandedSize - 1] = 0;
    }
    mShown = buffer;
}

bool KLabel::needsRedraw() {
    if (KEditorControl::needsRedraw()) return true;
    if (mStatic) return false;
    const int now = monotonicMs();
    // Compared in 64 bits so that the wrap of the 32-bit clock cannot overflow.
    const int64_t elapsed = static_cast<int64_t>(now) - mLastDrawnMs;
    return elapsed > mRefreshMs || now < mLastDrawnMs;
}

void KLabel::draw(KCanvas& canvas) {
    if (!mStatic) expand();
    canvas.drawText(mShown.c_str(), 0, 0, mWidth, mHeight, mFont, mAlignment);
    mLastDrawnMs = monotonicMs();
}

}  // namespace KAMO
