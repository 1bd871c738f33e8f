#pragma once
// The editor model built from a skin text: size and pages, resources,
// checks and their shared conditions, backgrounds and controls. The window
// thread draws it and feeds it mouse events; controls ask it for redraws,
// page switches and the background under themselves.

#include "editor/KCondition.h"
#include "framework/PtrList.h"

#include <atomic>

namespace KAMO {

class KCanvas;
class KEditorCheck;
class KEditorControl;
class KEditorResource;
class KEditorWindow;
class KEffect;
class KImageResource;

// One background entry: frame `frame` of an image on page `page` (0 for
// every page), shown while its conditions hold.
class KEditorBg {
public:
    KEditorBg(int page, KImageResource* image, int frame, const KConditionSet& conditions);

    int page() const { return mPage; }
    KImageResource* image() const { return mImage; }
    int frame() const { return mFrame; }
    const KConditionSet& conditions() const { return mConditions; }

private:
    int mPage;
    KImageResource* mImage;
    int mFrame;
    KConditionSet mConditions;
};

class KEditorSkin {
public:
    static constexpr int kDefaultThrottleMs = 40;

    explicit KEditorSkin(KEffect* effect);
    virtual ~KEditorSkin();
    KEditorSkin(const KEditorSkin&) = delete;
    KEditorSkin& operator=(const KEditorSkin&) = delete;

    // Asks the window for a repaint.
    virtual void requestRedraw();
    // The next draw pass repaints the background and every control.
    virtual void requestFullRedraw();
    virtual void setCurrentPage(int page);
    virtual int currentPage() const { return mCurrentPage.load(std::memory_order_relaxed); }

    // Fills the canvas clip with opaque black, then paints the part of the
    // drawn background that lies under it.
    void restoreBackground(KCanvas& canvas);
    // Page 0 or the current page, and the set holds.
    bool isShown(int page, const KConditionSet& conditions) const;
    bool isShown(const KEditorControl& control) const;

    // The window thread's side: canvas life, draw pass, mouse and cursor.
    void attachCanvas(KCanvas& canvas);
    void detachCanvas(KCanvas& canvas);
    // The attached canvas changes its factor; the next pass repaints all.
    void rescaleCanvas(KCanvas& canvas, float scale);
    void draw(KCanvas& canvas);
    void leftDown(bool shift, bool ctrl, int x, int y);
    void leftUp(bool shift, bool ctrl, int x, int y);
    void rightDown(bool shift, bool ctrl, int x, int y);
    void rightUp(bool shift, bool ctrl, int x, int y);
    void mouseMove(bool shift, int x, int y);
    // 1 without a shown target, else the target's cursor kind.
    int cursorKind(int x, int y);
    // Withdraws the mouse capture from the control that holds it.
    void cancelCapture();
    // The background entry that the draw pass shows now, or null.
    const KEditorBg* currentBackground() const;

    // Model access for the builder, the window and tests.
    KEffect* effect() const { return mEffect; }
    KEditorWindow* window() const { return mWindow; }
    void setWindow(KEditorWindow* window) { mWindow = window; }
    PtrMgr<KEditorResource>& resources() { return mResources; }
    PtrMgr<const KEditorCheck>& checks() { return mChecks; }
    PtrMgr<KCondition>& conditions() { return mConditions; }
    PtrMgr<KEditorControl>& controls() { return mControls; }
    PtrMgr<KEditorBg>& backgrounds() { return mBackgrounds; }
    const PtrMgr<KEditorResource>& resources() const { return mResources; }
    const PtrMgr<const KEditorCheck>& checks() const { return mChecks; }
    const PtrMgr<KEditorControl>& controls() const { return mControls; }
    const PtrMgr<KEditorBg>& backgrounds() const { return mBackgrounds; }

    // The shared condition for {check, negated}, created on first use.
    KCondition* sharedCondition(const KEditorCheck* check, bool negated);

    int width() const { return mWidth; }
    int height() const { return mHeight; }
    int pageCount() const { return mPageCount; }
    void setSize(int width, int height, int pages);
    int startPage() const { return mStartPage; }
    void setStartPage(int page) { mStartPage = page; }
    int refreshThrottleMs() const { return mRefreshThrottleMs; }
    void setRefreshThrottleMs(int ms) { mRefreshThrottleMs = ms; }
    int capturedControl() const { return mCaptured; }
    bool needsFullRedraw() const { return mFullRedraw.load(std::memory_order_relaxed); }
    const KEditorBg* drawnBackground() const { return mDrawnBackground; }

private:
    // The control that receives a mouse event at (x, y), or null.
    KEditorControl* mouseTarget(int x, int y) const;
    int indexOfTarget(int x, int y) const;

    KEditorWindow* mWindow = nullptr;
    PtrMgr<KEditorResource> mResources;
    PtrMgr<const KEditorCheck> mChecks;
    PtrMgr<KCondition> mConditions;
    PtrMgr<KEditorControl> mControls;
    PtrMgr<KEditorBg> mBackgrounds;
    KEffect* mEffect;
    int mWidth = 0;
    int mHeight = 0;
    int mPageCount = 0;
    int mStartPage = 1;
    const KEditorBg* mDrawnBackground = nullptr;
    // False until the first draw pass after the canvas came has painted the
    // whole surface; a skin without any background needs that too.
    bool mBackgroundPainted = false;
    int mRefreshThrottleMs = kDefaultThrottleMs;
    int mCaptured = -1;
    // Written by controls on the window thread, read by host threads that
    // ask for redraws.
    std::atomic<int> mCurrentPage{1};
    std::atomic<bool> mFullRedraw{false};
};

}  // namespace KAMO
