// The size the editor's window tells an embedding toolkit: its size at the
// factor it opened with, neither smaller nor larger.

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include "tools/plughost/EditorHost.h"
#include "tools/plughost/PluginHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

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
