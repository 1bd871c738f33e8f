#pragma once
// A stand-in for a host's editor window: a top-level X window of the size
// the plug-in asks for, with the plug-in's editor opened inside it. The
// command line uses it to show an editor without a DAW (and to take a
// screenshot of it); tests use it to drive an editor with synthesised mouse
// input and to look at what it draws.
//
//   plughost::EditorHost window;
//   if (!window.open(*plugin, &error)) ...
//   window.pump(500);            // effEditIdle every 20 ms, host events
//   window.click(200, 10);       // editor coordinates
//   EditorImage shot; window.screenshot(shot);
//   window.close();

#include "tools/plughost/EditorImage.h"
#include "tools/plughost/HostIdler.h"
#include "tools/plughost/Subcommands.h"

#include <functional>
#include <string>

struct _XDisplay;

namespace plughost {

class PluginInstance;

class EditorHost : public HostIdler {
public:
    static constexpr unsigned kShift = 1u << 0;    // ShiftMask
    static constexpr unsigned kControl = 1u << 2;  // ControlMask

    // Opens a display connection of its own (the default display).
    EditorHost();
    ~EditorHost();

    bool hasDisplay() const { return display_ != nullptr; }
    _XDisplay* display() const { return display_; }

    // effEditGetRect, a mapped top-level window of that size, effEditOpen.
    // A scale other than 0 is sent first, as the vendor-specific scale
    // request that high-density hosts send.
    bool open(PluginInstance& plugin, std::string* error = nullptr, float scale = 0.0f);
    // effEditClose, then the top-level window goes.
    void close();
    bool isOpen() const { return plugin_ != nullptr; }
    // The user closed the top-level window (window manager's close button).
    bool closeRequested() const { return closeRequested_; }

    // One host idle: effEditIdle and the top-level window's own events.
    void idle() override;

    unsigned long parentWindow() const { return parent_; }
    // The editor's own window (the first child of ours), 0 while none.
    unsigned long editorWindow() const;
    int width() const { return width_; }
    int height() const { return height_; }

    // Mouse input at editor coordinates, delivered to the editor's window
    // as the X server would; `state` holds kShift / kControl, and the
    // buttons held (pressed here and not yet released) are added to it.
    void press(int button, int x, int y, unsigned state = 0);
    void release(int button, int x, int y, unsigned state = 0);
    void motion(int x, int y, unsigned state = 0);
    void click(int x, int y, unsigned state = 0);
    // Press at (x, y), move by (dx, dy) in one motion, release there.
    void drag(int x, int y, int dx, int dy, unsigned state = 0);

    bool screenshot(EditorImage& image) const;

    // The top-level window goes while the editor is still open, as when a
    // host tears its window down before effEditClose; close() still sends
    // that afterwards.
    void destroyParent();
    // Forgets the plug-in without effEditClose, as a host that goes straight
    // to effClose does; close() then only takes the window down.
    void forgetPlugin() { plugin_ = nullptr; }

private:
    void sendButton(int type, int button, int x, int y, unsigned state);

    _XDisplay* display_ = nullptr;
    PluginInstance* plugin_ = nullptr;
    unsigned long parent_ = 0;
    unsigned long deleteAtom_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool closeRequested_ = false;
    unsigned buttons_ = 0;  // X button masks of the buttons held
};

// plughost editor PLUGIN.so [--screenshot FILE.png] [--after-ms N] [--render]
//                           [--set Name=Text ...] [--page N] [--click X,Y ...]
//                           [--scale S]
int runEditor(const SubcommandArgs& args, std::ostream& out, std::ostream& err);

}  // namespace plughost
