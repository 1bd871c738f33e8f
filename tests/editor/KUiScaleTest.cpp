// Choosing the editor's scale factor: the order of the sources, rounding and
// limits, and values that make no sense from any of them.

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include "editor/KUiScale.h"
#include "xp/CommaLocale.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using KAMO::KUiScale;

namespace {

KUiScale::Sources sources(float host, const char* environment, const char* xftDpi,
                          const char* gdk) {
    KUiScale::Sources s;
    s.host = host;
    s.environment = environment;
    s.xftDpi = xftDpi;
    s.gdk = gdk;
    return s;
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

}  // namespace

TEST(KUiScale, EachSourceIsHonouredBeforeTheOnesAfterIt) {
    EXPECT_EQ(KUiScale::choose(sources(3, "2.5", "192", "1.5")), 3.0f);
    EXPECT_EQ(KUiScale::choose(sources(0, "2.5", "192", "1.5")), 2.5f);
    EXPECT_EQ(KUiScale::choose(sources(0, nullptr, "192", "1.5")), 2.0f);
    EXPECT_EQ(KUiScale::choose(sources(0, nullptr, nullptr, "1.5")), 1.5f);
    EXPECT_EQ(KUiScale::choose(sources(0, nullptr, nullptr, nullptr)), 1.0f);
    // A host that asks for 1 on a desktop set to 2 gets 1.
    EXPECT_EQ(KUiScale::choose(sources(1, "2", "192", "2")), 1.0f);
}

TEST(KUiScale, NonsenseFromAnySourceFallsThroughToTheNextAndNeverBelowOne) {
    for (float host : {0.0f, -2.0f, kNaN, kInf, -kInf})
        EXPECT_EQ(KUiScale::choose(sources(host, "2", nullptr, nullptr)), 2.0f) << host;
    for (const char* text : {"", "  ", "abc", "0", "-1", "nan", "inf", "1,5", "2x", "0x2", "1e1"})
        EXPECT_EQ(KUiScale::choose(sources(0, text, nullptr, "3")), 3.0f) << text;
    for (const char* dpi : {"abc", "0", "-96", "96 dpi"})
        EXPECT_EQ(KUiScale::choose(sources(0, nullptr, dpi, "3")), 3.0f) << dpi;
    EXPECT_EQ(KUiScale::choose(sources(kNaN, "abc", "abc", "abc")), 1.0f);
}

TEST(KUiScale, FactorsAreRoundedToAQuarterAndKeptWithinOneToFour) {
    EXPECT_EQ(KUiScale::confine(1.1), 1.0f);
    EXPECT_EQ(KUiScale::confine(1.13), 1.25f);
    EXPECT_EQ(KUiScale::confine(1.6), 1.5f);
    EXPECT_EQ(KUiScale::confine(0.5), 1.0f);
    EXPECT_EQ(KUiScale::confine(0.01), 1.0f);
    EXPECT_EQ(KUiScale::confine(100), 4.0f);
    EXPECT_EQ(KUiScale::confine(1e300), 4.0f);
    EXPECT_EQ(KUiScale::choose(sources(100, nullptr, nullptr, nullptr)), 4.0f);
    // Common desktop settings: 120, 144 and 192 dots per inch.
    EXPECT_EQ(KUiScale::choose(sources(0, nullptr, "120", nullptr)), 1.25f);
    EXPECT_EQ(KUiScale::choose(sources(0, nullptr, " 144.0\n", nullptr)), 1.5f);
    EXPECT_EQ(KUiScale::choose(sources(0, nullptr, "9600", nullptr)), 4.0f);
    EXPECT_EQ(KUiScale::toDevice(395, 1.25f), 494);  // 493.75
    EXPECT_EQ(KUiScale::toDevice(540, 2.0f), 1080);
}

TEST(KUiScale, TextReadsWithAPointWhateverTheLocale) {
    CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no decimal-comma locale installed";
    EXPECT_EQ(KUiScale::parse("1.75"), 1.75);
    EXPECT_TRUE(std::isnan(KUiScale::parse("1,75")));
}

// The desktop's resource database, as xrdb leaves it on the root window.
class DesktopScale : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_DISPLAY();
        mDisplay = XOpenDisplay(nullptr);
        ASSERT_NE(mDisplay, nullptr);
        for (const char* name : {"MURLAN_UI_SCALE", "GDK_SCALE"}) {
            const char* value = std::getenv(name);
            mSaved.push_back({name, value ? value : std::string(), value != nullptr});
            unsetenv(name);
        }
    }
    void TearDown() override {
        if (!mDisplay) return;
        XDeleteProperty(mDisplay, DefaultRootWindow(mDisplay), XA_RESOURCE_MANAGER);
        XCloseDisplay(mDisplay);
        for (const auto& saved : mSaved)
            if (saved.set)
                setenv(saved.name, saved.value.c_str(), 1);
            else
                unsetenv(saved.name);
    }

    // The factor an editor connecting now would choose.
    float withResources(const std::string& resources, float host = 0) {
        XChangeProperty(mDisplay, DefaultRootWindow(mDisplay), XA_RESOURCE_MANAGER, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                        static_cast<int>(resources.size()));
        XSync(mDisplay, False);
        Display* fresh = XOpenDisplay(nullptr);
        const float scale = KUiScale::forDisplay(fresh, host);
        if (fresh) XCloseDisplay(fresh);
        return scale;
    }

    struct Saved {
        const char* name;
        std::string value;
        bool set;
    };
    Display* mDisplay = nullptr;
    std::vector<Saved> mSaved;
};

TEST_F(DesktopScale, XftDpiOfTheDisplayCountsAfterTheHostAndTheEnvironment) {
    EXPECT_EQ(withResources("Xft.antialias:\t1\nXft.dpi:\t192\n"), 2.0f);
    EXPECT_EQ(withResources("*dpi: 144\n"), 1.5f);  // a wildcard entry matches too
    EXPECT_EQ(withResources("Xft.dpi:\t192\n", 1.25f), 1.25f);
    setenv("GDK_SCALE", "3", 1);
    EXPECT_EQ(withResources("Xft.dpi:\t192\n"), 2.0f);
    setenv("MURLAN_UI_SCALE", "1.75", 1);
    EXPECT_EQ(withResources("Xft.dpi:\t192\n"), 1.75f);
    unsetenv("MURLAN_UI_SCALE");
    EXPECT_EQ(withResources("Xft.dpi: lots\n"), 3.0f);  // unreadable: on to GDK_SCALE
    unsetenv("GDK_SCALE");
    EXPECT_EQ(withResources("Xft.dpi: lots\n"), 1.0f);
    EXPECT_EQ(withResources("no colon at all"), 1.0f);
    EXPECT_EQ(KUiScale::forDisplay(nullptr, 0), 1.0f);
}
