// The X11 UI inside a GTK 3 window through suil's wrapper, at window scales
// 1 and 2: GTK reads the editor window's size hints in its own units, so
// at scale 2 they must say half the device size for the host's window to
// fit the editor, while the editor keeps its device size (and so its
// sharpness). Each case runs the probe program, which holds GTK 3, in a
// process of its own.

#include "Lv2TestSupport.h"

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_GTK3_PROBE)

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Seen {
    int scale = 0;
    int allocationWidth = 0, allocationHeight = 0;
    int editorWidth = 0, editorHeight = 0, editorX = -1, editorY = -1;
    int hintWidth = 0, hintHeight = 0;
    int toplevelWidth = 0, toplevelHeight = 0;
};

// Runs the probe with the given settings; false when it reported nothing.
bool probe(const std::string& settings, Seen& seen) {
    const std::string command = "env -u GDK_SCALE -u GDK_DPI_SCALE -u MURLAN_UI_SCALE " + settings +
                                " '" MURLAN_GTK3_PROBE "' '" MURLAN_LV2_BUNDLE "/' '" +
                                lv2test::pluginUri() + "'";
    FILE* out = popen(command.c_str(), "r");
    if (!out) return false;
    const int fields =
        std::fscanf(out, "scale %d allocation %d %d editor %d %d %d %d hints %d %d toplevel %d %d",
                    &seen.scale, &seen.allocationWidth, &seen.allocationHeight, &seen.editorWidth,
                    &seen.editorHeight, &seen.editorX, &seen.editorY, &seen.hintWidth,
                    &seen.hintHeight, &seen.toplevelWidth, &seen.toplevelHeight);
    return pclose(out) == 0 && fields == 11;
}

class Lv2UiInGtk3 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    }
};

}  // namespace

TEST_F(Lv2UiInGtk3, TheHostWindowFitsTheEditorAtWindowScalesOneAndTwo) {
    Seen seen;
    ASSERT_TRUE(probe("GDK_SCALE=1", seen));
    EXPECT_EQ(seen.scale, 1);
    EXPECT_EQ(seen.hintWidth, 540);
    EXPECT_EQ(seen.hintHeight, 395);
    EXPECT_EQ(seen.allocationWidth, 540);
    EXPECT_EQ(seen.allocationHeight, 395);
    EXPECT_EQ(seen.editorWidth, 540);
    EXPECT_EQ(seen.editorHeight, 395);
    EXPECT_EQ(seen.toplevelWidth, 540);
    EXPECT_EQ(seen.toplevelHeight, 395);

    // The editor draws at 2 as GDK_SCALE asks; GTK gives it 540 x 395 of
    // its units, which are 1080 x 790 device pixels, and the wrapper's
    // resize to 540 x 395 device pixels does not stick.
    seen = Seen();
    ASSERT_TRUE(probe("GDK_SCALE=2", seen));
    EXPECT_EQ(seen.scale, 2);
    EXPECT_EQ(seen.hintWidth, 540);
    EXPECT_EQ(seen.hintHeight, 395);
    EXPECT_EQ(seen.allocationWidth, 540);
    EXPECT_EQ(seen.allocationHeight, 395);
    EXPECT_EQ(seen.editorWidth, 1080);
    EXPECT_EQ(seen.editorHeight, 790);
    EXPECT_EQ(seen.editorX, 0);
    EXPECT_EQ(seen.editorY, 0);
    EXPECT_EQ(seen.toplevelWidth, 1080);
    EXPECT_EQ(seen.toplevelHeight, 790);
}

TEST_F(Lv2UiInGtk3, AnEditorFactorThatDoesNotDivideByTheWindowScaleIsRoundedUp) {
    // 1.5 x 540 x 395 is 810 x 593 device pixels: GTK's units must hold all
    // of it, so 405 x 297 (810 x 594 device pixels).
    Seen seen;
    ASSERT_TRUE(probe("GDK_SCALE=2 MURLAN_UI_SCALE=1.5", seen));
    EXPECT_EQ(seen.hintWidth, 405);
    EXPECT_EQ(seen.hintHeight, 297);
    EXPECT_EQ(seen.allocationWidth, 405);
    EXPECT_EQ(seen.allocationHeight, 297);
    EXPECT_EQ(seen.editorWidth, 810);
    EXPECT_EQ(seen.editorHeight, 593);
    EXPECT_EQ(seen.toplevelWidth, 810);
    EXPECT_EQ(seen.toplevelHeight, 594);
}

#endif
