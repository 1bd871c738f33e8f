#pragma once
// What the adapter faces' editor windows share: their own display
// connection (null without an X server) and the top-level window they put
// the plug-in's editor in, apart from Xlib so that their headers need not
// include it.

#include "tools/plughost/HostIdler.h"

#include <string>

struct _XDisplay;

namespace plughost {

class HostWindow : public HostIdler {
public:
    HostWindow();
    // Closes the display; each window closes its editor first.
    ~HostWindow() override;

    bool hasDisplay() const { return display_ != nullptr; }
    _XDisplay* display() const { return display_; }
    // The plug-in's editor closed and the window taken down.
    virtual void close() = 0;
    // The editor's own window (the first child of ours), 0 while none.
    unsigned long editorWindow() const;

protected:
    // What open() answers when it fails: false, with `why` in `error` when
    // given, and what was opened so far closed again.
    bool fail(std::string* error, const std::string& why);
    // close() first, then false (as fail()) when there is no display.
    bool closeAndCheckDisplay(std::string* error);
    // The top-level window of that size, mapped.
    void openWindow(int width, int height, const std::string& title);
    void resizeWindow(int width, int height);
    void destroyWindow();

    _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
};

}  // namespace plughost
