#include "editor/KEditorSkin.h"

#include "editor/KCanvas.h"
#include "editor/KEditorCheck.h"
#include "editor/KEditorResource.h"
#include "editor/KEditorWindow.h"
#include "editor/controls/KEditorControl.h"

namespace KAMO {

namespace {

const unsigned char kBlack[4] = {0, 0, 0, 255};

using ButtonCall = bool (KEditorControl::*)(bool shift, bool ctrl, int x, int y);

// Hands a button event at editor point (x, y) to `control` when it takes
// such events, and answers what the control answered: a press it takes
// gives it the mouse capture, a release it takes ends the capture.
bool deliver(KEditorControl* control, KEditorControl::Handler handler, ButtonCall call, bool shift,
             bool ctrl, int x, int y) {
    return control && control->handles(handler) &&
           (control->*call)(shift, ctrl, x - control->x(), y - control->y());
}

}  // namespace

KEditorBg::KEditorBg(int page, KImageResource* image, int frame, const KConditionSet& conditions)
    : mPage(page), mImage(image), mFrame(frame) {
    mConditions.assign(conditions);
}

KEditorSkin::KEditorSkin(KEffect* effect) : mEffect(effect) {}

KEditorSkin::~KEditorSkin() {
    // Everything that refers to something goes before what it refers to.
    mBackgrounds.clear();
    mControls.clear();
    mConditions.clear();
    mChecks.clear();
    mResources.clear();
}

void KEditorSkin::requestRedraw() {
    if (mWindow) mWindow->postRepaint();
}

void KEditorSkin::requestFullRedraw() {
    mFullRedraw.store(true, std::memory_order_relaxed);
    requestRedraw();
}

void KEditorSkin::setCurrentPage(int page) {
    mCurrentPage.store(page, std::memory_order_relaxed);
    requestRedraw();
}

void KEditorSkin::setSize(int width, int height, int pages) {
    mWidth = width;
    mHeight = height;
    mPageCount = pages;
}

bool KEditorSkin::isShown(int page, const KConditionSet& conditions) const {
    return (page == 0 || page == currentPage()) && conditions.holds();
}

bool KEditorSkin::isShown(const KEditorControl& control) const {
    return isShown(control.page(), control.conditions());
}

KCondition* KEditorSkin::sharedCondition(const KEditorCheck* check, bool negated) {
    for (int i = 0; i < mConditions.count(); ++i) {
        KCondition* condition = mConditions.get(i);
        if (condition->check() == check && condition->isNegated() == negated) return condition;
    }
    KCondition* condition = new KCondition(check, negated);
    mConditions.add(condition);
    return condition;
}

const KEditorBg* KEditorSkin::currentBackground() const {
    for (int i = 0; i < mBackgrounds.count(); ++i) {
        const KEditorBg* bg = mBackgrounds.get(i);
        if (isShown(bg->page(), bg->conditions())) return bg;
    }
    return nullptr;
}

void KEditorSkin::restoreBackground(KCanvas& canvas) {
    canvas.fillRect(0, 0, canvas.clipWidth(), canvas.clipHeight(), kBlack);
    if (mDrawnBackground && mDrawnBackground->image())
        mDrawnBackground->image()->drawFramePart(canvas, mDrawnBackground->frame(), canvas.clipX(),
                                                 canvas.clipY(), canvas.clipWidth(),
                                                 canvas.clipHeight(), 0, 0);
}

void KEditorSkin::attachCanvas(KCanvas& canvas) {
    mDrawnBackground = nullptr;
    mBackgroundPainted = false;
    for (int i = 0; i < mControls.count(); ++i) mControls.get(i)->forceRedraw();
    for (int i = 0; i < mResources.count(); ++i) mResources.get(i)->attach(canvas);
}

void KEditorSkin::detachCanvas(KCanvas& canvas) {
    for (int i = 0; i < mResources.count(); ++i) mResources.get(i)->detach(canvas);
}

void KEditorSkin::draw(KCanvas& canvas) {
    canvas.resetClip();
    const KEditorBg* bg = currentBackground();
    if (bg != mDrawnBackground || !mBackgroundPainted ||
        mFullRedraw.load(std::memory_order_relaxed)) {
        mDrawnBackground = bg;
        mBackgroundPainted = true;
        canvas.fillRect(0, 0, canvas.width(), canvas.height(), kBlack);
        if (bg && bg->image()) bg->image()->drawFrame(canvas, 0, 0, bg->frame());
        for (int i = 0; i < mControls.count(); ++i) mControls.get(i)->forceRedraw();
        mFullRedraw.store(false, std::memory_order_relaxed);
    }
    for (int i = 0; i < mControls.count(); ++i) {
        KEditorControl* control = mControls.get(i);
        canvas.setClip(control->x(), control->y(), control->width(), control->height());
        if (isShown(*control))
            control->drawIfNeeded(canvas);
        else
            control->erase(canvas);
        canvas.resetClip();
    }
}

int KEditorSkin::indexOfTarget(int x, int y) const {
    if (mCaptured >= 0 && mCaptured < mControls.count())
        return isShown(*mControls.get(mCaptured)) ? mCaptured : -1;
    for (int i = 0; i < mControls.count(); ++i) {
        const KEditorControl* control = mControls.get(i);
        if (control->contains(x, y) && isShown(*control)) return i;
    }
    return -1;
}

KEditorControl* KEditorSkin::mouseTarget(int x, int y) const {
    const int i = indexOfTarget(x, y);
    return i >= 0 ? mControls.get(i) : nullptr;
}

void KEditorSkin::leftDown(bool shift, bool ctrl, int x, int y) {
    const int i = indexOfTarget(x, y);
    if (i >= 0 && deliver(mControls.get(i), KEditorControl::kLeftDown, &KEditorControl::leftDown,
                          shift, ctrl, x, y))
        mCaptured = i;
}

void KEditorSkin::rightDown(bool shift, bool ctrl, int x, int y) {
    const int i = indexOfTarget(x, y);
    if (i >= 0 && deliver(mControls.get(i), KEditorControl::kRightDown, &KEditorControl::rightDown,
                          shift, ctrl, x, y))
        mCaptured = i;
}

void KEditorSkin::leftUp(bool shift, bool ctrl, int x, int y) {
    if (deliver(mouseTarget(x, y), KEditorControl::kLeftUp, &KEditorControl::leftUp, shift, ctrl, x,
                y))
        mCaptured = -1;
}

void KEditorSkin::rightUp(bool shift, bool ctrl, int x, int y) {
    if (deliver(mouseTarget(x, y), KEditorControl::kRightUp, &KEditorControl::rightUp, shift, ctrl,
                x, y))
        mCaptured = -1;
}

void KEditorSkin::mouseMove(bool shift, int x, int y) {
    KEditorControl* control = mouseTarget(x, y);
    if (control && control->handles(KEditorControl::kMouseMove))
        control->mouseMove(shift, x - control->x(), y - control->y());
}

int KEditorSkin::cursorKind(int x, int y) {
    KEditorControl* control = mouseTarget(x, y);
    if (!control) return 1;
    if (!control->handles(KEditorControl::kCursorAt)) return 0;
    return control->cursorAt(x - control->x(), y - control->y());
}

void KEditorSkin::cancelCapture() {
    if (mCaptured >= 0 && mCaptured < mControls.count()) {
        KEditorControl* control = mControls.get(mCaptured);
        if (control->handles(KEditorControl::kCancelCapture)) control->cancelCapture();
    }
    mCaptured = -1;
}

}  // namespace KAMO
