#include "editor/KEditor.h"

#include "editor/KEditorSkin.h"
#include "editor/KEditorWindow.h"
#include "editor/KUiScale.h"
#include "framework/KEffect.h"

#include <cstdint>
#include <ctime>

namespace KAMO {

std::uint32_t KEditor::monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // 32-bit on purpose: only differences are used, and they survive wrapping.
    return static_cast<std::uint32_t>(now.tv_sec) * 1000u +
           static_cast<std::uint32_t>(now.tv_nsec / 1000000);
}

KEditor::KEditor(KEffect* effect, KEditorSkin* skin)
    : AEffEditor(effect), mEffect(effect), mSkin(skin), mClock(&KEditor::monotonicMs) {
    mWindow = new KEditorWindow(skin);
}

KEditor::~KEditor() {
    // The window thread draws the skin, so it goes first.
    delete mWindow;
    mWindow = nullptr;
    delete mSkin;
    mSkin = nullptr;
}

bool KEditor::setScaleFactor(float factor) {
    const float confined = KUiScale::confine(factor);
    // Hosts repeat their factor at each opening; only a new one (another
    // screen, another desktop setting) replaces the size the user chose.
    if (mHostScale.exchange(confined, std::memory_order_relaxed) != confined)
        mChosenScale.store(0.0f, std::memory_order_relaxed);
    return true;
}

bool KEditor::constrainSize(int* width, int* height) {
    if (!width || !height || !mSkin) return false;
    const float scale = KUiScale::nearestScale(mSkin->width(), mSkin->height(), *width, *height);
    const int w = KUiScale::toDevice(mSkin->width(), scale);
    const int h = KUiScale::toDevice(mSkin->height(), scale);
    const bool allowed = w == *width && h == *height;
    *width = w;
    *height = h;
    return allowed;
}

bool KEditor::setSize(int width, int height) {
    if (!mSkin || !mWindow) return false;
    const float scale = KUiScale::fittingScale(mSkin->width(), mSkin->height(), width, height);
    mChosenScale.store(scale, std::memory_order_relaxed);
    if (systemWindow)
        mWindow->rescale(scale);
    else
        mWindow->setScale(scale);
    return true;
}

void KEditor::setEmbedderScale(int devicePixels) {
    if (mWindow) mWindow->setHintScale(devicePixels);
}

float KEditor::scaleFactor() const {
    if (!mWindow) return 1.0f;
    if (systemWindow) return mWindow->scale();
    const float chosen = mChosenScale.load(std::memory_order_relaxed);
    if (chosen > 0.0f) return chosen;
    return KUiScale::forDisplay(mWindow->hostDisplay(), mHostScale.load(std::memory_order_relaxed));
}

bool KEditor::getRect(ERect** rect) {
    if (!rect) return false;
    // Hosts ask before opening: the size is the one the opening will have.
    const float scale = scaleFactor();
    mRect.top = 0;
    mRect.left = 0;
    mRect.bottom = static_cast<VstInt16>(mSkin ? KUiScale::toDevice(mSkin->height(), scale) : 0);
    mRect.right = static_cast<VstInt16>(mSkin ? KUiScale::toDevice(mSkin->width(), scale) : 0);
    *rect = &mRect;
    return true;
}

bool KEditor::open(void* ptr) {
    if (!mWindow) return false;
    if (!systemWindow) mWindow->setScale(scaleFactor());
    systemWindow = ptr;
    mUiThread.store(std::this_thread::get_id());
    // Before the thread starts: the effect readies what the editor's edits use.
    if (mEffect) mEffect->editorOpened();
    // A window that could never be asked to close is not started at all, and
    // the host is told so.
    if (!mWindow->start(reinterpret_cast<std::uintptr_t>(ptr))) {
        systemWindow = nullptr;
        if (mEffect) mEffect->editorClosed();
        return false;
    }
    return true;
}

void KEditor::close() {
    if (mWindow) mWindow->stop();
    // The thread is gone: what it said last (the end of a gesture it gave
    // up) reaches the host on the host's thread, before the close returns.
    if (mEffect) mEffect->deliverEditorNotices();
    if (mEffect) mEffect->editorClosed();
    systemWindow = nullptr;
}

bool KEditor::isOpen() { return systemWindow != nullptr; }

unsigned long KEditor::nativeWindow() { return mWindow ? mWindow->windowId() : 0; }

void KEditor::idle() {
    if (mEffect) mEffect->editorIdle();
    if (mRefreshPending.load(std::memory_order_relaxed)) refresh();
}

bool KEditor::mayPostFromHere() const {
    const std::thread::id ui = mUiThread.load();
    return ui == std::thread::id() || ui == std::this_thread::get_id() ||
           (mWindow && mWindow->isWindowThread());
}

void KEditor::refresh() {
    if (!mSkin) return;
    const std::uint32_t now = mClock();
    const std::uint32_t last = mLastRefresh.load(std::memory_order_relaxed);
    const int throttle = mSkin->refreshThrottleMs();
    if ((throttle > 0 && now - last < static_cast<std::uint32_t>(throttle)) || !mayPostFromHere()) {
        mRefreshPending.store(true, std::memory_order_relaxed);
        return;
    }
    mLastRefresh.store(now, std::memory_order_relaxed);
    mRefreshPending.store(false, std::memory_order_relaxed);
    mSkin->requestRedraw();
}

void KEditor::setClock(Clock clock) { mClock = clock ? clock : &KEditor::monotonicMs; }

}  // namespace KAMO
