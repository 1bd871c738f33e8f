#pragma once
// A stand-in for a host's editor window for VST 3 views: a top-level X
// window of the view's size, an IPlugFrame that also offers the Linux run
// loop (IRunLoop), and the view attached inside the window. The run loop's
// timers and file descriptors are served by pump(), on the thread that
// calls it, as a host serves them on its user-interface thread.

#include "tools/plughost/EditorImage.h"
#include "tools/plughost/HostTimers.h"
#include "tools/plughost/HostWindow.h"

#include <travesty/view.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vst3host {

class Vst3Instance;

class Vst3EditorHost : public plughost::HostWindow {
public:
    Vst3EditorHost();
    ~Vst3EditorHost() override;

    // createView("editor"), the scale factor when not 0, a window of the
    // view's size, attached. `runLoop` false offers a frame without one;
    // a `parent` given is attached to instead of a window of our own.
    bool open(Vst3Instance& plugin, std::string* error = nullptr, float scale = 0.0f,
              bool runLoop = true, unsigned long parent = 0);
    void close() override;
    bool isOpen() const { return view_ != nullptr; }

    // Serves due timers and ready descriptors, and the window's events.
    void idle() override;

    // Pointer input sent to the editor's window at editor coordinates:
    // press, move in `steps`, release (unless `release` is false: the
    // button stays down), idling between; false without an editor window.
    bool drag(int x, int y, int dx, int dy, int steps = 6, bool release = true);
    // Sets the view's content scale factor (IPlugViewContentScaleSupport).
    bool setScale(float factor);
    // The user drags the window's corner to width x height: a view that can
    // resize is asked for the nearest size it takes, the window gets that
    // size and the view is told (onSize). False when the view cannot resize;
    // `granted` receives the size the window got.
    bool userResize(int width, int height, v3_view_rect* granted = nullptr);

    int width() const { return width_; }
    int height() const { return height_; }
    bool screenshot(plughost::EditorImage& image) const;
    // Sizes the view asked for through the frame.
    const std::vector<v3_view_rect>& resizeRequests() const { return resizes_; }
    int timerCount() const { return timers_.count(); }
    // The thread that served the timers.
    std::thread::id thread() const { return thread_; }
    v3_plugin_view** view() const { return view_; }

    // The frame and run loop objects (public for their function tables).
    struct Face {
        const void* table;
        Vst3EditorHost* owner;
    };

private:
    friend struct FrameTables;

    v3_plugin_view** view_ = nullptr;
    Face frame_;
    Face loop_;
    bool offerRunLoop_ = true;
    int width_ = 0;
    int height_ = 0;
    plughost::HostTimers<v3_timer_handler**> timers_;
    std::vector<std::pair<v3_event_handler**, int>> handlers_;
    std::vector<v3_view_rect> resizes_;
    std::thread::id thread_;
};

}  // namespace vst3host
