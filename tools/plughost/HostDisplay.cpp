#include "tools/plughost/HostDisplay.h"

#include "tools/plughost/EditorImage.h"

#include <X11/extensions/Xcomposite.h>

#include <chrono>
#include <thread>

namespace plughost {

Display* openHostDisplay() {
    static const bool threaded = XInitThreads() != 0;
    (void)threaded;
    return XOpenDisplay(nullptr);
}

Window createHostWindow(Display* display, int width, int height, const std::string& title) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = StructureNotifyMask;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel | CWEventMask, &attributes);
    int compositeEvent = 0, compositeError = 0;
    if (XCompositeQueryExtension(display, &compositeEvent, &compositeError))
        XCompositeRedirectWindow(display, window, CompositeRedirectAutomatic);
    if (!title.empty()) XStoreName(display, window, title.c_str());
    return window;
}

void mapAndWait(Display* display, Window window) {
    XMapWindow(display, window);
    XEvent event;
    do XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
}

void dropEvents(Display* display) {
    while (display && XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

Window firstChildWindow(Display* display, Window window) {
    if (!display || !window) return 0;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    const Window child = count > 0 ? children[0] : 0;
    if (children) XFree(children);
    return child;
}

std::uint64_t steadyMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool idleUntil(const std::function<void()>& idle, const std::function<bool()>& done, int ms) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        idle();
        if (done()) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

namespace {

// The fields that button and motion events share, for a pointer at (x, y)
// of `target`. Host windows are created at the root's origin, so root
// coordinates are the same.
template <typename PointerEvent>
void aim(PointerEvent& e, int type, Display* display, Window target, int x, int y, unsigned state) {
    e.type = type;
    e.display = display;
    e.window = target;
    e.root = DefaultRootWindow(display);
    e.x = x;
    e.y = y;
    e.x_root = x;
    e.y_root = y;
    e.state = state;
    e.same_screen = True;
    e.time = CurrentTime;
}

}  // namespace

void sendPointerEvent(Display* display, Window target, int type, int button, int x, int y,
                      unsigned state) {
    if (!display || !target) return;
    XEvent event{};
    long mask = PointerMotionMask;
    if (type == MotionNotify) {
        aim(event.xmotion, type, display, target, x, y, state);
    } else {
        aim(event.xbutton, type, display, target, x, y, state);
        event.xbutton.button = static_cast<unsigned>(button);
        mask = type == ButtonPress ? ButtonPressMask : ButtonReleaseMask;
    }
    XSendEvent(display, target, False, mask, &event);
    XFlush(display);
}

bool grabWindow(Display* display, Window window, EditorImage& image) {
    if (!window) return false;
    XSync(display, False);
    return image.grab(display, window);
}

}  // namespace plughost

namespace plughost {

bool dragInWindow(Display* display, Window target, int x, int y, int dx, int dy, int steps,
                  const std::function<void()>& idle, bool release) {
    if (!display || !target) return false;
    if (steps < 1) steps = 1;
    // Each step reaches the editor's thread before the next.
    auto settle = [&] {
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        idle();
    };
    sendPointerEvent(display, target, MotionNotify, 0, x, y, 0);
    settle();
    sendPointerEvent(display, target, ButtonPress, Button1, x, y, 0);
    settle();
    for (int s = 1; s <= steps; ++s) {
        sendPointerEvent(display, target, MotionNotify, 0, x + dx * s / steps, y + dy * s / steps,
                         Button1Mask);
        settle();
    }
    if (!release) return true;
    sendPointerEvent(display, target, ButtonRelease, Button1, x + dx, y + dy, Button1Mask);
    settle();
    return true;
}

}  // namespace plughost
