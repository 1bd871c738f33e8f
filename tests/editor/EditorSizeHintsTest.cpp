// The size the editor's window tells an embedding toolkit: its size at the
// factor it opened with, neither smaller nor larger, in device pixels or in
// the units of an embedder that scales its own windows.

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include "editor/KEditor.h"
#include "tools/plughost/EditorHost.h"
#include "tools/plughost/PluginHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <functional>
#include <memory>

#ifndef MURLAN_PLUGIN
#define MURLAN_PLUGIN ""
#endif

TEST(EditorSizeHints, MinimumMaximumAndBaseAreTheSizeAtTheFactor) {
    REQUIRE_DISPLAY();
    if (!*MURLAN_PLUGIN) GTEST_SKIP() << "plug-in not built";
    plughost::PluginHost host;
    std::string error;
    auto plugin = host.load(MURLAN_PLUGIN, &error);
    ASSERT_NE(plugin, nullptr) << error;
    plughost::EditorHost window;
    for (const int factor : {1, 2}) {
        ASSERT_TRUE(window.open(*plugin, &error, static_cast<float>(factor))) << error;
        const int width = 540 * factor, height = 395 * factor;
        XSizeHints hints{};
        long supplied = 0;
        // Set before the window is mapped, as toolkits read them then.
        ASSERT_TRUE(window.pumpUntil(
            [&] {
                XWindowAttributes attributes{};
                return window.editorWindow() != 0 &&
                       XGetWindowAttributes(window.display(), window.editorWindow(), &attributes) &&
                       attributes.map_state == IsViewable;
            },
            10000));
        ASSERT_TRUE(XGetWMNormalHints(window.display(), window.editorWindow(), &hints, &supplied));
        EXPECT_EQ(hints.flags & (PMinSize | PMaxSize | PBaseSize), PMinSize | PMaxSize | PBaseSize);
        EXPECT_EQ(hints.min_width, width) << factor;
        EXPECT_EQ(hints.min_height, height) << factor;
        EXPECT_EQ(hints.max_width, width) << factor;
        EXPECT_EQ(hints.max_height, height) << factor;
        EXPECT_EQ(hints.base_width, width) << factor;
        EXPECT_EQ(hints.base_height, height) << factor;
        window.close();
    }
}

// An embedder that scales its windows by 2 reads the hints in its units and
// then resizes the window to the hinted numbers taken as device pixels (as
// suil's GTK 3 wrapper does): the hints say half, and the window keeps its
// full device size.
TEST(EditorSizeHints, InAnEmbeddersUnitsTheHintsAreHalvedAndTheWindowKeepsItsSize) {
    REQUIRE_DISPLAY();
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window parent =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1200, 900, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    EditorTest::TestMurlan effect;
    auto owned = std::make_unique<KAMO::KEditor>(
        &effect, EditorTest::buildSkin(&effect, EditorTest::murlanSkinText()).release());
    AEffEditor* editor = owned.get();
    editor->setScaleFactor(2.0f);
    editor->setEmbedderScale(2);
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(parent)));
    Window window = 0;
    auto geometry = [&](unsigned& width, unsigned& height) {
        Window root = 0;
        int x = 0, y = 0;
        unsigned border = 0, depth = 0;
        return XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth);
    };
    auto waitFor = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 10000 && !done(); ++i) usleep(1000);
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return (window = editor->nativeWindow()) != 0; }));
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(display, window, &hints, &supplied));
    EXPECT_EQ(hints.min_width, 540);
    EXPECT_EQ(hints.min_height, 395);
    EXPECT_EQ(hints.max_width, 540);
    EXPECT_EQ(hints.base_height, 395);
    unsigned width = 0, height = 0;
    ASSERT_TRUE(geometry(width, height));
    EXPECT_EQ(width, 1080u);
    EXPECT_EQ(height, 790u);

    XResizeWindow(display, window, 540, 395);
    XSync(display, False);
    EXPECT_TRUE(waitFor([&] { return geometry(width, height) && width == 1080 && height == 790; }))
        << width << " x " << height;
    editor->close();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}
