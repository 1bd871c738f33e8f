#include "clap/ClapGui.h"

#include "clap/ClapPlugin.h"
#include "framework/KEffect.h"
#include "shell/AEffEditor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace KAMO {

namespace {

ClapPlugin* self(const clap_plugin_t* plugin) {
    return static_cast<ClapPlugin*>(plugin->plugin_data);
}

bool isX11(const char* api) { return api && std::strcmp(api, CLAP_WINDOW_API_X11) == 0; }

}  // namespace

bool ClapGui::create(const char* api, bool floating) {
    // Embedded in an X11 window only; one editor per plug-in.
    if (!isX11(api) || floating || created_ || !plugin_.onMainThread()) return false;
    if (!plugin_.effect().getEditor() || !(plugin_.record()->flags & effFlagsHasEditor))
        return false;
    created_ = true;
    const clap_host_timer_support_t* timers = plugin_.hostTimers();
    timerOn_ = timers && timers->register_timer &&
               timers->register_timer(plugin_.host(), kTickMs, &timer_);
    return true;
}

void ClapGui::destroy() {
    if (!created_) return;
    close();
    const clap_host_timer_support_t* timers = plugin_.hostTimers();
    if (timerOn_ && timers && timers->unregister_timer)
        timers->unregister_timer(plugin_.host(), timer_);
    timerOn_ = false;
    timer_ = CLAP_INVALID_ID;
    created_ = false;
    parent_ = 0;
}

bool ClapGui::open() {
    // The bridge idles the editor first: this thread is the one the effect
    // tells the host from, from before the first edit.
    open_ = plugin_.bridge().openEditor(reinterpret_cast<void*>(parent_));
    plugin_.tickFromProcessing(open_ && !timerOn_);
    return open_;
}

void ClapGui::close() {
    if (!open_) return;
    // What the editor did last still reaches the host.
    plugin_.bridge().closeEditor();
    open_ = false;
    plugin_.tickFromProcessing(false);
    plugin_.tick();
}

bool ClapGui::setScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0.0 || scale > 16.0) return false;
    if (scale == scale_) return true;
    scale_ = scale;
    // The editor takes the factor at its next opening and sizes itself by
    // it; an open one is reopened in the same window at the new size.
    if (AEffEditor* editor = plugin_.effect().getEditor())
        editor->setScaleFactor(static_cast<float>(scale));
    if (!open_) return true;
    close();
    return open();
}

bool ClapGui::size(std::uint32_t* width, std::uint32_t* height) {
    int w = 0, h = 0;
    if (!width || !height || !plugin_.bridge().editorSize(w, h) || w < 1 || h < 1) return false;
    *width = static_cast<std::uint32_t>(w);
    *height = static_cast<std::uint32_t>(h);
    return true;
}

AEffEditor* ClapGui::resizable() const {
    AEffEditor* editor = plugin_.effect().getEditor();
    return plugin_.onMainThread() && editor && editor->canResize() ? editor : nullptr;
}

bool ClapGui::hints(clap_gui_resize_hints_t* hints) {
    if (!hints) return false;
    *hints = clap_gui_resize_hints_t{false, false, false, 0, 0};
    AEffEditor* editor = resizable();
    if (!editor) return true;
    // The smallest size the editor takes is its skin at 1x: the ratio every
    // other size keeps.
    int w = 1, h = 1;
    editor->constrainSize(&w, &h);
    if (w < 1 || h < 1) return true;
    *hints = clap_gui_resize_hints_t{true, true, true, static_cast<std::uint32_t>(w),
                                     static_cast<std::uint32_t>(h)};
    return true;
}

bool ClapGui::adjust(std::uint32_t* width, std::uint32_t* height) {
    AEffEditor* editor = resizable();
    // Without resizing the editor has one size at a given scale.
    if (!editor || !width || !height) return size(width, height);
    int w = static_cast<int>(std::min<std::uint32_t>(*width, 1u << 20));
    int h = static_cast<int>(std::min<std::uint32_t>(*height, 1u << 20));
    editor->constrainSize(&w, &h);
    *width = static_cast<std::uint32_t>(w);
    *height = static_cast<std::uint32_t>(h);
    return true;
}

bool ClapGui::setSize(std::uint32_t width, std::uint32_t height) {
    std::uint32_t ours[2] = {0, 0};
    if (size(&ours[0], &ours[1]) && width == ours[0] && height == ours[1]) return true;
    AEffEditor* editor = resizable();
    if (!editor || !created_ || width < 1 || height < 1) return false;
    // The largest size that fits the host's window, drawn again at once
    // while open; the editor keeps it for its next opening, in this gui or
    // the next one the host creates.
    return editor->setSize(static_cast<int>(std::min<std::uint32_t>(width, 1u << 20)),
                           static_cast<int>(std::min<std::uint32_t>(height, 1u << 20)));
}

bool ClapGui::setParent(const clap_window_t* window) {
    if (!created_ || open_ || !window || !isX11(window->api) || window->x11 == 0) return false;
    parent_ = window->x11;
    return open();
}

const clap_plugin_gui_t ClapGui::kExtension = {
    [](const clap_plugin_t*, const char* api, bool floating) { return isX11(api) && !floating; },
    [](const clap_plugin_t*, const char** api, bool* floating) {
        if (!api || !floating) return false;
        *api = CLAP_WINDOW_API_X11;
        *floating = false;
        return true;
    },
    [](const clap_plugin_t* p, const char* api, bool floating) {
        return self(p)->gui().create(api, floating);
    },
    [](const clap_plugin_t* p) { self(p)->gui().destroy(); },
    [](const clap_plugin_t* p, double scale) { return self(p)->gui().setScale(scale); },
    [](const clap_plugin_t* p, std::uint32_t* w, std::uint32_t* h) {
        return self(p)->gui().size(w, h);
    },
    [](const clap_plugin_t* p) { return self(p)->gui().resizable() != nullptr; },
    [](const clap_plugin_t* p, clap_gui_resize_hints_t* hints) {
        return self(p)->gui().hints(hints);
    },
    [](const clap_plugin_t* p, std::uint32_t* w, std::uint32_t* h) {
        return self(p)->gui().adjust(w, h);
    },
    [](const clap_plugin_t* p, std::uint32_t w, std::uint32_t h) {
        return self(p)->gui().setSize(w, h);
    },
    [](const clap_plugin_t* p, const clap_window_t* window) {
        return self(p)->gui().setParent(window);
    },
    // Embedded only: there is no window of ours to keep above another.
    [](const clap_plugin_t*, const clap_window_t*) { return false; },
    [](const clap_plugin_t*, const char*) {},
    // The embedded window shows and hides with its parent.
    [](const clap_plugin_t* p) { return self(p)->gui().isOpen(); },
    [](const clap_plugin_t* p) { return self(p)->gui().isOpen(); },
};

const clap_plugin_timer_support_t ClapGui::kTimerExtension = {
    [](const clap_plugin_t* p, clap_id) { self(p)->tick(); },
};

}  // namespace KAMO
