#include "lv2/GtkEmbedder.h"

#include <dlfcn.h>

namespace KAMO {

namespace {

// GDK's own declarations would pull GTK 3 into the build of a plug-in that
// must load in GTK 2 hosts just as well; these are its stable C entries.
using GetDefaultDisplay = void* (*)();
using LookupWindow = void* (*)(void* display, unsigned long window);
using WindowScale = int (*)(void* window);

}  // namespace

int gtk3WindowScale(unsigned long window) {
    if (!window) return 1;
    // Only a library already loaded: the UI never brings GTK 3 in itself.
    void* gtk = dlopen("libgtk-3.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!gtk) return 1;
    // GDK is found through GTK, of which it is a dependency.
    const auto getDefault =
        reinterpret_cast<GetDefaultDisplay>(dlsym(gtk, "gdk_display_get_default"));
    const auto lookup =
        reinterpret_cast<LookupWindow>(dlsym(gtk, "gdk_x11_window_lookup_for_display"));
    const auto scaleOf = reinterpret_cast<WindowScale>(dlsym(gtk, "gdk_window_get_scale_factor"));
    int scale = 1;
    void* display = getDefault && lookup && scaleOf ? getDefault() : nullptr;
    // A window GDK does not know is not GTK's to scale.
    void* gdkWindow = display ? lookup(display, window) : nullptr;
    if (gdkWindow) scale = scaleOf(gdkWindow);
    dlclose(gtk);
    return scale > 1 ? scale : 1;
}

}  // namespace KAMO
