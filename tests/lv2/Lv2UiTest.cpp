// The X11 UI as an LV2 host embeds it through suil: drawn in the host's
// window like the VST editor, edits reaching the host as port writes inside
// ui:touch gestures, host changes reaching the editor and not coming back.

#include "Lv2TestSupport.h"
#include "editor/SkinPlaces.h"

#include "framework/KPresetLibrary.h"
#include "lv2/Lv2ControlPorts.h"
#include "synth/Murlan.h"

#include "tools/lv2host/Lv2UiHost.h"
#include "tools/plughost/EditorHost.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <map>
#include <set>

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_PLUGIN)

using EditorTest::button;
using EditorTest::knob;
using lv2host::UiMessage;
using plughost::EditorImage;

namespace {

constexpr std::uint32_t kMainLevel = 22;
// The last-resort bound of every wait here. A wait that is met returns at
// its message or frame; the bound only has to be one that a loaded two-core
// machine, drawing in software, meets.
constexpr int kPatienceMs = 60000;

class Lv2Ui : public lv2test::Lv2Fixture {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        Lv2Fixture::SetUp();
        std::string error;
        ASSERT_TRUE(window.open(world, plugin, &error, 1.0f)) << error;
        ASSERT_TRUE(window.pumpUntil([&] { return settled(shot); }, kPatienceMs)) << "no picture";
    }
    void TearDown() override { window.close(); }

    // True once two screenshots a moment apart agree and show something.
    static bool settled(const EditorImage& first, const EditorImage& second) {
        return !first.empty() &&
               second.countDifferences(first, 0, 0, second.width(), second.height()) == 0 &&
               second.countNear({0, 0, 0}, 8, 0, 0, second.width(), second.height()) <
                   second.width() * second.height() / 2;
    }
    bool settled(EditorImage& image) {
        EditorImage first;
        if (!window.screenshot(first, false)) return false;
        window.pump(80);
        return window.screenshot(image, false) && settled(first, image);
    }
    EditorImage settledShot() {
        EditorImage image;
        window.pumpUntil([&] { return settled(image); }, kPatienceMs);
        return image;
    }
    std::vector<UiMessage> messagesUntilTouchEnd() {
        window.pumpUntil(
            [&] {
                const auto m = window.messages();
                return !m.empty() && m.back().kind == UiMessage::TouchEnd;
            },
            kPatienceMs);
        return window.messages();
    }

    lv2host::Lv2UiHost window;
    EditorImage shot;
};

}  // namespace

TEST_F(Lv2Ui, EmbedsInTheParentAtItsSizeAndDrawsTheInstrumentPageAsTheVstEditorDoes) {
    EXPECT_EQ(window.width(), 540);
    EXPECT_EQ(window.height(), 395);
    EXPECT_NE(window.widget(), 0u);
    EXPECT_EQ(window.widget(), window.editorWindow());
    EXPECT_TRUE(window.hasIdleInterface());

    auto vst = loadVst();
    plughost::EditorHost vstWindow;
    std::string error;
    ASSERT_TRUE(vstWindow.open(*vst, &error)) << error;
    EditorImage vstShot, previous;
    for (int i = 0; i < 100; ++i, previous = vstShot) {
        vstWindow.pump(80);
        if (vstWindow.screenshot(vstShot) && settled(previous, vstShot)) break;
    }
    vstWindow.close();
    ASSERT_EQ(shot.width(), vstShot.width());
    EXPECT_EQ(shot.countDifferences(vstShot, 0, 0, shot.width(), shot.height()), 0);
}

TEST_F(Lv2Ui, AKnobDragReachesTheHostAsPortWritesInsideOneGesture) {
    window.clearMessages();
    ASSERT_TRUE(window.drag(knob("MainLvl").centreX(), knob("MainLvl").centreY(), 0, -30));
    const std::vector<UiMessage> messages = messagesUntilTouchEnd();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages.front().kind, UiMessage::TouchBegin);
    EXPECT_EQ(messages.back().kind, UiMessage::TouchEnd);
    float last = -12.5f;  // the default
    int writes = 0;
    for (const UiMessage& m : messages) {
        EXPECT_EQ(m.port, kMainLevel);
        if (m.kind != UiMessage::Write) continue;
        ++writes;
        EXPECT_GE(m.value, last) << "dragging up only raises the level";
        last = m.value;
    }
    EXPECT_GE(writes, 1);
    EXPECT_GT(last, -12.0f);
    EXPECT_LE(last, 0.0f);
}

// A host that lets the user resize its window tells the UI the new size:
// the editor takes the largest size of its aspect within it, draws and reads
// the mouse there, asks the host for that size, and a UI opened again in
// the same session (the plug-in still running) comes back at it.
TEST_F(Lv2Ui, AResizedHostWindowGetsTheEditorAtTheLargestSizeWithinIt) {
    const auto running = instantiate();
    ASSERT_TRUE(running);
    ASSERT_TRUE(window.userResize(900, 900));
    EXPECT_TRUE(window.pumpUntil(
        [&] {
            EditorImage editor;
            return window.width() == 900 && window.height() == 658 &&
                   window.screenshot(editor, false) && editor.width() == 900 &&
                   editor.height() == 658;
        },
        kPatienceMs))
        << window.width() << "x" << window.height();
    settledShot();
    window.clearMessages();
    ASSERT_TRUE(window.drag(700, 92, 0, -50));  // Main Level knob at (400, 35), 40 x 40
    const std::vector<UiMessage> messages = messagesUntilTouchEnd();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages.front().port, kMainLevel);

    window.close();
    std::string error;
    ASSERT_TRUE(window.open(world, plugin, &error, 1.0f)) << error;
    EXPECT_EQ(window.width(), 900);
    EXPECT_EQ(window.height(), 658);
    ASSERT_TRUE(window.userResize(540, 395));  // as the other tests expect it
}

TEST_F(Lv2Ui, HostChangesReachTheEditorAndAreNotSentBack) {
    const EditorImage before = settledShot();
    window.clearMessages();
    window.portEvent(kMainLevel, -3.0f);
    window.portEvent(0, 0.0f);  // unchanged: Detune1's default
    window.pumpUntil(
        [&] {
            EditorImage now;
            return window.screenshot(now, false) &&
                   now.countDifferences(before, 390, 80, 60, 15) > 10;
        },
        kPatienceMs);
    const EditorImage after = settledShot();
    EXPECT_GT(after.countDifferences(before, 390, 80, 60, 15), 10);  // Main Level read-out
    EXPECT_EQ(after.countDifferences(before, 120, 175, 60, 15), 0);  // Detune1 read-out
    window.pump(200);
    EXPECT_TRUE(window.messages().empty());
}

TEST_F(Lv2Ui, PatchCommandsReachTheHostAsPortWrites) {
    window.clearMessages();
    ASSERT_TRUE(window.drag(button("FullRnd").centreX(), button("FullRnd").centreY(), 0, 0, 1));
    window.pumpUntil([&] { return window.messages().size() >= 5; }, kPatienceMs);
    window.pump(200);
    std::set<std::uint32_t> ports;
    for (const UiMessage& m : window.messages())
        if (m.kind == UiMessage::Write) ports.insert(m.port);
    EXPECT_GE(ports.size(), 5u);
}

TEST_F(Lv2Ui, ASoundLoadedOnTheSoundsPageReachesTheHostAsPortWritesInsideGestures) {
    // What the second sound of the first category that has two changes on
    // the defaults.
    auto quiet = [](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return opcode == audioMasterVersion ? 2400 : 0;
    };
    Murlan defaults(quiet), loaded(quiet);
    const KAMO::KPresetLibrary& library = loaded.soundLibrary();
    int category = 0, sound = -1;
    for (; sound < 0 && category < static_cast<int>(library.categories().size()); ++category) {
        int seen = 0;
        for (std::size_t s = 0; s < library.sounds().size() && sound < 0; ++s)
            if (library.sounds()[s].category == library.categories()[category] && ++seen == 2)
                sound = static_cast<int>(s);
    }
    --category;
    ASSERT_GE(sound, 0);
    ASSERT_TRUE(loaded.loadLibrarySound(sound));
    const KAMO::Lv2ControlPorts ports(loaded);
    std::map<std::uint32_t, float> expected;
    for (int i = 0; i < loaded.parameterCount(); ++i)
        if (ports.portFromEffect(loaded, i) != ports.portFromEffect(defaults, i))
            expected[static_cast<std::uint32_t>(ports.portOf(i))] = ports.portFromEffect(loaded, i);
    ASSERT_FALSE(expected.empty());

    ASSERT_TRUE(window.drag(EditorTest::tab(3).centreX(), EditorTest::tab(3).centreY(), 0, 0, 1));
    settledShot();
    // The list's rows are 22 high from 8 inside its top; the categories are
    // a column 150 wide from 8 inside its left, the sounds 12 to its right.
    const EditorTest::SkinPlace list = EditorTest::soundList();
    ASSERT_TRUE(window.drag(list.x + 30, list.y + 8 + 22 * category + 10, 0, 0, 1));
    settledShot();
    window.clearMessages();
    const int sounds = list.x + 8 + 150 + 12;
    ASSERT_TRUE(window.drag(sounds + 30, list.y + 8 + 22 + 10, 0, 0, 1));  // the second sound
    window.pumpUntil(
        [&] {
            int ends = 0;
            for (const UiMessage& m : window.messages()) ends += m.kind == UiMessage::TouchEnd;
            return ends == static_cast<int>(expected.size());
        },
        kPatienceMs);
    const std::vector<UiMessage> messages = window.messages();
    std::map<std::uint32_t, float> written;
    std::uint32_t open = ~0u;
    for (const UiMessage& m : messages) {
        if (m.kind == UiMessage::TouchBegin) {
            EXPECT_EQ(open, ~0u);
            open = m.port;
        } else {
            EXPECT_EQ(m.port, open) << "outside its gesture";
            if (m.kind == UiMessage::Write) written[m.port] = m.value;
            if (m.kind == UiMessage::TouchEnd) open = ~0u;
        }
    }
    EXPECT_EQ(open, ~0u);
    EXPECT_EQ(written, expected);
}

#endif
