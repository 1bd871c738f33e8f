#include "EditorTestSupport.h"

#include "editor/KEditor.h"
#include "editor/KEditorWindow.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Counts the repaints the editor asks of its skin.
class CountingSkin : public KAMO::KEditorSkin {
public:
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
        skin = new CountingSkin(&effect);
        editor.reset(new KAMO::KEditor(&effect, skin));
        editor->setClock(&fakeClock);
        gNow = 100000;
    }
    EditorTest::TestMurlan effect;
    CountingSkin* skin;
    std::unique_ptr<KAMO::KEditor> editor;
};

} // namespace

TEST_F(KEditorTest, RefreshesWithinTheThrottlePeriodWaitForTheNextIdleAfterIt) {
    editor->refresh();
    EXPECT_EQ(skin->redraws, 1);
    gNow += 10;
    editor->refresh();
    EXPECT_EQ(skin->redraws, 1);
    EXPECT_TRUE(editor->isRefreshPending());
    gNow += 20;
    editor->idle();  // 30 ms after the last repaint: still held back
    EXPECT_EQ(skin->redraws, 1);
    gNow += 15;
    editor->idle();
    EXPECT_EQ(skin->redraws, 2);
    EXPECT_FALSE(editor->isRefreshPending());
    gNow += 100;
    editor->idle();  // nothing pending, nothing posted
    EXPECT_EQ(skin->redraws, 2);
}

TEST_F(KEditorTest, ThrottleSurvivesTheClockWrapping) {
    gNow = 0xFFFFFFF0u;
    editor->refresh();
    EXPECT_EQ(skin->redraws, 1);
    gNow += 20;  // wraps to 4
    editor->refresh();
    EXPECT_EQ(skin->redraws, 1);
    gNow += 25;
    editor->idle();
    EXPECT_EQ(skin->redraws, 2);
}

TEST_F(KEditorTest, ZeroThrottlePostsEveryRefresh) {
    skin->setRefreshThrottleMs(0);
    for (int i = 0; i < 5; ++i) editor->refresh();
    EXPECT_EQ(skin->redraws, 5);
    EXPECT_FALSE(editor->isRefreshPending());
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
    EXPECT_TRUE(editor->getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 395);
    EXPECT_EQ(rect->right, 540);
    EXPECT_FALSE(editor->getRect(nullptr));
    EXPECT_EQ(editor->window()->windowId(), 0u);
    EXPECT_FALSE(editor->isOpen());
}

TEST_F(KEditorTest, CloseWithoutOpenAndOpenOnAMissingParentEndCleanly) {
    editor->close();
    EXPECT_FALSE(editor->isOpen());
    if (editor->window()->hasHostDisplay()) {
        // A parent that does not exist: the thread gives up, close still joins it.
        EXPECT_TRUE(editor->open(reinterpret_cast<void*>(0x7fffff0)));
        editor->close();
        EXPECT_FALSE(editor->window()->isRunning());
        EXPECT_EQ(editor->window()->windowId(), 0u);
    }
    EXPECT_FALSE(editor->open(nullptr));
    EXPECT_FALSE(effect.isEditorOpen());
}

TEST_F(KEditorTest, RefreshFromAnotherThreadThanTheHostsWaitsForTheNextIdle) {
    if (!editor->window()->hasHostDisplay()) GTEST_SKIP() << "no X display";
    // Opened on this thread; the parent does not exist, so no window comes.
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(0x7fffff0)));
    std::thread audio([&] { editor->refresh(); });
    audio.join();
    EXPECT_EQ(skin->redraws, 0);
    EXPECT_TRUE(editor->isRefreshPending());
    editor->idle();
    EXPECT_EQ(skin->redraws, 1);
    editor->close();
}
