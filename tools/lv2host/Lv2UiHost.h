#pragma once
// A stand-in for an LV2 host's plug-in window: a top-level X window that
// the plug-in's X11 UI is embedded in (ui:parent), instantiated through
// suil as real hosts do. It records what the UI tells the host (port writes
// and ui:touch gestures), answers ui:resize by resizing the window, idles
// the UI, and can drive it with pointer input sent to its window and take
// screenshots of it.

#include "tools/plughost/CallLog.h"
#include "tools/plughost/EditorImage.h"
#include "tools/plughost/HostWindow.h"

#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SuilHostImpl;
struct SuilInstanceImpl;

namespace lv2host {

class Lv2World;

struct UiMessage {
    enum Kind { Write, TouchBegin, TouchEnd };
    Kind kind;
    std::uint32_t port;
    float value;  // for writes
};

// The first of a plug-in's UIs that suil can embed in a host widget of
// `hostTypeUri` (an X11 window, a GTK container): what suil_instance_new
// takes of it, the bundle and binary as file paths.
struct EmbeddableUi {
    std::string uri;
    std::string typeUri;
    std::string bundlePath;
    std::string binaryPath;
};
bool findEmbeddableUi(Lv2World& world, const LilvPlugin* plugin, const char* hostTypeUri,
                      EmbeddableUi* found);

class Lv2UiHost : public plughost::HostWindow {
public:
    ~Lv2UiHost() override;

    // Creates the window and the plug-in's X11 UI in it. `scaleFactor` and
    // `sampleRate` are offered as options when above 0.
    bool open(Lv2World& world, const LilvPlugin* plugin, std::string* error = nullptr,
              float scaleFactor = 0.0f, float sampleRate = 48000.0f);
    void close() override;
    bool isOpen() const { return instance_ != nullptr; }

    // The host's side of a control port change: port_event to the UI.
    void portEvent(std::uint32_t port, float value);
    // One host idle: the UI's idle interface and the window's events.
    void idle() override;

    std::vector<UiMessage> messages() const;
    void clearMessages();

    unsigned long hostWindow() const { return window_; }
    // What the UI answered as its widget, and the window actually found in ours.
    unsigned long widget() const { return widget_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool hasIdleInterface() const { return idle_ != nullptr; }

    // Pointer input at editor coordinates, sent to the editor's window:
    // press, move in `steps` steps by (dx, dy), release.
    bool drag(int x, int y, int dx, int dy, int steps = 6);

    // The user makes the host window width x height: the window takes it and
    // a UI that offers ui:resize as extension data is told (it may answer
    // with a resize request of its own). False without that interface.
    bool userResize(int width, int height);

    // The whole host window (with the editor in it), or the editor alone.
    bool screenshot(plughost::EditorImage& image, bool wholeWindow = true) const;

private:
    static void writeFunction(void* controller, std::uint32_t port, std::uint32_t size,
                              std::uint32_t protocol, const void* buffer);
    static void touchFunction(void* controller, std::uint32_t port, bool grabbed);
    static int resizeFunction(LV2UI_Feature_Handle handle, int width, int height);
    void record(const UiMessage& message);

    unsigned long widget_ = 0;
    int width_ = 0;
    int height_ = 0;
    SuilHostImpl* host_ = nullptr;
    SuilInstanceImpl* instance_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    LV2UI_Resize resize_{};
    float scale_ = 0.0f;
    float rate_ = 0.0f;
    std::vector<LV2_Options_Option> options_;
    plughost::CallLog<UiMessage> messages_;
};

}  // namespace lv2host
