// Which thread the host hears the editor on. VST 2.4 hosts keep state per
// thread behind beginEdit, automate and endEdit and expect them on the
// thread that drives the editor (the one calling effEditIdle); the editor
// edits on a thread of its own. The host double records the thread of each
// callback.

#include "PluginEditorRig.h"
#include "SkinPlaces.h"

#include "tools/plughost/EditorHost.h"
#include "tools/plughost/HostDisplay.h"
#include "tools/plughost/PluginHost.h"

#include <thread>

using EditorTest::button;
using EditorTest::knob;
using plughost::EditEvent;
using plughost::EditorHost;
using plughost::EditorImage;

namespace {

class EditorHostThread : public EditorTest::PluginEditorRig {
protected:
    void SetUp() override {
        PluginEditorRig::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        detune = plugin->findParameter("Detune1");
    }

    // Opens and waits for the panel's grey at the centre, idling as a host
    // does only when asked to.
    void open(bool idling) {
        std::string error;
        ASSERT_TRUE(window.open(*plugin, &error)) << error;
        ASSERT_TRUE(until(idling, [&] {
            EditorImage shot;
            return window.screenshot(shot) && shot.width() == 540 &&
                   shot.countNear({0, 0, 0}, 8, 268, 195, 4, 4) == 0;
        })) << "no picture";
    }
    bool until(bool idling, const std::function<bool()>& done) {
        return plughost::idleUntil([&] { idling ? window.idle() : void(); }, done, 10000);
    }
    // Presses the Detune1 knob and moves it up, waiting (without idling)
    // until the stored value has followed.
    void pressAndTurn() {
        const float before = plugin->getParameter(detune);
        window.press(1, knob("Detune1").centreX(), knob("Detune1").centreY());
        window.motion(knob("Detune1").centreX(), knob("Detune1").centreY() - 20);
        ASSERT_TRUE(until(false, [&] { return plugin->getParameter(detune) != before; }));
    }

    int detune = -1;
};

}  // namespace

TEST_F(EditorHostThread, EditsReachTheHostOnItsIdleThreadWholeAndInOrder) {
    plugin->setParameter(detune, 0.3f);
    open(true);
    host.clearEdits();

    // The sound follows at once; the host hears of it at its next idle.
    pressAndTurn();
    EXPECT_TRUE(host.edits().empty());
    window.release(1, knob("Detune1").centreX(), knob("Detune1").centreY() - 20);
    ASSERT_TRUE(until(true, [&] { return count(EditEvent::EndEdit) == 1; }));
    const auto first = host.edits();
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first.front().kind, EditEvent::BeginEdit);
    EXPECT_FLOAT_EQ(first[1].value, 0.3f);
    EXPECT_FLOAT_EQ(first[first.size() - 2].value, plugin->getParameter(detune));

    window.drag(knob("Detune1").centreX(), knob("Detune1").centreY(), 0, 30);
    window.click(knob("Detune1").centreX(), knob("Detune1").centreY(),
                 EditorHost::kControl);  // the default
    ASSERT_TRUE(until(true, [&] { return count(EditEvent::EndEdit) == 3; }));
    // A command: every value it changed, outside any gesture.
    const std::size_t beforeCommand = host.edits().size();
    window.click(button("FullRnd").centreX(), button("FullRnd").centreY());
    ASSERT_TRUE(until(true, [&] { return host.edits().size() > beforeCommand + 5; }));
    // Closing mid-drag: the end arrives before the close returns.
    pressAndTurn();
    window.close();
    EXPECT_EQ(count(EditEvent::EndEdit), 4);
    // The parent going mid-drag.
    open(true);
    pressAndTurn();
    window.destroyParent();
    ASSERT_TRUE(until(true, [&] { return count(EditEvent::EndEdit) == 5; }));
    window.close();

    const auto edits = host.edits();
    int open = -1, begins = 0;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const EditEvent& e = edits[i];
        EXPECT_EQ(e.thread, std::this_thread::get_id()) << "callback " << i;
        if (e.kind == EditEvent::BeginEdit) {
            EXPECT_EQ(open, -1) << "callback " << i;
            open = e.index, ++begins;
        } else if (open != -1) {
            EXPECT_EQ(e.index, open) << "callback " << i;
        }
        if (e.kind == EditEvent::EndEdit) {
            EXPECT_NE(open, -1) << "callback " << i;
            open = -1;
        }
    }
    EXPECT_EQ(open, -1);
    EXPECT_EQ(begins, 5);
}

TEST_F(EditorHostThread, AHostThatNeverIdlesHearsFromTheEditorThreadAtOnce) {
    open(false);
    host.clearEdits();
    pressAndTurn();
    ASSERT_TRUE(until(false, [&] { return count(EditEvent::Automate) >= 2; }));
    EXPECT_EQ(host.edits().front().kind, EditEvent::BeginEdit);
    EXPECT_NE(host.edits().front().thread, std::this_thread::get_id());
    window.release(1, knob("Detune1").centreX(), knob("Detune1").centreY() - 20);
    ASSERT_TRUE(until(false, [&] { return count(EditEvent::EndEdit) == 1; }));
}

TEST_F(EditorHostThread, AHostThatClosesTheEffectMidDragWithoutClosingTheEditorHearsTheEnd) {
    open(true);
    host.clearEdits();
    pressAndTurn();
    window.forgetPlugin();
    plugin.reset();  // effClose, the editor still open and the knob held
    const auto edits = host.edits();
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().kind, EditEvent::BeginEdit);
    EXPECT_EQ(edits.back().kind, EditEvent::EndEdit);
    for (const EditEvent& e : edits) EXPECT_EQ(e.thread, std::this_thread::get_id());
    EXPECT_EQ(count(EditEvent::BeginEdit), 1);
    EXPECT_EQ(count(EditEvent::EndEdit), 1);
}
