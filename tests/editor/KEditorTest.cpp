#include "EditorTestSupport.h"

#include "editor/KEditor.h"
#include "editor/KEditorWindow.h"

#include <gtest/gtest.h>

#include <thread>

#include <X11/Xlib.h>

namespace {

// Counts the repaints the editor asks of its skin.
struct CountingSkin : KAMO::KEditorSkin {
    explicit CountingSkin(KAMO::KEffect* effect) : KEditorSkin(effect) { setSize(540, 395, 2); }
    void requestRedraw() override { ++redraws; }
    int redraws = 0;
};

std::uint32_t gNow = 0;
std::uint32_t fakeClock() { return gNow; }

class KEditorTest : public ::testing::Test {
protected:
    KEditorTest() {
        EditorTest::haveDisplay();
        editor.reset(new KAMO::KEditor(&effect, skin));
        editor->setClock(&fakeClock);
        gNow = 100000;
    }
    // Advances the clock, then calls refresh (r) or idle (i); answers the repaints so far.
    int after(std::uint32_t ms, char call) {
        gNow += ms;
        call == 'r' ? editor->refresh() : editor->idle();
        return skin->redraws;
    }
    EditorTest::TestMurlan effect;
    CountingSkin* skin = new CountingSkin(&effect);
    std::unique_ptr<KAMO::KEditor> editor;
};

}  // namespace

TEST_F(KEditorTest, RefreshesWithinTheThrottleWaitForTheFirstIdleAfterIt) {
    EXPECT_EQ(after(0, 'r'), 1);
    EXPECT_EQ(after(10, 'r'), 1);
    EXPECT_TRUE(editor->isRefreshPending());
    EXPECT_EQ(after(20, 'i'), 1);  // 30 ms since the repaint
    EXPECT_EQ(after(15, 'i'), 2);
    EXPECT_EQ(after(100, 'i'), 2);  // nothing pending
    gNow = 0xFFFFFFF0u;             // the clock wraps
    EXPECT_EQ(after(0, 'r'), 3);
    EXPECT_EQ(after(20, 'r'), 3);
    EXPECT_EQ(after(25, 'i'), 4);
    skin->setRefreshThrottleMs(0);
    for (int i = 0; i < 5; ++i) after(0, 'r');
    EXPECT_EQ(skin->redraws, 9);
}

TEST_F(KEditorTest, ParameterChangesReachTheEditorOnlyWhileItIsOpen) {
    effect.setEditor(editor.release());
    effect.setParameter(0, 0.3f);
    EXPECT_EQ(skin->redraws, 0);
    effect.editorOpened();
    gNow += 1000;
    effect.setParameter(0, 0.4f);
    EXPECT_EQ(skin->redraws, 1);
}

TEST_F(KEditorTest, RectangleIsTheSkinSize) {
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ((std::vector<int>{rect->top, rect->left, rect->bottom, rect->right}),
              (std::vector<int>{0, 0, 395, 540}));
    EXPECT_FALSE(editor->getRect(nullptr));
}

TEST_F(KEditorTest, OpenOnAParentThatIsNoWindowFailsAndOffUiRefreshesWaitForIdle) {
    EXPECT_FALSE(editor->open(nullptr));
    EXPECT_FALSE(effect.isEditorOpen());
    if (!editor->window()->hasHostDisplay()) GTEST_SKIP() << "no X display";
    // The parent does not exist: the opening says so, and nothing runs.
    EXPECT_FALSE(editor->open(reinterpret_cast<void*>(0x7fffff0)));
    EXPECT_FALSE(editor->isOpen());
    EXPECT_FALSE(effect.isEditorOpen());
    EXPECT_FALSE(editor->window()->isRunning());
    // In a window that exists (the screen's root here).
    const Window root = DefaultRootWindow(editor->window()->hostDisplay());
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(root)));
    EXPECT_TRUE(editor->isOpen());
    // A repaint asked for on another thread (a host's audio thread) waits.
    std::thread([&] { editor->refresh(); }).join();
    EXPECT_EQ(skin->redraws, 0);
    EXPECT_EQ(after(0, 'i'), 1);
    editor->close();
    EXPECT_FALSE(editor->window()->isRunning());
    EXPECT_EQ(editor->window()->windowId(), 0u);
    EXPECT_FALSE(editor->isOpen());
}
