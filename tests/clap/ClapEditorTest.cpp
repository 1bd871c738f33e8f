// The editor as a CLAP gui in a host's window: drawn as the VST 2.4 editor
// at the host's scale or at a size the user drags it to, ticked by the
// host's timer, and its edits reaching the host as one gesture of parameter
// events, from the audio thread while the host processes and from a flush
// while it does not, with every call to the host on a thread the headers
// allow for it.

#include "ClapTestSupport.h"
#include "editor/SkinPlaces.h"

#include "tools/claphost/ClapEditorHost.h"
#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/EditorHost.h"

#include <atomic>
#include <thread>

#if defined(MURLAN_CLAP_BINARY) && defined(MURLAN_PLUGIN)

using claphost::OutEvent;
using EditorTest::knob;
using plughost::EditorImage;

namespace {

class ClapEditor : public facetest::EditorFixture<claptest::ClapFixture, claphost::ClapInstance,
                                                  claphost::ClapEditorHost> {
protected:
    // One gesture on Main Level, values rising to what the plug-in holds.
    void expectOneGesture(const std::vector<OutEvent>& events) {
        ASSERT_GE(events.size(), 3u);
        EXPECT_EQ(events.front().type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
        EXPECT_EQ(events.back().type, CLAP_EVENT_PARAM_GESTURE_END);
        double last = -1.0;
        int values = 0;
        for (const OutEvent& e : events) {
            EXPECT_EQ(e.id, kMainLevel);
            if (e.type != CLAP_EVENT_PARAM_VALUE) continue;
            ++values;
            EXPECT_GE(e.value, last) << "dragging up only raises the level";
            last = e.value;
        }
        EXPECT_GE(values, 1);
        EXPECT_NEAR(last, plugin->value(kMainLevel), 1e-6);
    }
};

}  // namespace

TEST_F(ClapEditor, DrawsAsTheVst24EditorAtTheHostsScaleOrTheUsersSizeTickedByTheTimer) {
    ASSERT_TRUE(opened());
    EXPECT_EQ(window.width(), 540);
    EXPECT_EQ(window.height(), 395);
    EXPECT_EQ(plugin->timerCount(), 1);
    expectDrawnAsTheVst24Editor(0.0f);

    // The user drags the window's corner: the gui answers the nearest size
    // that keeps its aspect, draws at it in place as it would have opened at
    // it, and the next gui of this instance opens at it.
    const clap_plugin_gui_t* gui = plugin->gui();
    const clap_plugin_t* p = plugin->plugin();
    EXPECT_TRUE(gui->can_resize(p));
    clap_gui_resize_hints_t hints{};
    ASSERT_TRUE(gui->get_resize_hints(p, &hints));
    EXPECT_TRUE(hints.can_resize_horizontally && hints.can_resize_vertically);
    EXPECT_TRUE(hints.preserve_aspect_ratio);
    EXPECT_EQ(hints.aspect_ratio_width * 395, hints.aspect_ratio_height * 540);
    const struct {
        std::uint32_t width, height, wantWidth, wantHeight;
    } asks[] = {{700, 700, 790, 578}, {5000, 100, 2160, 1580}, {10, 10, 540, 395}};
    for (const auto& a : asks) {
        std::uint32_t w = a.width, h = a.height;
        EXPECT_TRUE(gui->adjust_size(p, &w, &h));
        EXPECT_EQ(w, a.wantWidth) << a.width << "x" << a.height;
        EXPECT_EQ(h, a.wantHeight) << a.width << "x" << a.height;
    }
    const unsigned long editor = window.editorWindow();
    ASSERT_TRUE(window.userResize(1080, 790));
    EXPECT_EQ(window.width(), 1080);
    EXPECT_EQ(window.height(), 790);
    const EditorImage doubled = vstShot(2.0f);
    EXPECT_TRUE(comesToShow(doubled));
    EXPECT_EQ(window.editorWindow(), editor) << "not reopened";
    std::uint32_t w = 0, h = 0;
    EXPECT_TRUE(gui->get_size(p, &w, &h));
    EXPECT_EQ(w, 1080u);
    EXPECT_EQ(h, 790u);
    window.close();
    EXPECT_EQ(plugin->timerCount(), 0);
    ASSERT_TRUE(opened());
    EXPECT_EQ(window.width(), 1080);
    EXPECT_TRUE(comesToShow(doubled));

    ASSERT_TRUE(opened(2.0f));
    EXPECT_EQ(window.width(), 1080);
    EXPECT_EQ(window.height(), 790);
    expectDrawnAsTheVst24Editor(2.0f);
    // One gui at a time, and only embedded in X11.
    EXPECT_FALSE(gui->create(p, CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->is_api_supported(p, CLAP_WINDOW_API_X11, true));
    EXPECT_FALSE(gui->is_api_supported(p, CLAP_WINDOW_API_WAYLAND, false));
    EXPECT_TRUE(plugin->callsOnWrongThreads().empty());
}

TEST_F(ClapEditor, AKnobDragReachesTheHostAsOneGestureFromProcessingOrAFlush) {
    ASSERT_TRUE(opened());
    settledShot(window);

    // While an audio thread processes: the events come out of process.
    ASSERT_TRUE(plugin->activate(claptest::kRate, claptest::kBlock));
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        plughost::AudioBuffers<float> buffers(0, 2, claptest::kBlock);
        const claphost::EventQueue none;
        while (!stop.load()) {
            plugin->process(claptest::kBlock, buffers.outputs(), 2, none);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    ASSERT_TRUE(window.drag(knob("MainLvl").centreX(), knob("MainLvl").centreY(), 0, -30));
    window.pump(300);
    stop.store(true);
    audio.join();
    expectOneGesture(plugin->takeOutEvents());
    plugin->deactivate();

    // Inactive: the plug-in asks the host for a flush, and the flush brings them.
    const int asked = plugin->flushRequests();
    ASSERT_TRUE(window.drag(knob("MainLvl").centreX(), knob("MainLvl").centreY() - 5, 0, -20));
    window.pumpUntil([&] { return plugin->flushRequests() > asked; }, 5000);
    window.pump(200);
    plugin->flush(claphost::EventQueue());
    expectOneGesture(plugin->takeOutEvents());
    plugin->flush(claphost::EventQueue());
    EXPECT_TRUE(plugin->takeOutEvents().empty()) << "nothing is sent twice";

    window.close();
    const std::vector<std::string> wrong = plugin->callsOnWrongThreads();
    EXPECT_TRUE(wrong.empty()) << wrong.front();
}

#endif
