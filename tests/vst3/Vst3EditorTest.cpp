// The editor as a VST 3 view in a host's window: drawn as the VST 2.4
// editor at any scale, and its edits reaching the host as beginEdit,
// performEdit and endEdit from the host's run loop, on the host's thread.

#include "Vst3TestSupport.h"
#include "editor/SkinPlaces.h"

#include "tools/plughost/EditorHost.h"
#include "tools/vst3host/Vst3EditorHost.h"

#include <X11/Xlib.h>

#include <set>
#include <thread>

#if defined(MURLAN_VST3_BUNDLE) && defined(MURLAN_PLUGIN)

using vst3host::HostEdit;

using EditorTest::button;
using EditorTest::knob;

namespace {

class Vst3Editor : public facetest::EditorFixture<vst3test::Vst3Fixture, vst3host::Vst3Instance,
                                                  vst3host::Vst3EditorHost> {
protected:
    std::vector<HostEdit> editsUntilEnd() {
        window.pumpUntil(
            [&] {
                const auto edits = plugin->handler().edits();
                return !edits.empty() && edits.back().kind == HostEdit::End;
            },
            5000);
        return plugin->handler().edits();
    }
};

}  // namespace

TEST_F(Vst3Editor, DrawsInTheHostsWindowAsTheVst24EditorDoes) {
    ASSERT_TRUE(opened());
    EXPECT_EQ(window.width(), 540);
    EXPECT_EQ(window.height(), 395);
    EXPECT_EQ(window.timerCount(), 1);
    expectDrawnAsTheVst24Editor(0.0f);
}

TEST_F(Vst3Editor, TakesTheContentScaleBeforeAndWhileOpen) {
    ASSERT_TRUE(opened(2.0f));
    EXPECT_EQ(window.width(), 1080);
    EXPECT_EQ(window.height(), 790);
    expectDrawnAsTheVst24Editor(2.0f);

    // Back to 1 while open: the view asks the frame for its new size.
    ASSERT_TRUE(window.setScale(1.0f));
    ASSERT_FALSE(window.resizeRequests().empty());
    EXPECT_EQ(window.resizeRequests().back().right, 540);
    EXPECT_EQ(window.resizeRequests().back().bottom, 395);
    EXPECT_EQ(settledShot(window).width(), 540);
}

// The user drags the view's corner: the host asks for the nearest size,
// makes its window that size and tells the view, which draws at it in
// place as it would have opened at it, reads the mouse there, and opens at
// it again next time.
TEST_F(Vst3Editor, TheUserResizesTheViewInPlaceWithItsAspectKept) {
    ASSERT_TRUE(opened());
    settledShot(window);
    v3_plugin_view** view = window.view();
    EXPECT_EQ(v3_cpp_obj(view)->can_resize(view), V3_TRUE);
    const struct {
        int width, height, wantWidth, wantHeight;
    } asks[] = {{700, 700, 790, 578}, {5000, 100, 2160, 1580}, {10, 10, 540, 395}};
    for (const auto& a : asks) {
        v3_view_rect rect{0, 0, a.width, a.height};
        EXPECT_EQ(v3_cpp_obj(view)->check_size_constraint(view, &rect), V3_OK);
        EXPECT_EQ(rect.right, a.wantWidth) << a.width << "x" << a.height;
        EXPECT_EQ(rect.bottom, a.wantHeight) << a.width << "x" << a.height;
    }
    const unsigned long editor = window.editorWindow();
    v3_view_rect granted{};
    ASSERT_TRUE(window.userResize(1080, 790, &granted));
    EXPECT_EQ(granted.right, 1080);
    EXPECT_EQ(granted.bottom, 790);
    EXPECT_TRUE(comesToShow(vstShot(2.0f)));
    EXPECT_EQ(window.editorWindow(), editor) << "not reopened";
    v3_view_rect size{};
    ASSERT_EQ(v3_cpp_obj(view)->get_size(view, &size), V3_OK);
    EXPECT_EQ(size.right, 1080);
    EXPECT_EQ(size.bottom, 790);

    // The Main Level knob at (400, 35), 40 x 40, now twice as large.
    plugin->handler().clear();
    ASSERT_TRUE(window.drag(840, 110, 0, -60));
    const std::vector<HostEdit> edits = editsUntilEnd();
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().id, kMainLevel);
    EXPECT_GT(plugin->normalised(kMainLevel), plugin->parameters()[kMainLevel].defaultValue);

    window.close();
    ASSERT_TRUE(opened());
    EXPECT_EQ(window.width(), 1080);
    EXPECT_EQ(window.height(), 790);
}

TEST_F(Vst3Editor, AKnobDragReachesTheHostInOneGestureOnTheHostsThread) {
    ASSERT_TRUE(opened());
    settledShot(window);
    plugin->handler().clear();
    ASSERT_TRUE(window.drag(knob("MainLvl").centreX(), knob("MainLvl").centreY(), 0, -30));
    const std::vector<HostEdit> edits = editsUntilEnd();
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().kind, HostEdit::Begin);
    EXPECT_EQ(edits.back().kind, HostEdit::End);
    double last = plugin->parameters()[kMainLevel].defaultValue;
    int performs = 0;
    for (const HostEdit& e : edits) {
        EXPECT_EQ(e.id, kMainLevel);
        EXPECT_EQ(e.thread, std::this_thread::get_id());
        if (e.kind != HostEdit::Perform) continue;
        ++performs;
        EXPECT_GE(e.value, last) << "dragging up only raises the level";
        last = e.value;
    }
    EXPECT_GE(performs, 1);
    EXPECT_EQ(last, plugin->normalised(kMainLevel));
    window.pump(200);
    EXPECT_EQ(plugin->handler().edits().size(), edits.size()) << "nothing is sent twice";
}

TEST_F(Vst3Editor, StaysOpenInAHostThatEmbedsItAsGtksSocketDoes) {
    ASSERT_TRUE(opened());
    settledShot(window);
    const unsigned long editor = window.editorWindow();
    ASSERT_NE(editor, 0u);
    // What a socket sends its plug's window once it has it: embedded,
    // window activated, focus in. The drag after them comes through the
    // same connection, so the editor has read them when it sees the drag.
    Display* display = window.display();
    const Atom xembed = XInternAtom(display, "_XEMBED", False);
    for (long message : {0L, 1L, 4L}) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = editor;
        event.xclient.message_type = xembed;
        event.xclient.format = 32;
        event.xclient.data.l[1] = message;
        event.xclient.data.l[3] = static_cast<long>(editor);
        XSendEvent(display, editor, False, NoEventMask, &event);
    }
    XSync(display, False);
    plugin->handler().clear();
    ASSERT_TRUE(window.drag(knob("MainLvl").centreX(), knob("MainLvl").centreY(), 0, -30));
    const std::vector<HostEdit> edits = editsUntilEnd();
    ASSERT_FALSE(edits.empty()) << "the editor closed on the host's messages";
    EXPECT_EQ(edits.back().kind, HostEdit::End);
    EXPECT_EQ(window.editorWindow(), editor);
}

TEST_F(Vst3Editor, PatchCommandsReachTheHostAsEditsOfEachChangedValue) {
    ASSERT_TRUE(opened());
    settledShot(window);
    plugin->handler().clear();
    ASSERT_TRUE(window.drag(button("FullRnd").centreX(), button("FullRnd").centreY(), 0, 0, 1));
    window.pumpUntil([&] { return plugin->handler().edits().size() >= 15; }, 5000);
    window.pump(200);
    std::set<v3_param_id> performed;
    for (const HostEdit& e : plugin->handler().edits()) {
        EXPECT_EQ(e.thread, std::this_thread::get_id());
        if (e.kind != HostEdit::Perform) continue;
        performed.insert(e.id);
        EXPECT_EQ(e.value, plugin->normalised(e.id));
    }
    EXPECT_GE(performed.size(), 5u);
}

TEST_F(Vst3Editor, DoesNotOpenWithoutTheHostsRunLoop) {
    std::string error;
    EXPECT_FALSE(window.open(*plugin, &error, 0.0f, false));
    // Nor twice at once.
    vst3host::Vst3EditorHost first;
    ASSERT_TRUE(first.open(*plugin, &error)) << error;
    EXPECT_FALSE(window.open(*plugin, &error));
    first.close();
    EXPECT_TRUE(opened());
}

// Closed mid-drag, with the controller's own run loop ticking as well as the
// view's: the gesture ends before removed() returns, once, and nothing of
// the editor's reaches the host afterwards.
TEST_F(Vst3Editor, ClosedMidDragTheGestureEndsOnceBeforeTheViewIsGone) {
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(opened());
        settledShot(window);
        plugin->handler().clear();
        ASSERT_TRUE(window.drag(420, 55, 0, -10 - 10 * round, 4, false));
        window.pumpUntil(
            [&] {
                plugin->runLoop().fire();
                for (const HostEdit& e : plugin->handler().edits())
                    if (e.kind == HostEdit::Perform) return true;
                return false;
            },
            5000);
        window.close();
        const std::vector<HostEdit> edits = plugin->handler().edits();
        int begins = 0, ends = 0;
        for (const HostEdit& e : edits) {
            begins += e.kind == HostEdit::Begin;
            ends += e.kind == HostEdit::End;
        }
        EXPECT_EQ(begins, 1) << round;
        EXPECT_EQ(ends, 1) << round;
        ASSERT_FALSE(edits.empty());
        EXPECT_EQ(edits.back().kind, HostEdit::End) << round;
        for (int i = 0; i < 5; ++i) plugin->runLoop().fire();
        EXPECT_EQ(plugin->handler().edits().size(), edits.size()) << round;
    }
}

// A parent that is no window is refused by attached(), and the view still
// opens in a real one afterwards.
TEST_F(Vst3Editor, RefusesAParentThatIsNoWindow) {
    Display* display = window.display();
    ASSERT_TRUE(display);
    const Window gone =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, gone);
    XSync(display, False);
    std::string error;
    for (const unsigned long parent : {1ul, 0xdeadbeeful, static_cast<unsigned long>(gone)}) {
        EXPECT_FALSE(window.open(*plugin, &error, 0.0f, true, parent)) << parent;
        EXPECT_NE(error.find("did not attach"), std::string::npos) << error;
    }
    EXPECT_TRUE(opened());
}

#endif
