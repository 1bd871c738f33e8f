#include "vst3/Vst3View.h"

#include "framework/KEffect.h"
#include "shell/AEffEditor.h"
#include "vst3/Vst3Plugin.h"

#include <cmath>
#include <cstring>

namespace KAMO {

namespace {

Vst3View* self(void* face) { return Vst3Face<Vst3View>::of(face); }

}  // namespace

v3_plugin_view** Vst3View::create(Vst3Plugin& plugin) {
    AEffect* record = plugin.record();
    if (!plugin.effect().getEditor() || !(record->flags & effFlagsHasEditor)) return nullptr;
    auto* view = new Vst3View(plugin);
    return reinterpret_cast<v3_plugin_view**>(view->view_.pointer());
}

Vst3View::Vst3View(Vst3Plugin& plugin) : plugin_(plugin) { plugin_.ref(); }

Vst3View::~Vst3View() {
    if (open_) removed();
    releaseFrame();
    plugin_.unref();
}

v3_result Vst3View::queryInterface(const v3_tuid iid, void** out) {
    if (!out) return V3_INVALID_ARG;
    *out = nullptr;
    if (offerFace(iid, view_, out, {v3_funknown_iid, v3_plugin_view_iid}) ||
        offerFace(iid, scale_, out, {v3_plugin_view_content_scale_iid}) ||
        offerFace(iid, timer_, out, {v3_timer_handler_iid}))
        return V3_OK;
    return V3_NO_INTERFACE;
}

void Vst3View::releaseFrame() {
    vst3Release(loop_);
    loop_ = nullptr;
    vst3Release(frame_);
    frame_ = nullptr;
}

v3_result Vst3View::setFrame(v3_plugin_frame** frame) {
    if (frame == frame_) return V3_OK;
    if (timerOn_ && loop_) {
        vst3Methods(loop_)->unregister_timer(
            loop_, reinterpret_cast<v3_timer_handler**>(timer_.pointer()));
        timerOn_ = false;
    }
    releaseFrame();
    if (!frame) return V3_OK;
    v3_cpp_obj_ref(frame);
    frame_ = frame;
    findRunLoop();
    return V3_OK;
}

void Vst3View::findRunLoop() {
    if (loop_) return;
    // The frame offers it; some hosts set it up only once the view is on
    // its way into a window, or offer it with the component handler.
    v3_run_loop** loop = nullptr;
    if (frame_ && v3_cpp_obj_query_interface(frame_, v3_run_loop_iid, &loop) == V3_OK && loop) {
        loop_ = loop;
        return;
    }
    v3_component_handler** handler = plugin_.controller().handler();
    if (handler && v3_cpp_obj_query_interface(handler, v3_run_loop_iid, &loop) == V3_OK && loop)
        loop_ = loop;
}

bool Vst3View::openEditor() {
    return plugin_.bridge().openEditor(reinterpret_cast<void*>(parent_));
}

void Vst3View::closeEditor() { plugin_.bridge().closeEditor(); }

v3_result Vst3View::attached(void* parent, const char* type) {
    if (!parent || !type || std::strcmp(type, V3_VIEW_PLATFORM_TYPE_X11) != 0)
        return V3_INVALID_ARG;
    // One editor window per effect, and edits need the host's run loop.
    findRunLoop();
    if (open_ || plugin_.controller().isViewOpen() || !loop_) return V3_FALSE;
    parent_ = reinterpret_cast<unsigned long>(parent);
    plugin_.controller().setViewOpen(true);
    if (!openEditor()) {
        plugin_.controller().setViewOpen(false);
        return V3_FALSE;
    }
    open_ = true;
    timerOn_ = vst3Methods(loop_)->register_timer(
                   loop_, reinterpret_cast<v3_timer_handler**>(timer_.pointer()), kTickMs) == V3_OK;
    return V3_OK;
}

v3_result Vst3View::removed() {
    if (!open_) return V3_FALSE;
    if (timerOn_ && loop_)
        vst3Methods(loop_)->unregister_timer(
            loop_, reinterpret_cast<v3_timer_handler**>(timer_.pointer()));
    timerOn_ = false;
    // The editor goes first: closing it queues what it did last (the end of
    // a gesture it gave up), and that reaches the host now, while the view
    // is still there. After this nothing of the editor's is sent.
    closeEditor();
    plugin_.controller().closeEdits();
    open_ = false;
    parent_ = 0;
    return V3_OK;
}

void Vst3View::tick() {
    if (open_) plugin_.controller().tick();
}

v3_result Vst3View::size(v3_view_rect* rect) {
    if (!rect) return V3_INVALID_ARG;
    int width = 0, height = 0;
    if (!plugin_.bridge().editorSize(width, height)) return V3_FALSE;
    rect->left = 0;
    rect->top = 0;
    rect->right = width;
    rect->bottom = height;
    return V3_OK;
}

v3_result Vst3View::checkSize(v3_view_rect* rect) {
    // The editor has one size at a given scale.
    v3_view_rect ours{};
    if (!rect || size(&ours) != V3_OK) return V3_FALSE;
    const bool same =
        rect->right - rect->left == ours.right && rect->bottom - rect->top == ours.bottom;
    rect->right = rect->left + ours.right;
    rect->bottom = rect->top + ours.bottom;
    return same ? V3_OK : V3_FALSE;
}

v3_result Vst3View::setScale(float factor) {
    if (!std::isfinite(factor) || factor <= 0.0f) return V3_INVALID_ARG;
    if (factor == scaleFactor_) return V3_OK;
    scaleFactor_ = factor;
    // The editor takes the factor at its next opening and sizes itself by
    // it from now on, so the host's next getSize is already the new size.
    if (AEffEditor* editor = plugin_.effect().getEditor()) editor->setScaleFactor(factor);
    if (!open_) return V3_OK;
    // An open editor keeps its factor: reopen it in the same window.
    closeEditor();
    v3_view_rect rect{};
    if (size(&rect) == V3_OK && frame_)
        vst3Methods(frame_)->resize_view(
            frame_, reinterpret_cast<v3_plugin_view**>(view_.pointer()), &rect);
    openEditor();
    return V3_OK;
}

// --- Tables -------------------------------------------------------------------------

v3_plugin_view_cpp Vst3View::makeViewTable() {
    v3_plugin_view_cpp t{};
    Vst3Unknown<Vst3View>::fill(t);
    t.view.is_platform_type_supported = [](void*, const char* type) -> v3_result {
        return type && std::strcmp(type, V3_VIEW_PLATFORM_TYPE_X11) == 0 ? V3_OK : V3_FALSE;
    };
    t.view.attached = [](void* f, void* parent, const char* type) {
        return self(f)->attached(parent, type);
    };
    t.view.removed = [](void* f) { return self(f)->removed(); };
    // The editor's window takes its own input.
    t.view.on_wheel = [](void*, float) -> v3_result { return V3_FALSE; };
    t.view.on_key_down = [](void*, std::int16_t, std::int16_t, std::int16_t) -> v3_result {
        return V3_FALSE;
    };
    t.view.on_key_up = [](void*, std::int16_t, std::int16_t, std::int16_t) -> v3_result {
        return V3_FALSE;
    };
    t.view.get_size = [](void* f, v3_view_rect* rect) { return self(f)->size(rect); };
    t.view.on_size = [](void* f, v3_view_rect* rect) { return self(f)->checkSize(rect); };
    t.view.on_focus = [](void*, v3_bool) -> v3_result { return V3_OK; };
    t.view.set_frame = [](void* f, v3_plugin_frame** frame) { return self(f)->setFrame(frame); };
    t.view.can_resize = [](void*) -> v3_result { return V3_FALSE; };
    t.view.check_size_constraint = [](void* f, v3_view_rect* rect) {
        return self(f)->checkSize(rect);
    };
    return t;
}

v3_plugin_view_content_scale_cpp Vst3View::makeScaleTable() {
    v3_plugin_view_content_scale_cpp t{};
    Vst3Unknown<Vst3View>::fill(t);
    t.scale.set_content_scale_factor = [](void* f, float factor) {
        return self(f)->setScale(factor);
    };
    return t;
}

v3_timer_handler_cpp Vst3View::makeTimerTable() {
    v3_timer_handler_cpp t{};
    Vst3Unknown<Vst3View>::fill(t);
    t.timer.on_timer = [](void* f) { self(f)->tick(); };
    return t;
}

const v3_plugin_view_cpp Vst3View::kViewTable = makeViewTable();
const v3_plugin_view_content_scale_cpp Vst3View::kScaleTable = makeScaleTable();
const v3_timer_handler_cpp Vst3View::kTimerTable = makeTimerTable();

}  // namespace KAMO
