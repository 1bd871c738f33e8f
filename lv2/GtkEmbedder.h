#pragma once
// What the toolkit embedding the UI makes of window sizes. suil's wrapper of
// an X11 UI in a GTK 3 host hands GTK the numbers of the UI window's size
// hints as they are, and GTK takes them in its own units, which at a window
// scale of 2 are two device pixels each: told the device size, the host
// makes room for the editor twice over. GTK 2 has no such scale, and a host
// in another toolkit reads the hints as device pixels.

namespace KAMO {

// The scale GTK 3 applies to `window` (an X window id): above 1 only when
// GTK 3 is loaded in this process and the window is one of its own (the
// plug a GTK 3 wrapper gives the UI as its parent); 1 otherwise. Call it on
// the host's UI thread, which in a GTK host is GTK's.
int gtk3WindowScale(unsigned long window);

}  // namespace KAMO
