#include "tools/plughost/HostWindow.h"

#include "tools/plughost/HostDisplay.h"

namespace plughost {

HostWindow::HostWindow() : display_(openHostDisplay()) {}

HostWindow::~HostWindow() {
    if (display_) XCloseDisplay(display_);
}

unsigned long HostWindow::editorWindow() const { return firstChildWindow(display_, window_); }

bool HostWindow::fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    close();
    return false;
}

bool HostWindow::closeAndCheckDisplay(std::string* error) {
    close();
    return display_ || fail(error, "no X display (is DISPLAY set?)");
}

void HostWindow::openWindow(int width, int height, const std::string& title) {
    window_ = createHostWindow(display_, width, height, title);
    mapAndWait(display_, window_);
}

void HostWindow::resizeWindow(int width, int height) {
    if (!display_ || !window_) return;
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
}

void HostWindow::destroyWindow() {
    if (display_ && window_) {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
    }
    window_ = 0;
}

}  // namespace plughost
