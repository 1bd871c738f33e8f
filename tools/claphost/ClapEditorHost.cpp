#include "tools/claphost/ClapEditorHost.h"

#include "tools/claphost/ClapInstance.h"
#include "tools/plughost/HostDisplay.h"

#include <X11/Xlib.h>

namespace claphost {

ClapEditorHost::~ClapEditorHost() { close(); }

bool ClapEditorHost::open(ClapInstance& plugin, std::string* error, double scale) {
    if (!closeAndCheckDisplay(error)) return false;
    const clap_plugin_gui_t* gui = plugin.gui();
    const clap_plugin_t* p = plugin.plugin();
    if (!gui) return fail(error, "the plug-in has no gui");
    if (!gui->is_api_supported(p, CLAP_WINDOW_API_X11, false))
        return fail(error, "the gui does not embed in X11 windows");
    if (!gui->create(p, CLAP_WINDOW_API_X11, false)) return fail(error, "the gui was not created");
    plugin_ = &plugin;
    if (scale != 0.0 && !gui->set_scale(p, scale)) return fail(error, "the gui refuses the scale");
    if (!gui->get_size(p, &width_, &height_) || width_ < 1 || height_ < 1)
        return fail(error, "the gui gives no size");
    openWindow(static_cast<int>(width_), static_cast<int>(height_), "claphost");
    clap_window_t parent{};
    parent.api = CLAP_WINDOW_API_X11;
    parent.x11 = window_;
    if (!gui->set_parent(p, &parent)) return fail(error, "the gui did not take its parent window");
    gui->show(p);
    return true;
}

void ClapEditorHost::close() {
    if (plugin_) {
        plugin_->gui()->hide(plugin_->plugin());
        plugin_->gui()->destroy(plugin_->plugin());
        plugin_ = nullptr;
    }
    destroyWindow();
}

void ClapEditorHost::idle() {
    if (plugin_) plugin_->idle();
    plughost::dropEvents(display_);
}

bool ClapEditorHost::userResize(int width, int height) {
    if (!plugin_ || width < 1 || height < 1) return false;
    const clap_plugin_gui_t* gui = plugin_->gui();
    const clap_plugin_t* p = plugin_->plugin();
    if (!gui->can_resize(p)) return false;
    std::uint32_t w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
    if (!gui->adjust_size(p, &w, &h)) return false;
    width_ = w;
    height_ = h;
    resizeWindow(static_cast<int>(w), static_cast<int>(h));
    return gui->set_size(p, w, h);
}

bool ClapEditorHost::drag(int x, int y, int dx, int dy, int steps) {
    return plughost::dragInWindow(display_, editorWindow(), x, y, dx, dy, steps,
                                  [this] { idle(); });
}

bool ClapEditorHost::screenshot(plughost::EditorImage& image) const {
    return plughost::grabWindow(display_, editorWindow(), image);
}

}  // namespace claphost
