#include "tools/vst3host/Vst3EditorHost.h"

#include "tools/plughost/HostDisplay.h"
#include "tools/vst3host/Vst3Instance.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace vst3host {

namespace {

std::uint32_t V3_API noRef(void*) { return 1; }

template <typename List, typename Registered>
void forget(List& list, Registered registered) {
    list.erase(std::remove_if(list.begin(), list.end(), registered), list.end());
}

}  // namespace

struct FrameTables {
    static Vst3EditorHost* owner(void* self) {
        return static_cast<Vst3EditorHost::Face*>(self)->owner;
    }
    static v3_result V3_API query(void* self, const v3_tuid iid, void** out) {
        Vst3EditorHost* host = owner(self);
        if (!out) return V3_INVALID_ARG;
        *out = nullptr;
        if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_frame_iid))
            *out = &host->frame_;
        else if (v3_tuid_match(iid, v3_run_loop_iid) && host->offerRunLoop_)
            *out = &host->loop_;
        return *out ? V3_OK : V3_NO_INTERFACE;
    }
    static v3_plugin_frame_cpp frame() {
        v3_plugin_frame_cpp t{};
        t.query_interface = query;
        t.ref = noRef;
        t.unref = noRef;
        t.frame.resize_view = [](void* self, v3_plugin_view**, v3_view_rect* rect) -> v3_result {
            Vst3EditorHost* host = owner(self);
            if (!rect) return V3_INVALID_ARG;
            host->resizes_.push_back(*rect);
            host->width_ = rect->right - rect->left;
            host->height_ = rect->bottom - rect->top;
            host->resizeWindow(host->width_, host->height_);
            return V3_OK;
        };
        return t;
    }
    static v3_run_loop_cpp loop() {
        v3_run_loop_cpp t{};
        t.query_interface = query;
        t.ref = noRef;
        t.unref = noRef;
        t.loop.register_event_handler = [](void* self, v3_event_handler** handler,
                                           int fd) -> v3_result {
            owner(self)->handlers_.emplace_back(handler, fd);
            return V3_OK;
        };
        t.loop.unregister_event_handler = [](void* self, v3_event_handler** handler) -> v3_result {
            forget(owner(self)->handlers_, [&](const auto& h) { return h.first == handler; });
            return V3_OK;
        };
        t.loop.register_timer = [](void* self, v3_timer_handler** handler,
                                   std::uint64_t ms) -> v3_result {
            if (!handler || ms == 0) return V3_INVALID_ARG;
            owner(self)->timers_.add(handler, ms);
            return V3_OK;
        };
        t.loop.unregister_timer = [](void* self, v3_timer_handler** handler) -> v3_result {
            owner(self)->timers_.remove(handler);
            return V3_OK;
        };
        return t;
    }
};

namespace {
const v3_plugin_frame_cpp kFrameTable = FrameTables::frame();
const v3_run_loop_cpp kLoopTable = FrameTables::loop();
}  // namespace

Vst3EditorHost::Vst3EditorHost() : frame_{&kFrameTable, this}, loop_{&kLoopTable, this} {}

Vst3EditorHost::~Vst3EditorHost() { close(); }

bool Vst3EditorHost::open(Vst3Instance& plugin, std::string* error, float scale, bool runLoop,
                          unsigned long parent) {
    if (!closeAndCheckDisplay(error)) return false;
    offerRunLoop_ = runLoop;
    v3_edit_controller** controller = plugin.controller();
    view_ = v3_cpp_obj(controller)->create_view(controller, "editor");
    if (!view_) return fail(error, "the controller gives no editor view");
    if (v3_cpp_obj(view_)->is_platform_type_supported(view_, V3_VIEW_PLATFORM_TYPE_X11) != V3_OK)
        return fail(error, "the view does not embed in X11 windows");
    if (scale != 0.0f) setScale(scale);
    v3_view_rect rect{};
    if (v3_cpp_obj(view_)->get_size(view_, &rect) != V3_OK || rect.right - rect.left < 1 ||
        rect.bottom - rect.top < 1)
        return fail(error, "the view gives no size");
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;

    if (!parent) openWindow(width_, height_, "vst3host");

    v3_cpp_obj(view_)->set_frame(view_, reinterpret_cast<v3_plugin_frame**>(&frame_));
    if (v3_cpp_obj(view_)->attached(view_, reinterpret_cast<void*>(parent ? parent : window_),
                                    V3_VIEW_PLATFORM_TYPE_X11) != V3_OK)
        return fail(error, "the view did not attach");
    thread_ = std::this_thread::get_id();
    return true;
}

void Vst3EditorHost::close() {
    if (view_) {
        v3_cpp_obj(view_)->removed(view_);
        v3_cpp_obj(view_)->set_frame(view_, nullptr);
        v3_cpp_obj_unref(view_);
        view_ = nullptr;
    }
    timers_.clear();
    handlers_.clear();
    destroyWindow();
}

void Vst3EditorHost::idle() {
    thread_ = std::this_thread::get_id();
    timers_.fireDue([](v3_timer_handler** handler) { v3_cpp_obj(handler)->on_timer(handler); });
    // A copy: a handler may unregister itself or others.
    const auto handlers = handlers_;
    for (const auto& h : handlers) {
        pollfd p{h.second, POLLIN, 0};
        if (poll(&p, 1, 0) > 0) v3_cpp_obj(h.first)->on_fd_is_set(h.first, h.second);
    }
    plughost::dropEvents(display_);
}

bool Vst3EditorHost::drag(int x, int y, int dx, int dy, int steps, bool release) {
    return plughost::dragInWindow(
        display_, editorWindow(), x, y, dx, dy, steps, [this] { idle(); }, release);
}

bool Vst3EditorHost::setScale(float factor) {
    if (!view_) return false;
    v3_plugin_view_content_scale** scaling = nullptr;
    if (v3_cpp_obj_query_interface(view_, v3_plugin_view_content_scale_iid, &scaling) != V3_OK ||
        !scaling)
        return false;
    const bool ok = v3_cpp_obj(scaling)->set_content_scale_factor(scaling, factor) == V3_OK;
    v3_cpp_obj_unref(scaling);
    return ok;
}

bool Vst3EditorHost::userResize(int width, int height, v3_view_rect* granted) {
    if (!view_ || v3_cpp_obj(view_)->can_resize(view_) != V3_TRUE) return false;
    v3_view_rect rect{0, 0, width, height};
    if (v3_cpp_obj(view_)->check_size_constraint(view_, &rect) != V3_OK) return false;
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
    resizeWindow(width_, height_);
    if (granted) *granted = rect;
    return v3_cpp_obj(view_)->on_size(view_, &rect) == V3_OK;
}

bool Vst3EditorHost::screenshot(plughost::EditorImage& image) const {
    return plughost::grabWindow(display_, editorWindow(), image);
}

}  // namespace vst3host
