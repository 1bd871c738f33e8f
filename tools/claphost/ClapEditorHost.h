#pragma once
// A stand-in for a host's editor window for CLAP plug-ins: a top-level X
// window of the size the plug-in's gui asks for, the gui created for X11,
// given the scale, its parent and shown. The host's timers and main-thread
// callbacks are served by idle(), on the thread that calls it, as a host
// serves them on its main thread.

#include "tools/plughost/EditorImage.h"
#include "tools/plughost/HostWindow.h"

#include <cstdint>
#include <string>

namespace claphost {

class ClapInstance;

class ClapEditorHost : public plughost::HostWindow {
public:
    ~ClapEditorHost() override;

    bool open(ClapInstance& plugin, std::string* error = nullptr, double scale = 0.0);
    void close() override;
    bool isOpen() const { return plugin_ != nullptr; }
    void idle() override;

    // A drag at editor coordinates sent to the editor's window, idling
    // between the moves; false without an editor window.
    bool drag(int x, int y, int dx, int dy, int steps = 6);

    // As a user dragging the window's corner would: the gui's nearest size
    // to the one asked, the window made that size and the gui given it;
    // false if the gui cannot be resized or refuses.
    bool userResize(int width, int height);

    int width() const { return static_cast<int>(width_); }
    int height() const { return static_cast<int>(height_); }
    bool screenshot(plughost::EditorImage& image) const;

private:
    ClapInstance* plugin_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
};

}  // namespace claphost
