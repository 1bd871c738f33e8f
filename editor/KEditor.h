#pragma once
// The plug-in's editor as the host sees it. The host hands it a parent
// window; the editor then runs a thread of its own (KEditorWindow) that
// draws the skin and handles the mouse. Host threads never draw: they post
// repaint and close requests, and repaints asked for by the effect are
// throttled here and caught up by the host's idle calls.

#include "shell/AEffEditor.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace KAMO {

class KEditorSkin;
class KEditorWindow;
class KEffect;

class KEditor : public AEffEditor {
public:
    // Milliseconds of a monotonic clock, wrapping in 32 bits.
    using Clock = std::uint32_t (*)();

    // Takes ownership of the skin.
    KEditor(KEffect* effect, KEditorSkin* skin);
    ~KEditor() override;

    bool getRect(ERect** rect) override;
    // Starts the window thread in the parent window (an X window id).
    bool open(void* ptr) override;
    // Ends the window thread; when this returns the window is gone and the
    // host has heard all the editor had to say.
    void close() override;
    bool isOpen() override;
    // Published by the window thread once it has made its window.
    unsigned long nativeWindow() override;
    // Delivers to the host what the editor's thread told the effect since
    // the last idle (KEffect::editorIdle), then posts the repaint that the
    // throttle held back, if any.
    void idle() override;
    // Remembered for the next opening, where it comes before every other
    // source of the factor (KUiScale) and, when it differs from the last
    // request, replaces the size the user chose; a value that is not a positive number
    // withdraws the request. Always true: the editor draws at any factor.
    bool setScaleFactor(float factor) override;
    void setEmbedderScale(int devicePixels) override;
    // Any size from the skin's to four times it, with the skin's aspect.
    bool canResize() override { return true; }
    bool constrainSize(int* width, int* height) override;
    bool setSize(int width, int height) override;
    virtual KEffect* kEffect() const { return mEffect; }
    // Throttled repaint request: at most one per the skin's throttle period.
    // Only the host's user-interface thread (the one that opened the editor)
    // and the window's own thread post it; from any other thread, such as a
    // host's audio thread automating a parameter, the request waits for the
    // next idle call, so that those threads never block on the X connection.
    void refresh() override;

    // The factor of the open window, or the one the next opening would use.
    float scaleFactor() const;

    KEditorSkin* skin() const { return mSkin; }
    KEditorWindow* window() const { return mWindow; }
    bool isRefreshPending() const { return mRefreshPending.load(std::memory_order_relaxed); }
    // Replaces the monotonic clock of the throttle (tests).
    void setClock(Clock clock);
    static std::uint32_t monotonicMs();

private:
    bool mayPostFromHere() const;

    KEffect* mEffect;
    KEditorSkin* mSkin;
    KEditorWindow* mWindow;
    ERect mRect{0, 0, 0, 0};
    // The host's request (0 for none), set on a host thread.
    std::atomic<float> mHostScale{0.0f};
    // The factor of the size the user chose last (0 for none).
    std::atomic<float> mChosenScale{0.0f};
    // refresh comes from whichever thread changed a parameter.
    std::atomic<bool> mRefreshPending{false};
    std::atomic<std::uint32_t> mLastRefresh{0};
    std::atomic<std::thread::id> mUiThread{};
    Clock mClock;
};

}  // namespace KAMO
