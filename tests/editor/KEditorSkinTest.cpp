#include "EditorTestSupport.h"

#include "editor/KCondition.h"
#include "editor/KEditorCheck.h"
#include "editor/controls/KEditorControl.h"

#include <gtest/gtest.h>

using EditorTest::Op;
using KAMO::KEditorControl;

namespace {

struct Switch : KAMO::KEditorCheck {
    bool evaluate() const override { return on; }
    bool on = true;
};

// Paints one rectangle; logs the mouse calls it receives.
class Probe : public KEditorControl {
public:
    Probe(const KAMO::ControlSetup& setup, char id, unsigned handlers)
        : KEditorControl(setup), id(id) {
        addHandlers(handlers);
    }
    void draw(KAMO::KCanvas& canvas) override {
        const unsigned char grey[4] = {9, 9, 9, 255};
        canvas.fillRect(0, 0, width(), height(), grey);
        ++draws;
    }
    bool leftDown(bool, bool, int x, int y) override { return log('D', x, y), takes; }
    bool leftUp(bool, bool, int x, int y) override { return log('U', x, y), releases; }
    void mouseMove(bool, int x, int y) override { log('M', x, y); }
    int cursorAt(int, int) override { return cursor; }
    void cancelCapture() override { log('C', 0, 0); }
    void log(char what, int x, int y) {
        calls += std::string{id, what} + std::to_string(x) + "," + std::to_string(y) + " ";
    }

    char id;
    std::string calls;
    int draws = 0;
    bool takes = true, releases = true;
    int cursor = 2;
};

constexpr unsigned kMouse = KEditorControl::kLeftDown | KEditorControl::kLeftUp |
                            KEditorControl::kMouseMove | KEditorControl::kCursorAt |
                            KEditorControl::kCancelCapture;

class SkinTest : public ::testing::Test {
protected:
    void build(const std::string& background) {
        skin = EditorTest::buildSkin(
            &effect,
            "Init 540 395 2\nAddResource img PngResource Murlan.png 540 395 2\n" + background);
    }
    Probe* add(char id, int page, int x, int y, int w, int h, unsigned handlers = kMouse,
               const KAMO::KConditionSet* conditions = nullptr) {
        KAMO::ControlSetup setup{x, y, w, h, page, conditions, &effect, skin.get()};
        auto* probe = new Probe(setup, id, handlers);
        skin->controls().add(probe);
        return probe;
    }
    std::string calls() {
        std::string all;
        for (int i = 0; i < skin->controls().count(); ++i) {
            auto* probe = static_cast<Probe*>(skin->controls().get(i));
            all += probe->calls;
            probe->calls.clear();
        }
        return all;
    }
    // Draws a pass afresh; answers the page-0, page-1 and page-2 draw counts.
    std::vector<int> pass() {
        canvas.ops.clear();
        skin->draw(canvas);
        std::vector<int> draws;
        for (int i = 0; i < skin->controls().count(); ++i)
            draws.push_back(static_cast<Probe*>(skin->controls().get(i))->draws);
        return draws;
    }

    EditorTest::TestMurlan effect;
    std::unique_ptr<KAMO::KEditorSkin> skin;
    EditorTest::RecordingCanvas canvas;
};

}  // namespace

TEST_F(SkinTest, FirstPassPaintsBlackTheBackgroundAndEachShownControlThenNothingMore) {
    build("BackgroundMap img\n");
    add('a', 0, 10, 10, 20, 20);
    add('b', 1, 530, 390, 20, 20);
    add('c', 2, 70, 10, 20, 20);
    skin->attachCanvas(canvas);
    EXPECT_EQ(pass(), (std::vector<int>{1, 1, 0}));
    ASSERT_EQ(canvas.ops.size(), 4u);
    EXPECT_EQ((std::vector<int>{canvas.ops[0].v[2], canvas.ops[0].v[4]}),
              (std::vector<int>{540, 0}));
    EXPECT_EQ(canvas.ops[1].kind, Op::Image);
    EXPECT_EQ(canvas.ops[1].v[1], 0);  // frame 0
    // Each control is clipped to its rectangle within the canvas.
    EXPECT_EQ((std::vector<int>(canvas.ops[3].clip, canvas.ops[3].clip + 4)),
              (std::vector<int>{530, 390, 10, 5}));
    EXPECT_EQ(canvas.clipWidth(), 540);
    EXPECT_EQ(pass(), (std::vector<int>{1, 1, 0}));
    EXPECT_TRUE(canvas.ops.empty());
}

TEST_F(SkinTest, NewBackgroundEntryRepaintsEverythingTheSameOneOnlyThePagesControls) {
    // A control on every page and one on each of pages 1 and 2, drawn on
    // page 1; then page 2 is shown.
    const auto turnToPage2 = [this](const char* background) {
        build(background);
        add('a', 0, 10, 10, 20, 20);
        add('b', 1, 40, 50, 20, 30);
        add('c', 2, 70, 10, 20, 20);
        skin->attachCanvas(canvas);
        pass();
        skin->setCurrentPage(2);
    };
    turnToPage2("BackgroundMap img\n");
    EXPECT_EQ(pass(), (std::vector<int>{2, 1, 1}));
    ASSERT_EQ(canvas.count(Op::Image), 1);
    EXPECT_EQ(canvas.ofKind(Op::Image)[0].v[1], 540);  // frame 1

    turnToPage2("BackgroundImage 0 img 1\n");
    EXPECT_EQ(pass(), (std::vector<int>{1, 1, 1}));
    // b is erased: black under it, then the background part under it.
    ASSERT_GE(canvas.ops.size(), 3u);
    EXPECT_EQ((std::vector<int>{canvas.ops[0].kind, canvas.ops[0].clip[0], canvas.ops[0].v[2]}),
              (std::vector<int>{Op::Fill, 40, 20}));
    EXPECT_EQ((std::vector<int>(canvas.ops[1].v + 1, canvas.ops[1].v + 7)),
              (std::vector<int>{40, 50, 20, 30, 0, 0}));
}

TEST_F(SkinTest, ControlIsErasedWhileItsConditionFailsAndRepaintedWhenItHolds) {
    build("BackgroundMap img\n");
    auto* check = new Switch;
    skin->checks().add(check);
    KAMO::KConditionSet set;
    set.add(skin->sharedCondition(check, false));
    Probe* probe = add('p', 1, 40, 10, 20, 20, kMouse, &set);
    skin->attachCanvas(canvas);
    pass();
    check->on = false;
    pass();
    EXPECT_EQ(canvas.count(Op::Fill), 1);
    EXPECT_FALSE(probe->isDrawn());
    check->on = true;
    EXPECT_EQ(pass(), (std::vector<int>{2}));
}

TEST_F(SkinTest, SurfaceIsClearedOnceEvenWithoutAnyBackground) {
    build("");
    add('b', 1, 40, 10, 20, 20);
    skin->attachCanvas(canvas);
    pass();
    ASSERT_EQ(canvas.count(Op::Fill), 2);
    EXPECT_EQ(canvas.ofKind(Op::Fill)[0].v[3], 395);
    pass();
    EXPECT_TRUE(canvas.ops.empty());
}

TEST_F(SkinTest, FullRedrawAndANewCanvasRepaintEverything) {
    build("BackgroundMap img\n");
    add('b', 1, 40, 10, 20, 20);
    skin->attachCanvas(canvas);
    pass();
    skin->requestFullRedraw();
    EXPECT_EQ(pass(), (std::vector<int>{2}));
    EXPECT_FALSE(skin->needsFullRedraw());
    skin->detachCanvas(canvas);
    skin->attachCanvas(canvas);
    EXPECT_EQ(pass(), (std::vector<int>{3}));
    EXPECT_EQ(canvas.count(Op::Image), 1);
}

TEST_F(SkinTest, RestoreBackgroundPaintsTheDrawnFrameUnderTheClip) {
    build("BackgroundMap img\n");
    skin->attachCanvas(canvas);
    skin->setCurrentPage(2);
    pass();
    canvas.ops.clear();
    canvas.setClip(100, 50, 60, 15);
    skin->restoreBackground(canvas);
    ASSERT_EQ(canvas.ops.size(), 2u);
    EXPECT_EQ((std::vector<int>(canvas.ops[0].v, canvas.ops[0].v + 5)),
              (std::vector<int>{0, 0, 60, 15, 0}));
    EXPECT_EQ((std::vector<int>(canvas.ops[1].v + 1, canvas.ops[1].v + 7)),
              (std::vector<int>{640, 50, 60, 15, 0, 0}));
}

TEST_F(SkinTest, CapturedControlGetsEverythingUntilItTakesTheRelease) {
    build("");
    Probe* knob = add('k', 1, 100, 100, 40, 40);
    knob->releases = false;
    skin->leftDown(false, false, 110, 120);
    skin->mouseMove(false, 300, 20);
    skin->leftUp(false, false, 300, 20);
    EXPECT_EQ(skin->capturedControl(), 0);
    EXPECT_EQ(skin->cursorKind(0, 0), 2);
    knob->releases = true;
    skin->leftUp(false, false, 300, 20);
    EXPECT_EQ(skin->capturedControl(), -1);
    skin->mouseMove(false, 300, 20);  // nobody there
    EXPECT_EQ(calls(), "kD10,20 kM200,-80 kU200,-80 kU200,-80 ");
    skin->leftDown(false, false, 110, 120);
    skin->cancelCapture();
    EXPECT_EQ(skin->capturedControl(), -1);
    EXPECT_EQ(calls(), "kD10,20 kC0,0 ");
}

TEST_F(SkinTest, CapturedControlNoLongerShownReceivesNothing) {
    build("");
    add('k', 1, 100, 100, 40, 40);
    add('u', 0, 0, 0, 540, 395);
    skin->leftDown(false, false, 110, 120);
    calls();
    skin->setCurrentPage(2);
    skin->mouseMove(false, 110, 120);
    skin->leftUp(false, false, 110, 120);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(skin->cursorKind(110, 120), 1);
}

TEST_F(SkinTest, FirstShownControlUnderThePointerGetsTheEventIfItHandlesIt) {
    build("");
    add('h', 2, 0, 0, 100, 100);
    add('f', 1, 0, 0, 100, 100)->takes = false;
    add('s', 0, 0, 0, 100, 100);
    add('p', 1, 200, 200, 10, 10, 0);  // handles nothing
    skin->leftDown(false, false, 99, 99);
    skin->leftDown(false, false, 100, 50);
    skin->leftDown(false, false, 205, 205);
    skin->rightDown(false, false, 50, 50);
    EXPECT_EQ(calls(), "fD99,99 ");
    EXPECT_EQ(skin->capturedControl(), -1);
    EXPECT_EQ(skin->cursorKind(205, 205), 0);
    EXPECT_EQ(skin->cursorKind(300, 300), 1);
}
