#pragma once
// The display connection of a host window, and what every host window does
// with it. Plug-in editors draw from threads of their own, so Xlib must be
// told before the process opens its first connection; every host window
// opens its display here.

#include "tools/plughost/HostIdler.h"

#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace plughost {

class EditorImage;

// Null when no X server answers.
Display* openHostDisplay();

// A top-level window of that size for a plug-in to put its editor in,
// black until the editor draws, named `title` unless empty, not yet mapped.
// It is kept in storage of its own where the server can, so that
// screenshots show the editor even where other windows cover it.
Window createHostWindow(Display* display, int width, int height, const std::string& title);

// Maps `window` and waits until the server has.
void mapAndWait(Display* display, Window window);

// Drops the events waiting on `display` (none without one): host windows
// only need the server's answers, not the events a window also gets.
void dropEvents(Display* display);

// The first child of `window` (where a plug-in puts its editor), 0 while
// there is none or either is missing.
Window firstChildWindow(Display* display, Window window);

// Sends a button press or release (`type`, with `button`) or a motion
// (MotionNotify) at (x, y) of `target` straight to that window, with the
// modifier and button `state` before the event. Tests drive editors this way
// rather than through the display's one pointer, which a window another
// test maps on top would take.
void sendPointerEvent(Display* display, Window target, int type, int button, int x, int y,
                      unsigned state);

// A drag with the first button from (x, y) of `target` by (dx, dy) in
// `steps` moves, each event sent as sendPointerEvent does; `idle` runs
// after each once the server has it, as a host idles between the
// pointer's moves; `release` false leaves the button down. False without a
// target.
bool dragInWindow(Display* display, Window target, int x, int y, int dx, int dy, int steps,
                  const std::function<void()>& idle, bool release = true);

// The picture of `window` once the server has done all that was asked of it;
// false without a window.
bool grabWindow(Display* display, Window window, EditorImage& image);

}  // namespace plughost
