#pragma once
// A line of text. A text holding "$" is expanded through the effect's
// information variables; with a refresh period it is expanded again, and
// repainted, once the period has elapsed at a redraw pass.

#include "editor/controls/KEditorControl.h"

#include <string>

namespace KAMO {

class KFont;

class KLabel : public KEditorControl {
public:
    static constexpr int kExpandedSize = 384;

    // alignment: 0 left, 1 centre, 2 right.
    KLabel(const ControlSetup& setup, int alignment, const char* text, const KFont* font,
           int refreshMs);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;

    const char* shownText() const { return mShown.c_str(); }
    bool isStatic() const { return mStatic; }
    int refreshMs() const { return mRefreshMs; }

private:
    void expand();

    std::string mTemplate;
    std::string mShown;
    const KFont* mFont;
    int mAlignment;
    int mRefreshMs = 0;
    bool mStatic = true;
    int mLastDrawnMs = 0;
};

}  // namespace KAMO
