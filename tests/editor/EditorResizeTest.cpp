// An editor that users resize, as the faces whose hosts offer it drive it:
// the answers to a host's constraint questions, the size the window takes
// and draws at, where the mouse is read at the new factor, and the GL
// objects of its context over many resizes. In-process, with the real skin,
// in a host window.

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include "editor/KEditor.h"
#include "editor/KEditorWindow.h"
#include "tools/plughost/EditorImage.h"
#include "tools/plughost/HostDisplay.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// The last-resort bound of every wait here: a loaded two-core machine
// drawing in software meets it; a wait that is met returns at once.
constexpr int kPatienceMs = 60000;

TEST(EditorSizeConstraint, AnswersAreTheNearestSizeOfTheSkinsAspectFromOneToFourTimes) {
    EditorTest::TestMurlan effect;
    KAMO::KEditor editor(&effect,
                         EditorTest::buildSkin(&effect, EditorTest::murlanSkinText()).release());
    ASSERT_TRUE(editor.canResize());
    const struct {
        int width, height, wantWidth, wantHeight;
    } cases[] = {
        {540, 395, 540, 395},  {1080, 790, 1080, 790},   {2160, 1580, 2160, 1580},
        {100, 50, 540, 395},   {9000, 9000, 2160, 1580}, {-5, 0, 540, 395},
        {1080, 395, 892, 652}, {540, 790, 728, 533},     {800, 600, 807, 590},
    };
    for (const auto& c : cases) {
        int w = c.width, h = c.height;
        const bool allowed = editor.constrainSize(&w, &h);
        EXPECT_EQ(w, c.wantWidth) << c.width << "x" << c.height;
        EXPECT_EQ(h, c.wantHeight) << c.width << "x" << c.height;
        EXPECT_EQ(allowed, c.width == w && c.height == h) << c.width << "x" << c.height;
    }
    // Whatever is asked, the answer is an allowed size, which answers itself.
    for (int width = 200; width < 2600; width += 37)
        for (int height = 150; height < 1900; height += 53) {
            int w = width, h = height;
            editor.constrainSize(&w, &h);
            ASSERT_TRUE(w >= 540 && w <= 2160) << width << "x" << height;
            ASSERT_NEAR(h, w * 395.0 / 540.0, 0.51) << width << "x" << height;
            int again = w, againHeight = h;
            ASSERT_TRUE(editor.constrainSize(&again, &againHeight)) << w << "x" << h;
            ASSERT_EQ(again, w);
        }
}

class EditorResize : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_DISPLAY();
        display = plughost::openHostDisplay();
        ASSERT_NE(display, nullptr);
        editor.reset(new KAMO::KEditor(
            &effect, EditorTest::buildSkin(&effect, EditorTest::murlanSkinText()).release()));
        parent = plughost::createHostWindow(display, 1200, 900, "");
        plughost::mapAndWait(display, parent);
        detune = effect.findParameter("Detune1");
    }
    void TearDown() override {
        if (editor) editor->close();
        editor.reset();
        if (display) {
            if (parent) XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }
    bool until(const std::function<bool()>& done) {
        return plughost::idleUntil([&] { editor->idle(); }, done, kPatienceMs);
    }
    KAMO::KEditorWindow& window() { return *editor->window(); }
    bool windowIs(int width, int height) {
        XWindowAttributes a{};
        return window().windowId() && XGetWindowAttributes(display, window().windowId(), &a) &&
               a.width == width && a.height == height;
    }
    void resize(int width, int height) {
        const int before = window().rescales();
        ASSERT_TRUE(editor->setSize(width, height));
        ASSERT_TRUE(until([&] { return window().rescales() > before; })) << width;
    }
    // Press at (x, y), one motion by dy, release: device pixels of the window.
    void drag(int x, int y, int dy) {
        const Window w = window().windowId();
        plughost::sendPointerEvent(display, w, ButtonPress, Button1, x, y, 0);
        plughost::sendPointerEvent(display, w, MotionNotify, 0, x, y + dy, Button1Mask);
        plughost::sendPointerEvent(display, w, ButtonRelease, Button1, x, y + dy, Button1Mask);
    }

    EditorTest::TestMurlan effect;
    std::unique_ptr<KAMO::KEditor> editor;
    Display* display = nullptr;
    Window parent = 0;
    int detune = -1;
};

TEST_F(EditorResize, ItRedrawsInPlaceAtTheNewSizeReadsTheMouseThereAndLeaksNoGlObjects) {
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(parent)));
    ASSERT_TRUE(until([&] { return window().glObjects() > 0 && windowIs(540, 395); }));
    const int objects = window().glObjects();
    const unsigned long id = window().windowId();

    // One and a half times: the window, its hints and the host's rectangle
    // follow, and a knob is found where it is now drawn.
    resize(810, 700);
    EXPECT_EQ(window().windowId(), id) << "not reopened";
    EXPECT_TRUE(until([&] { return windowIs(810, 593); }));
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->right - rect->left, 810);
    EXPECT_EQ(rect->bottom - rect->top, 593);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(display, id, &hints, &supplied));
    EXPECT_EQ(hints.min_width, 810);
    EXPECT_EQ(hints.max_height, 593);
    plughost::EditorImage shot;
    ASSERT_TRUE(plughost::grabWindow(display, id, shot));
    EXPECT_EQ(shot.width(), 810);
    // The knob at (130, 130), 40 x 40 in skin pixels; 75 device pixels up
    // are 50 skin pixels: half the range.
    effect.setParameter(detune, 0.3f);
    drag(225, 225, -75);
    EXPECT_TRUE(until([&] { return std::fabs(effect.getParameter(detune) - 0.8f) < 1e-6f; }))
        << effect.getParameter(detune);

    // Many sizes, as a corner dragged around: GL objects stay as they were.
    for (int i = 0; i < 200; ++i) {
        const int width = 560 + (i * 37) % 600;
        resize(width, 2000);
    }
    resize(540, 395);
    EXPECT_TRUE(until([&] { return windowIs(540, 395); }));
    EXPECT_EQ(window().glObjects(), objects);

    // The chosen size is the next opening's.
    resize(1080, 790);
    editor->close();
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->right, 1080);
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(parent)));
    EXPECT_TRUE(until([&] { return windowIs(1080, 790); }));
}

}  // namespace
