#pragma once
// The editor's window and its thread. The thread opens a display connection
// of its own, creates a child window with a GLX context in the host's
// parent window, draws the skin with nanovg into an offscreen framebuffer,
// copies that to the window, and turns mouse events into skin calls. It
// sleeps in the X event queue while nothing happens. Host threads reach it
// only by sending X events (repaint, rescale, close) through a second
// connection that this object keeps for them.

#include "editor/KHandle.h"

#include <pthread.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

struct _XDisplay;

namespace KAMO {

class KEditorSkin;

class KEditorWindow {
public:
    // Opens the host-side display connection and records itself as the
    // skin's window.
    explicit KEditorWindow(KEditorSkin* skin);
    // Stops the thread, then closes the host-side connection.
    ~KEditorWindow();
    KEditorWindow(const KEditorWindow&) = delete;
    KEditorWindow& operator=(const KEditorWindow&) = delete;

    // Device pixels per skin pixel of the next window the thread opens
    // (kept within the range KUiScale allows); 1 until set.
    void setScale(float scale);
    // setScale, and an open window takes the factor at once: it resizes
    // itself to the new device size and draws the skin again at it, with
    // the same drawing context and no reopening.
    void rescale(float scale);
    float scale() const { return mScale.load(std::memory_order_relaxed); }
    // Device pixels per unit of the size hints of the next window (1 until
    // set, and for anything below 1). Above 1, the window also keeps its
    // device size against an embedder that resizes it to the hinted numbers
    // taken as device pixels.
    void setHintScale(int devicePixels);
    int hintScale() const { return mHintScale.load(std::memory_order_relaxed); }
    // A device length in hint units of `hintScale`, rounded up so that the
    // embedder leaves room for all of the window.
    static int toHintUnits(int device, int hintScale);
    // The glXChooseVisual list of the visual the editor draws on: 8-bit
    // RGBA, double-buffered, with a depth buffer and the stencil nanovg
    // fills paths with.
    static std::array<int, 15> visualAttributes();
    // The host-side display connection (null without one): the editor reads
    // the desktop's resource database from it.
    _XDisplay* hostDisplay() const { return mHostDisplay.get(); }

    // Starts the thread in the parent window; a thread still running from
    // an earlier start is stopped first. False when no thread could run (no
    // host-side display: it could never be asked to close) or when `parent`
    // is no window.
    bool start(unsigned long parent);
    // Asks the thread to close its window and waits for it, whether or not
    // the window exists yet. Afterwards the window id is 0.
    void stop();
    // Sends the window an Expose event; nothing while there is no window.
    void postRepaint();

    unsigned long windowId() const { return mWindow.load(); }
    unsigned long parent() const { return mParent; }
    bool hasHostDisplay() const { return mHostDisplay.isValid(); }
    bool isRunning() const { return mThread.isValid(); }
    // True on the window's own thread.
    bool isWindowThread() const { return mThreadId.load() == std::this_thread::get_id(); }

    // Measurements for tests and benchmarks: repaints completed (buffers
    // swapped) since creation, the duration of the last repaint, and the
    // CPU time of the running thread (-1 without one).
    std::uint64_t framesDrawn() const { return mFrames.load(std::memory_order_acquire); }
    std::uint64_t lastRepaintNs() const { return mLastRepaintNs.load(std::memory_order_relaxed); }
    std::int64_t threadCpuNs() const;
    // GL textures, framebuffers and renderbuffers alive in the window's
    // context, counted when it first drew and after each rescale (-1 before).
    int glObjects() const { return mGlObjects.load(std::memory_order_acquire); }
    // Rescales that the open window has completed.
    int rescales() const { return mRescales.load(std::memory_order_acquire); }

private:
    friend class KWindowSession;

    static void* threadEntry(void* self);
    void run();
    // Called by the thread before its window goes: no host thread sends to
    // it any more, and whatever was sent has been dealt with.
    void retractWindow();
    // A client message of `atom` to the window, if there is one.
    void send(unsigned long atom);

    KEditorSkin* mSkin;
    KHandle<_XDisplay*> mHostDisplay;
    unsigned long mDeleteAtom = 0;
    unsigned long mRescaleAtom = 0;
    unsigned long mParent = 0;
    // Set by the host side before start, read by the thread.
    std::atomic<float> mScale{1.0f};
    std::atomic<int> mHintScale{1};
    // Written by the thread, read by host threads.
    std::atomic<unsigned long> mWindow{0};
    std::atomic<bool> mClosing{false};
    // Host-side sends in progress; the thread waits for them to finish
    // before it destroys the window they are addressed to.
    std::atomic<int> mSending{0};
    KHandle<pthread_t> mThread;
    std::atomic<std::thread::id> mThreadId{};
    // Thread side only.
    int mCursorKind = 0;
    std::atomic<std::uint64_t> mFrames{0};
    std::atomic<std::uint64_t> mLastRepaintNs{0};
    std::atomic<int> mGlObjects{-1};
    std::atomic<int> mRescales{0};
};

}  // namespace KAMO
