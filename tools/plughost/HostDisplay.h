#pragma once
// The display connection of a host window. Plug-in editors draw from threads
// of their own, so Xlib must be told before the process opens its first
// connection; every host window opens its display here.

#include <X11/Xlib.h>

namespace plughost {

// Null when no X server answers.
Display* openHostDisplay();

}  // namespace plughost
