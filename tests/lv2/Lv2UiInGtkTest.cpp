// The X11 UI inside a GTK 2 window, wrapped by suil as the most used Linux
// host embeds it: the wrapper must hold the editor's own window (else it
// never finds it among the plug's children and asks for a new size for
// ever), take its size from it, and leave an idle editor alone.

#include "Lv2TestSupport.h"

#include "tools/lv2host/Lv2UiHost.h"

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_HAVE_GTK2)

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <lv2/ui/ui.h>
#include <suil/suil.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace {

constexpr std::uint32_t kMainLevelPort = 22;
constexpr int kLeft = 700;
constexpr int kTop = 560;

class Lv2UiInGtk : public lv2test::Lv2Fixture {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        XInitThreads();
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "GTK cannot open the display";
        Lv2Fixture::SetUp();
    }
    void TearDown() override {
        if (instance) suil_instance_free(instance);
        if (window) gtk_widget_destroy(window);
        if (host) suil_host_free(host);
        // What the destruction left for the main loop.
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    }

    // Runs GTK's main loop (suil's wrapper idles the UI from it) until
    // `done` or `ms` milliseconds.
    static bool loopUntil(const std::function<bool()>& done, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            // A wrapper that keeps resizing never leaves the loop idle.
            while (gtk_events_pending() && std::chrono::steady_clock::now() < end)
                gtk_main_iteration_do(FALSE);
            if (done()) return true;
            g_usleep(5000);
        }
        return done();
    }

    bool open() {
        lv2host::EmbeddableUi ui;
        if (!lv2host::findEmbeddableUi(world, plugin, LV2_UI__GtkUI, &ui)) return false;
        const LV2_Feature map = {LV2_URID__map, world.mapFeature()};
        const LV2_Feature unmap = {LV2_URID__unmap, world.unmapFeature()};
        const LV2_Feature* features[] = {&map, &unmap, nullptr};
        host = suil_host_new([](void* self, uint32_t, uint32_t, uint32_t,
                                const void*) { ++static_cast<Lv2UiInGtk*>(self)->writes; },
                             nullptr, nullptr, nullptr);
        instance = suil_instance_new(host, this, LV2_UI__GtkUI,
                                     lilv_node_as_uri(lilv_plugin_get_uri(plugin)), ui.uri.c_str(),
                                     ui.typeUri.c_str(), ui.bundlePath.c_str(),
                                     ui.binaryPath.c_str(), features);
        if (!instance) return false;
        widget = static_cast<GtkWidget*>(suil_instance_get_widget(instance));
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window), widget);
        g_signal_connect(widget, "size-allocate",
                         G_CALLBACK(+[](GtkWidget*, GtkAllocation*, gpointer self) {
                             ++static_cast<Lv2UiInGtk*>(self)->allocations;
                         }),
                         this);
        // Tests run side by side on one display: away from where the others
        // click, and drawn off screen, so that their windows passing over
        // it cause no repaint here.
        gtk_window_move(GTK_WINDOW(window), kLeft, kTop);
        gtk_widget_realize(window);
        int event = 0, error = 0;
        if (XCompositeQueryExtension(display(), &event, &error))
            XCompositeRedirectWindow(display(), GDK_WINDOW_XID(gtk_widget_get_window(window)),
                                     CompositeRedirectAutomatic);
        gtk_widget_show_all(window);
        return true;
    }

    // The windows in the GTK plug that suil gave the UI as its parent.
    std::vector<Window> plugChildren() const {
        std::vector<Window> found;
        GdkWindow* plug = gtk_socket_get_plug_window(GTK_SOCKET(widget));
        if (!plug) return found;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display(), GDK_WINDOW_XID(plug), &root, &parent, &children, &count))
            found.assign(children, children + count);
        if (children) XFree(children);
        return found;
    }
    static Display* display() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

    SuilHost* host = nullptr;
    SuilInstance* instance = nullptr;
    GtkWidget* window = nullptr;
    GtkWidget* widget = nullptr;
    int writes = 0;
    int allocations = 0;
};

// Our editor's window: the one that says it cannot be resized.
bool isEditorWindow(Display* display, Window window, int width, int height) {
    XSizeHints hints{};
    long supplied = 0;
    return XGetWMNormalHints(display, window, &hints, &supplied) && (hints.flags & PMinSize) != 0 &&
           hints.min_width == width && hints.min_height == height;
}

}  // namespace

TEST_F(Lv2UiInGtk, TheWrapperHoldsTheEditorsWindowAtItsSizeAndRestsWhileIdle) {
    ASSERT_TRUE(open()) << "suil could not wrap the UI in GTK 2";
    Window editor = 0;
    ASSERT_TRUE(loopUntil(
        [&] {
            for (Window child : plugChildren())
                if (isEditorWindow(display(), child, 540, 395)) editor = child;
            return editor != 0;
        },
        10000))
        << "no editor window in the plug";
    // The wrapper asks for the size of the window it holds, and is given
    // it; holding another it asks for nothing sensible and keeps asking.
    GtkRequisition wanted{};
    GtkAllocation given{};
    ASSERT_TRUE(loopUntil(
        [&] {
            gtk_widget_size_request(widget, &wanted);
            gtk_widget_get_allocation(widget, &given);
            return wanted.width == 540 && wanted.height == 395 && given.width == 540 &&
                   given.height == 395;
        },
        5000))
        << "asks " << wanted.width << " x " << wanted.height << ", given " << given.width << " x "
        << given.height;

    // Once drawn, an idle editor changes nothing: no new sizes, no repaint,
    // no port writes.
    // On a connection of our own: GDK would take the damage events.
    Display* own = XOpenDisplay(nullptr);
    ASSERT_NE(own, nullptr);
    int damageEvent = 0, damageError = 0, major = 0, minor = 0;
    ASSERT_TRUE(XDamageQueryExtension(own, &damageEvent, &damageError));
    XDamageQueryVersion(own, &major, &minor);
    XFixesQueryVersion(own, &major, &minor);
    const Damage damage = XDamageCreate(own, editor, XDamageReportNonEmpty);
    int repaints = 0;
    auto countRepaints = [&] {
        // A non-empty damage region is emptied and counted.
        XserverRegion region = XFixesCreateRegion(own, nullptr, 0);
        XDamageSubtract(own, damage, None, region);
        int rectangles = 0;
        XRectangle* parts = XFixesFetchRegion(own, region, &rectangles);
        if (parts) XFree(parts);
        XFixesDestroyRegion(own, region);
        repaints += rectangles > 0;
    };
    // Settled: half a second with no repaint.
    int quiet = 0;
    ASSERT_TRUE(loopUntil(
        [&] {
            const int before = repaints;
            countRepaints();
            quiet = repaints == before ? quiet + 1 : 0;
            return quiet >= 100;
        },
        10000));
    repaints = 0;
    allocations = 0;
    writes = 0;
    loopUntil(
        [&] {
            countRepaints();
            return false;
        },
        2000);
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(repaints, 0);
    EXPECT_EQ(writes, 0);

    // What the host changes is drawn (and seen here).
    const float level = -6.0f;
    suil_instance_port_event(instance, kMainLevelPort, sizeof level, 0, &level);
    EXPECT_TRUE(loopUntil(
        [&] {
            countRepaints();
            return repaints > 0;
        },
        5000));
    XDamageDestroy(own, damage);
    XCloseDisplay(own);
}

#endif
