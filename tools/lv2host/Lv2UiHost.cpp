#include "tools/lv2host/Lv2UiHost.h"

#include "tools/lv2host/Lv2World.h"
#include "tools/plughost/HostDisplay.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <lv2/atom/atom.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>
#include <suil/suil.h>

namespace lv2host {

namespace {

std::string filePath(const LilvNode* uri) {
    char* path = lilv_file_uri_parse(lilv_node_as_uri(uri), nullptr);
    const std::string copy = path ? path : "";
    lilv_free(path);
    return copy;
}

}  // namespace

bool findEmbeddableUi(Lv2World& world, const LilvPlugin* plugin, const char* hostTypeUri,
                      EmbeddableUi* found) {
    LilvNode* hostType = world.node(hostTypeUri);
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    const LilvUI* chosen = nullptr;
    const LilvNode* uiType = nullptr;
    LILV_FOREACH(uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        if (lilv_ui_is_supported(ui, suil_ui_supported, hostType, &uiType)) {
            chosen = ui;
            break;
        }
    }
    if (chosen) {
        found->uri = lilv_node_as_uri(lilv_ui_get_uri(chosen));
        found->typeUri = lilv_node_as_uri(uiType);
        found->bundlePath = filePath(lilv_ui_get_bundle_uri(chosen));
        found->binaryPath = filePath(lilv_ui_get_binary_uri(chosen));
    }
    lilv_uis_free(uis);
    return chosen != nullptr;
}

Lv2UiHost::~Lv2UiHost() { close(); }

void Lv2UiHost::writeFunction(void* controller, std::uint32_t port, std::uint32_t size,
                              std::uint32_t protocol, const void* buffer) {
    if (protocol != 0 || size != sizeof(float) || !buffer) return;
    static_cast<Lv2UiHost*>(controller)
        ->record(UiMessage{UiMessage::Write, port, *static_cast<const float*>(buffer)});
}

void Lv2UiHost::touchFunction(void* controller, std::uint32_t port, bool grabbed) {
    static_cast<Lv2UiHost*>(controller)
        ->record(UiMessage{grabbed ? UiMessage::TouchBegin : UiMessage::TouchEnd, port, 0.0f});
}

int Lv2UiHost::resizeFunction(LV2UI_Feature_Handle handle, int width, int height) {
    auto* self = static_cast<Lv2UiHost*>(handle);
    if (width < 1 || height < 1 || !self->window_) return 1;
    self->width_ = width;
    self->height_ = height;
    self->resizeWindow(width, height);
    return 0;
}

void Lv2UiHost::record(const UiMessage& message) { messages_.add(message); }

bool Lv2UiHost::userResize(int width, int height) {
    if (!instance_ || width < 1 || height < 1) return false;
    const auto* resize =
        static_cast<const LV2UI_Resize*>(suil_instance_extension_data(instance_, LV2_UI__resize));
    if (!resize || !resize->ui_resize) return false;
    resizeFunction(this, width, height);
    return resize->ui_resize(suil_instance_get_handle(instance_), width, height) == 0;
}

std::vector<UiMessage> Lv2UiHost::messages() const { return messages_.entries(); }

void Lv2UiHost::clearMessages() { messages_.clear(); }

bool Lv2UiHost::open(Lv2World& world, const LilvPlugin* plugin, std::string* error,
                     float scaleFactor, float sampleRate) {
    if (!closeAndCheckDisplay(error)) return false;
    const char* hostType = LV2_UI__X11UI;
    EmbeddableUi ui;
    if (!findEmbeddableUi(world, plugin, hostType, &ui))
        return fail(error, "the plug-in has no UI that embeds in an X11 window");

    width_ = height_ = 64;  // until the UI asks for its size
    std::string title;
    if (LilvNode* name = lilv_plugin_get_name(plugin)) {
        title = std::string(lilv_node_as_string(name)) + " (LV2)";
        lilv_node_free(name);
    }
    openWindow(width_, height_, title);

    scale_ = scaleFactor;
    rate_ = sampleRate;
    options_.clear();
    if (scale_ > 0.0f)
        options_.push_back({LV2_OPTIONS_INSTANCE, 0, world.map(LV2_UI__scaleFactor), sizeof(float),
                            world.map(LV2_ATOM__Float), &scale_});
    if (rate_ > 0.0f)
        options_.push_back({LV2_OPTIONS_INSTANCE, 0, world.map(LV2_PARAMETERS__sampleRate),
                            sizeof(float), world.map(LV2_ATOM__Float), &rate_});
    options_.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    resize_.handle = this;
    resize_.ui_resize = &Lv2UiHost::resizeFunction;
    const LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(window_)};
    const LV2_Feature resize = {LV2_UI__resize, &resize_};
    const LV2_Feature map = {LV2_URID__map, world.mapFeature()};
    const LV2_Feature unmap = {LV2_URID__unmap, world.unmapFeature()};
    const LV2_Feature options = {LV2_OPTIONS__options, options_.data()};
    const LV2_Feature* features[] = {&parent, &resize, &map, &unmap, &options, nullptr};

    host_ = suil_host_new(&Lv2UiHost::writeFunction, nullptr, nullptr, nullptr);
    suil_host_set_touch_func(host_, &Lv2UiHost::touchFunction);
    instance_ = suil_instance_new(
        host_, this, hostType, lilv_node_as_uri(lilv_plugin_get_uri(plugin)), ui.uri.c_str(),
        ui.typeUri.c_str(), ui.bundlePath.c_str(), ui.binaryPath.c_str(), features);
    if (!instance_) return fail(error, "suil could not instantiate the UI");
    widget_ = reinterpret_cast<unsigned long>(suil_instance_get_widget(instance_));
    idle_ = static_cast<const LV2UI_Idle_Interface*>(
        suil_instance_extension_data(instance_, LV2_UI__idleInterface));
    return true;
}

void Lv2UiHost::close() {
    if (instance_) suil_instance_free(instance_);
    instance_ = nullptr;
    idle_ = nullptr;
    if (host_) suil_host_free(host_);
    host_ = nullptr;
    destroyWindow();
    widget_ = 0;
}

void Lv2UiHost::portEvent(std::uint32_t port, float value) {
    if (instance_) suil_instance_port_event(instance_, port, sizeof value, 0, &value);
}

void Lv2UiHost::idle() {
    if (instance_ && idle_) idle_->idle(suil_instance_get_handle(instance_));
    plughost::dropEvents(display_);
}

bool Lv2UiHost::drag(int x, int y, int dx, int dy, int steps) {
    const Window editor = editorWindow();
    if (!editor) return false;
    if (steps < 1) steps = 1;
    // Sent to the editor's window itself rather than through the display's
    // one pointer, which other programs on the same display (tests running
    // beside this one) move and whose windows may lie on top.
    Window child = 0;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(display_, editor, DefaultRootWindow(display_), x, y, &rootX, &rootY,
                          &child);
    auto send = [&](int type, long mask, int at, unsigned state) {
        XEvent event{};
        XButtonEvent& e = event.xbutton;  // motion events share these fields
        e.type = type;
        e.display = display_;
        e.window = editor;
        e.root = DefaultRootWindow(display_);
        e.x = x + dx * at / steps;
        e.y = y + dy * at / steps;
        e.x_root = rootX + dx * at / steps;
        e.y_root = rootY + dy * at / steps;
        e.state = state;
        e.same_screen = True;
        e.time = CurrentTime;
        if (type != MotionNotify) e.button = Button1;
        XSendEvent(display_, editor, False, mask, &event);
    };
    send(ButtonPress, ButtonPressMask, 0, 0);
    for (int s = 1; s <= steps; ++s) send(MotionNotify, PointerMotionMask, s, Button1Mask);
    send(ButtonRelease, ButtonReleaseMask, steps, Button1Mask);
    XFlush(display_);
    return true;
}

bool Lv2UiHost::screenshot(plughost::EditorImage& image, bool wholeWindow) const {
    return plughost::grabWindow(display_, wholeWindow ? window_ : editorWindow(), image);
}

}  // namespace lv2host
