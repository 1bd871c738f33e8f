#include "tools/plughost/HostDisplay.h"

#include "tools/plughost/EditorImage.h"

#include <chrono>
#include <thread>

namespace plughost {

Display* openHostDisplay() {
    static const bool threaded = XInitThreads() != 0;
    (void)threaded;
    return XOpenDisplay(nullptr);
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

bool grabWindow(Display* display, Window window, EditorImage& image) {
    if (!window) return false;
    XSync(display, False);
    return image.grab(display, window);
}

}  // namespace plughost
