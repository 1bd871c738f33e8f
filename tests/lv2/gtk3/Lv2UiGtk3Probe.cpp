// Opens the bundle's UI in a GTK 3 window through suil's wrapper, as GTK 3
// hosts embed an X11 UI, lets GTK settle and prints what it made of it, for
// Lv2UiInGtk3Test: a process of its own, because GTK 3 cannot share one with
// the GTK 2 of the other tests and reads its window scale (GDK_SCALE) once.
//   Lv2UiGtk3Probe BUNDLE URI
// prints "scale S allocation W H editor W H X Y hints W H toplevel W H".

#include "tools/lv2host/Lv2UiHost.h"
#include "tools/lv2host/Lv2World.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <gtk/gtkx.h>
#include <lv2/ui/ui.h>
#include <suil/suil.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

struct Geometry {
    int width = 0, height = 0, x = 0, y = 0;
    bool operator==(const Geometry& o) const {
        return width == o.width && height == o.height && x == o.x && y == o.y;
    }
};

Geometry geometryOf(Display* display, Window window) {
    Geometry g;
    Window root = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (XGetGeometry(display, window, &root, &g.x, &g.y, &w, &h, &border, &depth)) {
        g.width = static_cast<int>(w);
        g.height = static_cast<int>(h);
    }
    return g;
}

// The UI's window: the one child of the plug suil gave the UI as its parent.
Window editorIn(Display* display, GtkWidget* socket) {
    GdkWindow* plug = gtk_socket_get_plug_window(GTK_SOCKET(socket));
    if (!plug) return 0;
    Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    if (XQueryTree(display, GDK_WINDOW_XID(plug), &root, &parent, &children, &count) && count)
        found = children[count - 1];
    if (children) XFree(children);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || !gtk_init_check(&argc, &argv)) return 2;
    lv2host::Lv2World world;
    std::string error;
    const LilvPlugin* plugin = world.loadBundle(argv[1], argv[2], &error);
    if (!plugin) return 3;
    lv2host::EmbeddableUi ui;
    if (!lv2host::findEmbeddableUi(world, plugin, LV2_UI__Gtk3UI, &ui)) return 4;
    const LV2_Feature map = {LV2_URID__map, world.mapFeature()};
    const LV2_Feature unmap = {LV2_URID__unmap, world.unmapFeature()};
    const LV2_Feature* features[] = {&map, &unmap, nullptr};
    SuilHost* host = suil_host_new([](void*, uint32_t, uint32_t, uint32_t, const void*) {}, nullptr,
                                   nullptr, nullptr);
    SuilInstance* instance = suil_instance_new(
        host, nullptr, LV2_UI__Gtk3UI, lilv_node_as_uri(lilv_plugin_get_uri(plugin)),
        ui.uri.c_str(), ui.typeUri.c_str(), ui.bundlePath.c_str(), ui.binaryPath.c_str(), features);
    if (!instance) return 5;
    auto* widget = static_cast<GtkWidget*>(suil_instance_get_widget(instance));
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_add(GTK_CONTAINER(window), widget);
    gtk_widget_show_all(window);
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());

    // Settled: the editor's window and the toplevel unchanged for a second
    // of the main loop (the wrapper resizes on each allocation).
    Window editor = 0;
    Geometry last, lastTop;
    auto stableSince = std::chrono::steady_clock::now();
    const auto end = stableSince + std::chrono::seconds(20);
    for (;;) {
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        g_usleep(10000);
        const auto now = std::chrono::steady_clock::now();
        editor = editorIn(display, widget);
        const Geometry g = editor ? geometryOf(display, editor) : Geometry();
        const Geometry top =
            gtk_widget_get_window(window)
                ? geometryOf(display, GDK_WINDOW_XID(gtk_widget_get_window(window)))
                : Geometry();
        if (!(g == last) || !(top == lastTop) || !editor) stableSince = now;
        last = g;
        lastTop = top;
        if (now - stableSince > std::chrono::seconds(1) || now > end) break;
    }
    GtkAllocation allocation{};
    gtk_widget_get_allocation(widget, &allocation);
    XSizeHints hints{};
    long supplied = 0;
    if (editor) XGetWMNormalHints(display, editor, &hints, &supplied);
    std::printf("scale %d allocation %d %d editor %d %d %d %d hints %d %d toplevel %d %d\n",
                gtk_widget_get_scale_factor(window), allocation.width, allocation.height,
                last.width, last.height, last.x, last.y, hints.min_width, hints.min_height,
                lastTop.width, lastTop.height);
    suil_instance_free(instance);
    gtk_widget_destroy(window);
    suil_host_free(host);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    return editor ? 0 : 6;
}
