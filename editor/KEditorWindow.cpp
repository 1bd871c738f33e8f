#include "editor/KEditorWindow.h"

// The GL loader's header must come before any other GL header.
#include <glad/gl.h>

#define NANOVG_GL2 1
#include "nanovg.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"

#include "editor/KCanvas.h"
#include "editor/KEditorSkin.h"
#include "editor/KUiScale.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sched.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <mutex>

namespace KAMO {

namespace {

// --- X errors --------------------------------------------------------------
// While any editor thread runs, X errors are ignored: the parent may vanish
// under us, and a late request to a window already gone must not end the
// host. The handler is process-wide, so it is installed by the first thread
// and restored by the last one, whichever editor instance they belong to.

thread_local int tErrors = 0;

int ignoreError(Display*, XErrorEvent*) {
    ++tErrors;
    return 0;
}

class ErrorScope {
public:
    explicit ErrorScope(Display* display) : mDisplay(display) {
        std::lock_guard<std::mutex> lock(sMutex);
        if (sUsers++ == 0) sPrevious = XSetErrorHandler(&ignoreError);
    }
    // Errors of requests still under way are read before the host's handler
    // comes back.
    ~ErrorScope() {
        XSync(mDisplay, False);
        std::lock_guard<std::mutex> lock(sMutex);
        if (--sUsers != 0) return;
        // Someone who installed a handler after ours keeps it.
        const XErrorHandler current = XSetErrorHandler(sPrevious);
        if (current != &ignoreError) XSetErrorHandler(current);
    }
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;

private:
    Display* mDisplay;
    static std::mutex sMutex;
    static int sUsers;
    static XErrorHandler sPrevious;
};

std::mutex ErrorScope::sMutex;
int ErrorScope::sUsers = 0;
XErrorHandler ErrorScope::sPrevious = nullptr;

// Xlib is used from the host's threads and from editor threads; it must be
// told before the first connection opens.
void initXThreads() {
    static std::once_flag once;
    std::call_once(once, [] { XInitThreads(); });
}

// The GL entry points are process-wide and the same for every context of
// one library, so they are resolved once, by the first thread with a
// current context.
bool loadGl() {
    static std::mutex mutex;
    static bool loaded = false;
    std::lock_guard<std::mutex> lock(mutex);
    if (!loaded) loaded = gladLoaderLoadGL() != 0;
    return loaded;
}

std::uint64_t nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

constexpr long kEventMask = ButtonPressMask | ButtonReleaseMask | EnterWindowMask |
                            LeaveWindowMask | PointerMotionMask | ExposureMask |
                            StructureNotifyMask | PropertyChangeMask;

constexpr unsigned kHandCursor = 58;   // XC_hand1
constexpr unsigned kTextCursor = 152;  // XC_xterm

}  // namespace

// --- One opening of the window ------------------------------------------------
// Everything the thread creates, in creation order; members are released in
// the reverse order when the session ends.

class KWindowSession {
public:
    explicit KWindowSession(KEditorWindow& owner) : mOwner(owner), mSkin(*owner.mSkin) {}

    void run();

private:
    bool createWindow();
    bool createDrawing();
    void eventLoop();
    void repaint();
    // Takes the owner's factor when it differs from the one drawn at.
    void applyScale();
    void setSizeHints();
    // GL objects of the context, for the owner's leak count.
    static int countGlObjects();
    void updateCursor(int x, int y);
    // A window coordinate in skin pixels: controls see the same positions
    // and drag distances at every factor.
    int toSkin(int device) const;

    KEditorWindow& mOwner;
    KEditorSkin& mSkin;
    // The skin's size, and the window's in device pixels.
    int mWidth = 0;
    int mHeight = 0;
    float mScale = 1.0f;
    int mHintScale = 1;
    int mDeviceWidth = 0;
    int mDeviceHeight = 0;
    // The window's own size, which a host or window manager may make larger
    // (or smaller) than the picture: the picture keeps its top left corner
    // at the window's, where the mouse is read.
    int mWindowWidth = 0;
    int mWindowHeight = 0;
    // What fills the window beyond the picture: the colour at its bottom
    // right corner, read from each new picture when first needed, so that
    // the artwork seems to go on.
    float mSurround[3] = {0, 0, 0};
    bool mSurroundRead = false;
    // Set when the picture is drawn anew (first, and after a rescale).
    bool mFreshPicture = true;

    KHandle<Display*> mDisplay;
    // Declared after the display that it must outlive and before all that
    // may raise errors while going.
    std::unique_ptr<ErrorScope> mErrors;
    KHandle<XVisualInfo*> mVisual;
    KHandle<Colormap> mColormap;
    KHandle<Window> mWindow;
    KHandle<GLXContext> mGlx;
    KHandle<NVGcontext*> mVg;
    KHandle<NVGLUframebuffer*> mFramebuffer;
    std::unique_ptr<KCanvas> mCanvas;
    KHandle<KCanvas*> mAttached;
    KHandle<Cursor> mHand;
    KHandle<Cursor> mText;
    KHandle<Window> mCursorOwner;
    // Last, so that it goes first: the host side stops sending to the window
    // before anything of it is torn down.
    KHandle<KEditorWindow*> mPublished;
};

void KWindowSession::run() {
    mWidth = mSkin.width();
    mHeight = mSkin.height();
    mScale = mOwner.scale();
    mHintScale = mOwner.hintScale();
    mDeviceWidth = KUiScale::toDevice(mWidth, mScale);
    mDeviceHeight = KUiScale::toDevice(mHeight, mScale);
    mWindowWidth = mDeviceWidth;
    mWindowHeight = mDeviceHeight;
    if (mWidth < 1 || mHeight < 1) return;
    mDisplay =
        KHandle<Display*>(XOpenDisplay(nullptr), [](void*, Display* d) { XCloseDisplay(d); });
    if (!mDisplay.get()) return;
    mErrors.reset(new ErrorScope(mDisplay.get()));
    if (!createWindow()) return;
    if (mOwner.mClosing.load()) return;
    XMapWindow(mDisplay.get(), mWindow.get());
    if (!createDrawing()) return;
    // A rescale asked for before the window was published sent no message.
    applyScale();
    eventLoop();
    // However the loop ended (a close request, or the parent going with the
    // window in it), a press still held will never see its release: give it
    // up here, on this thread, so that a knob ends its host gesture, a
    // command runs nothing, and the next opening starts with no capture.
    mSkin.cancelCapture();
}

bool KWindowSession::createWindow() {
    Display* display = mDisplay.get();
    std::array<int, 15> attributes = KEditorWindow::visualAttributes();
    mVisual = KHandle<XVisualInfo*>(glXChooseVisual(display, 0, attributes.data()),
                                    [](void*, XVisualInfo* v) { XFree(v); });
    if (!mVisual.get()) return false;
    XVisualInfo* visual = mVisual.get();
    const Window parent = mOwner.mParent;

    // A parent that does not exist (or not any more) ends the session here.
    XWindowAttributes parentAttributes{};
    if (!XGetWindowAttributes(display, parent, &parentAttributes)) return false;

    mColormap = KHandle<Colormap>(
        XCreateColormap(display, parent, visual->visual, AllocNone),
        [](void* d, Colormap c) { XFreeColormap(static_cast<Display*>(d), c); }, display);
    XSetWindowAttributes attributesToSet{};
    attributesToSet.colormap = mColormap.get();
    attributesToSet.event_mask = kEventMask;
    unsigned long valueMask = CWColormap | CWEventMask;
    // A window deeper than its parent (32-bit visuals) cannot borrow the
    // parent's border; without a border pixel of its own it fails to exist.
    if (visual->depth != parentAttributes.depth) {
        attributesToSet.border_pixel = 0;
        valueMask |= CWBorderPixel;
    }
    tErrors = 0;
    const Window window = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(mDeviceWidth),
                                        static_cast<unsigned>(mDeviceHeight), 0, visual->depth,
                                        InputOutput, visual->visual, valueMask, &attributesToSet);
    XSync(display, False);
    if (!window || tErrors != 0) return false;
    mWindow = KHandle<Window>(
        window,
        [](void* d, Window w) {
            XDestroyWindow(static_cast<Display*>(d), w);
            XFlush(static_cast<Display*>(d));
        },
        display);
    setSizeHints();
    // On the server before anyone learns of the window: an embedder reads
    // the hints as soon as it has the id, on a connection of its own, and
    // one that finds none keeps the size it guessed.
    XSync(display, False);
    mOwner.mWindow.store(window);
    mPublished = KHandle<KEditorWindow*>(
        &mOwner, [](void*, KEditorWindow* owner) { owner->retractWindow(); });
    return true;
}

void KWindowSession::setSizeHints() {
    // Toolkits that embed the window (GTK's socket among them) size their
    // own from these hints; without them they guess, and at a factor above
    // 1 they leave room for the window twice over. The editor changes its
    // size only when asked through its owner, so the hints always name the
    // one size it has.
    const int hintWidth = KEditorWindow::toHintUnits(mDeviceWidth, mHintScale);
    const int hintHeight = KEditorWindow::toHintUnits(mDeviceHeight, mHintScale);
    XSizeHints hints{};
    hints.flags = PSize | PMinSize | PMaxSize | PBaseSize;
    hints.width = hints.min_width = hints.max_width = hints.base_width = hintWidth;
    hints.height = hints.min_height = hints.max_height = hints.base_height = hintHeight;
    XSetWMNormalHints(mDisplay.get(), mWindow.get(), &hints);
}

bool KWindowSession::createDrawing() {
    Display* display = mDisplay.get();
    mGlx = KHandle<GLXContext>(
        glXCreateContext(display, mVisual.get(), nullptr, True),
        [](void* d, GLXContext c) {
            glXMakeCurrent(static_cast<Display*>(d), None, nullptr);
            glXDestroyContext(static_cast<Display*>(d), c);
        },
        display);
    if (!mGlx.get()) return false;
    if (!glXMakeCurrent(display, mWindow.get(), mGlx.get())) return false;
    if (!loadGl()) return false;
    mVg = KHandle<NVGcontext*>(nvgCreateGL2(NVG_ANTIALIAS),
                               [](void*, NVGcontext* vg) { nvgDeleteGL2(vg); });
    if (!mVg.get()) return false;
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    mFramebuffer = KHandle<NVGLUframebuffer*>(
        nvgluCreateFramebuffer(mVg.get(), mDeviceWidth, mDeviceHeight, 0),
        [](void*, NVGLUframebuffer* fb) { nvgluDeleteFramebuffer(fb); });
    if (!mFramebuffer.get()) return false;
    mCanvas.reset(new KCanvas(mVg.get(), mWidth, mHeight, mScale));
    mSkin.attachCanvas(*mCanvas);
    mAttached = KHandle<KCanvas*>(
        mCanvas.get(),
        [](void* skin, KCanvas* c) { static_cast<KEditorSkin*>(skin)->detachCanvas(*c); }, &mSkin);
    // The window's cursor is taken off before the window and the cursors go.
    mOwner.mCursorKind = 0;
    mCursorOwner = KHandle<Window>(
        mWindow.get(), [](void* d, Window w) { XUndefineCursor(static_cast<Display*>(d), w); },
        display);
    // Nothing is drawn yet: the first picture comes with the Expose event of
    // the window becoming visible.
    return true;
}

void KWindowSession::eventLoop() {
    Display* display = mDisplay.get();
    XEvent event;
    for (;;) {
        XNextEvent(display, &event);
        switch (event.type) {
        case ButtonPress:
        case ButtonRelease: {
            const XButtonEvent& b = event.xbutton;
            const bool shift = (b.state & ShiftMask) != 0;
            const bool ctrl = (b.state & ControlMask) != 0;
            const bool press = event.type == ButtonPress;
            const int x = toSkin(b.x), y = toSkin(b.y);
            if (b.button == Button1) {
                if (press)
                    mSkin.leftDown(shift, ctrl, x, y);
                else
                    mSkin.leftUp(shift, ctrl, x, y);
            } else if (b.button == Button3) {
                if (press)
                    mSkin.rightDown(shift, ctrl, x, y);
                else
                    mSkin.rightUp(shift, ctrl, x, y);
            }
            updateCursor(x, y);
            break;
        }
        case MotionNotify: {
            const XMotionEvent& m = event.xmotion;
            // A release that never reached us (the pointer was taken away
            // mid-press) must not leave plain motion dragging a control.
            if ((m.state & (Button1Mask | Button3Mask)) == 0) mSkin.cancelCapture();
            const int x = toSkin(m.x), y = toSkin(m.y);
            mSkin.mouseMove((m.state & ShiftMask) != 0, x, y);
            updateCursor(x, y);
            break;
        }
        case Expose:
            // One repaint serves every exposure already queued.
            while (XCheckTypedWindowEvent(display, mWindow.get(), Expose, &event)) {
            }
            repaint();
            break;
        case ConfigureNotify: {
            const XConfigureEvent& c = event.xconfigure;
            if (c.window != mWindow.get()) break;
            // An embedder that reads the hints in its own units also
            // resizes the window to them, taken as device pixels: the
            // window takes its size back, so that it is never cropped.
            if (mHintScale > 1 && (c.width != mDeviceWidth || c.height != mDeviceHeight)) {
                XResizeWindow(display, mWindow.get(), static_cast<unsigned>(mDeviceWidth),
                              static_cast<unsigned>(mDeviceHeight));
                break;
            }
            // Any other size is the host's or the window manager's to give:
            // the picture stays as it is at the top left. A smaller window
            // sends no exposure, yet its buffers have changed.
            if (c.width != mWindowWidth || c.height != mWindowHeight) {
                mWindowWidth = c.width;
                mWindowHeight = c.height;
                repaint();
            }
            break;
        }
        case DestroyNotify:
            return;
        case ClientMessage:
            // Only the host side's close request ends the window. Hosts that
            // embed it with GTK's socket send it XEmbed messages as soon as
            // it exists; the socket takes the window's end for the end of
            // its plug and destroys itself, leaving the host's window empty.
            if (mOwner.mClosing.load() &&
                event.xclient.data.l[0] == static_cast<long>(mOwner.mDeleteAtom))
                return;
            if (event.xclient.data.l[0] == static_cast<long>(mOwner.mRescaleAtom)) applyScale();
            break;
        default:
            break;
        }
    }
}

void KWindowSession::repaint() {
    const std::uint64_t start = nowNs();
    NVGcontext* vg = mVg.get();
    NVGLUframebuffer* framebuffer = mFramebuffer.get();
    nvgluBindFramebuffer(framebuffer);
    glViewport(0, 0, mDeviceWidth, mDeviceHeight);
    mSkin.draw(*mCanvas);
    const bool surround = mWindowWidth > mDeviceWidth || mWindowHeight > mDeviceHeight;
    if (mFreshPicture) mSurroundRead = false;
    if (surround && !mSurroundRead) {
        // Framebuffer rows run bottom up: (width - 1, 0) is the bottom right.
        // Read only when needed: it waits for the whole picture to be drawn.
        unsigned char corner[4] = {0, 0, 0, 255};
        glReadPixels(mDeviceWidth - 1, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
        for (int i = 0; i < 3; ++i) mSurround[i] = corner[i] / 255.0f;
        mSurroundRead = true;
    }
    nvgluBindFramebuffer(nullptr);

    // The framebuffer keeps its picture between repaints, so the skin draws
    // only what changed while the window always gets the whole picture, one
    // framebuffer pixel to one window pixel: a plain copy where the driver
    // has one (a textured quad costs several times as much in a software
    // renderer, and more so the larger the window), else drawn as an image.
    // The picture's top is the window's top, which in GL's upward rows is
    // the window height.
    glViewport(0, 0, mWindowWidth, mWindowHeight);
    if (surround) {
        glClearColor(mSurround[0], mSurround[1], mSurround[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    const int bottom = mWindowHeight - mDeviceHeight;
    if (glBlitFramebuffer) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer->fbo);
        glBlitFramebuffer(0, 0, mDeviceWidth, mDeviceHeight, 0, bottom, mDeviceWidth,
                          bottom + mDeviceHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        nvgluBindFramebuffer(nullptr);
    } else {
        const float w = static_cast<float>(mDeviceWidth);
        const float h = static_cast<float>(mDeviceHeight);
        nvgBeginFrame(vg, static_cast<float>(mWindowWidth), static_cast<float>(mWindowHeight),
                      1.0f);
        nvgBeginPath(vg);
        nvgRect(vg, 0, 0, w, h);
        nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, w, h, 0.0f, framebuffer->image, 1.0f));
        nvgFill(vg);
        nvgEndFrame(vg);
    }
    glXSwapBuffers(mDisplay.get(), mWindow.get());
    if (mFreshPicture) {
        mFreshPicture = false;
        mOwner.mGlObjects.store(countGlObjects(), std::memory_order_release);
    }
    mOwner.mLastRepaintNs.store(nowNs() - start, std::memory_order_relaxed);
    mOwner.mFrames.fetch_add(1, std::memory_order_release);
}

void KWindowSession::applyScale() {
    const float scale = mOwner.scale();
    if (scale == mScale) return;
    NVGLUframebuffer* framebuffer = nvgluCreateFramebuffer(
        mVg.get(), KUiScale::toDevice(mWidth, scale), KUiScale::toDevice(mHeight, scale), 0);
    // Without a surface of the new size the editor stays as it is.
    if (!framebuffer) return;
    mFramebuffer = KHandle<NVGLUframebuffer*>(
        framebuffer, [](void*, NVGLUframebuffer* fb) { nvgluDeleteFramebuffer(fb); });
    mScale = scale;
    mDeviceWidth = KUiScale::toDevice(mWidth, mScale);
    mDeviceHeight = KUiScale::toDevice(mHeight, mScale);
    // The hints first: an embedder that hears of the new size reads them.
    setSizeHints();
    XResizeWindow(mDisplay.get(), mWindow.get(), static_cast<unsigned>(mDeviceWidth),
                  static_cast<unsigned>(mDeviceHeight));
    mWindowWidth = mDeviceWidth;
    mWindowHeight = mDeviceHeight;
    mSkin.rescaleCanvas(*mCanvas, mScale);
    // The new picture is complete before it is shown: the old one stays on
    // screen until then, never a black one.
    mFreshPicture = true;
    repaint();
    mOwner.mRescales.fetch_add(1, std::memory_order_release);
}

int KWindowSession::countGlObjects() {
    // Names are handed out upwards and the context's objects are few, so a
    // generous range of names holds all of them.
    int n = 0;
    for (GLuint name = 1; name < 4096; ++name)
        n += (glIsTexture(name) ? 1 : 0) + (glIsFramebuffer(name) ? 1 : 0) +
             (glIsRenderbuffer(name) ? 1 : 0);
    return n;
}

int KWindowSession::toSkin(int device) const {
    // Rounded down, so that a point left of or above the window stays outside.
    return mScale == 1.0f ? device
                          : static_cast<int>(std::floor(static_cast<float>(device) / mScale));
}

void KWindowSession::updateCursor(int x, int y) {
    const int kind = mSkin.cursorKind(x, y);
    if (kind == mOwner.mCursorKind) return;
    Display* display = mDisplay.get();
    auto freeCursor = [](void* d, Cursor c) { XFreeCursor(static_cast<Display*>(d), c); };
    if (kind == 2) {
        if (!mHand)
            mHand = KHandle<Cursor>(XCreateFontCursor(display, kHandCursor), freeCursor, display);
        XDefineCursor(display, mWindow.get(), mHand.get());
    } else if (kind == 3) {
        if (!mText)
            mText = KHandle<Cursor>(XCreateFontCursor(display, kTextCursor), freeCursor, display);
        XDefineCursor(display, mWindow.get(), mText.get());
    } else {
        XUndefineCursor(display, mWindow.get());
    }
    mOwner.mCursorKind = kind;
}

// --- KEditorWindow ----------------------------------------------------------------

KEditorWindow::KEditorWindow(KEditorSkin* skin) : mSkin(skin) {
    initXThreads();
    Display* display = XOpenDisplay(nullptr);
    if (display) {
        mHostDisplay = KHandle<_XDisplay*>(display, [](void*, _XDisplay* d) { XCloseDisplay(d); });
        // Interned now, so that closing needs no round trip later.
        mDeleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
        mRescaleAtom = XInternAtom(display, "_MURLAN_EDITOR_RESCALE", False);
    }
    if (mSkin) mSkin->setWindow(this);
}

KEditorWindow::~KEditorWindow() {
    stop();
    if (mSkin && mSkin->window() == this) mSkin->setWindow(nullptr);
    mHostDisplay.reset();
}

void KEditorWindow::setScale(float scale) {
    const float usable = !(scale >= KUiScale::kMinimum) ? KUiScale::kMinimum
                         : scale > KUiScale::kMaximum   ? KUiScale::kMaximum
                                                        : scale;
    mScale.store(usable, std::memory_order_relaxed);
}

void KEditorWindow::rescale(float scale) {
    setScale(scale);
    if (!mClosing.load()) send(mRescaleAtom);
}

void KEditorWindow::send(unsigned long atom) {
    if (!mHostDisplay) return;
    // Counted: the thread keeps its window until this is out.
    mSending.fetch_add(1);
    const unsigned long window = mWindow.load();
    if (window != 0) {
        Display* display = mHostDisplay.get();
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(atom);
        XSendEvent(display, window, False, StructureNotifyMask, &event);
        XFlush(display);
    }
    mSending.fetch_sub(1);
}

void KEditorWindow::setHintScale(int devicePixels) {
    mHintScale.store(devicePixels > 1 ? devicePixels : 1, std::memory_order_relaxed);
}

std::array<int, 15> KEditorWindow::visualAttributes() {
    return {GLX_RGBA,
            GLX_DOUBLEBUFFER,
            GLX_RED_SIZE,
            8,
            GLX_GREEN_SIZE,
            8,
            GLX_BLUE_SIZE,
            8,
            GLX_ALPHA_SIZE,
            8,
            GLX_DEPTH_SIZE,
            24,
            GLX_STENCIL_SIZE,
            8,
            None};
}

int KEditorWindow::toHintUnits(int device, int hintScale) {
    return hintScale > 1 ? (device + hintScale - 1) / hintScale : device;
}

bool KEditorWindow::start(unsigned long parent) {
    if (mThread) stop();
    mParent = parent;
    if (!mHostDisplay || !mSkin || !parent) return false;
    // A parent that is no window (never was, or not any more) is refused
    // here, so that the host hears of it from the opening itself.
    {
        ErrorScope errors(mHostDisplay.get());
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(mHostDisplay.get(), static_cast<Window>(parent), &attributes)) {
            mParent = 0;
            return false;
        }
    }
    mClosing.store(false);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, &KEditorWindow::threadEntry, this) != 0) return false;
    mThread = KHandle<pthread_t>(thread, [](void*, pthread_t t) { pthread_join(t, nullptr); });
    return true;
}

void KEditorWindow::stop() {
    if (mThread) {
        mClosing.store(true);
        send(mDeleteAtom);
        // Joined in every case: a thread that has not shown its window yet
        // sees the closing flag as soon as it has.
        mThread.reset();
        mWindow.store(0);
    }
    mParent = 0;
}

void KEditorWindow::postRepaint() {
    if (!mHostDisplay) return;
    mSending.fetch_add(1);
    const unsigned long window = mWindow.load();
    if (window != 0 && !mClosing.load()) {
        Display* display = mHostDisplay.get();
        XEvent event{};
        event.xexpose.type = Expose;
        event.xexpose.window = window;
        XSendEvent(display, window, False, ExposureMask, &event);
        XFlush(display);
    }
    mSending.fetch_sub(1);
}

void KEditorWindow::retractWindow() {
    mWindow.store(0);
    while (mSending.load() != 0) sched_yield();
    // Requests that host threads sent before have reached the server and any
    // error they caused is read now, while errors are still ignored.
    XSync(mHostDisplay.get(), False);
}

std::int64_t KEditorWindow::threadCpuNs() const {
    if (!mThread) return -1;
    clockid_t clock;
    if (pthread_getcpuclockid(mThread.get(), &clock) != 0) return -1;
    timespec t{};
    if (clock_gettime(clock, &t) != 0) return -1;
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void* KEditorWindow::threadEntry(void* self) {
    static_cast<KEditorWindow*>(self)->run();
    return nullptr;
}

void KEditorWindow::run() {
    if (!mSkin || !mParent) return;
    mThreadId.store(std::this_thread::get_id());
    {
        KWindowSession session(*this);
        session.run();
    }
    mThreadId.store(std::thread::id());
}

}  // namespace KAMO
