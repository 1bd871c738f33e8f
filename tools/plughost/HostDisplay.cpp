#include "tools/plughost/HostDisplay.h"

namespace plughost {

Display* openHostDisplay() {
    static const bool threaded = XInitThreads() != 0;
    (void)threaded;
    return XOpenDisplay(nullptr);
}

}  // namespace plughost
