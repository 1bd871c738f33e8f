#include "EditorTestSupport.h"

#include "editor/KCondition.h"
#include "editor/KEditorCheck.h"
#include "editor/KEditorResource.h"
#include "editor/controls/KEditorControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using EditorTest::Op;
using EditorTest::RecordingCanvas;
using KAMO::KEditorControl;

namespace {

// A check the test switches by hand.
class Switch : public KAMO::KEditorCheck {
public:
    bool evaluate() const override { return on; }
    bool on = true;
};

// A control that paints one rectangle and logs every call it receives.
class Probe : public KEditorControl {
public:
    Probe(const KAMO::ControlSetup& setup, const std::string& id, unsigned handlers)
        : KEditorControl(setup), id(id) {
        addHandlers(handlers);
    }
    void draw(KAMO::KCanvas& canvas) override {
        const unsigned char colour[4] = {9, 9, 9, 255};
        canvas.fillRect(0, 0, width(), height(), colour);
        ++draws;
    }
    bool leftDown(bool, bool, int x, int y) override { return log("leftDown", x, y), takes; }
    bool leftUp(bool, bool, int x, int y) override { return log("leftUp", x, y), releases; }
    bool rightDown(bool, bool, int x, int y) override { return log("rightDown", x, y), takes; }
    bool rightUp(bool, bool, int x, int y) override { return log("rightUp", x, y), releases; }
    void mouseMove(bool, int x, int y) override { log("move", x, y); }
    int cursorAt(int, int) override { return cursor; }
    void cancelCapture() override { log("cancel", 0, 0); }

    void log(const char* what, int x, int y) {
        calls.push_back(id + ":" + what + "(" + std::to_string(x) + "," + std::to_string(y) + ")");
    }

    std::string id;
    std::vector<std::string> calls;
    int draws = 0;
    bool takes = true;
    bool releases = true;
    int cursor = 2;
};

constexpr unsigned kAllHandlers = KEditorControl::kLeftDown | KEditorControl::kLeftUp |
                                  KEditorControl::kMouseMove | KEditorControl::kCursorAt |
                                  KEditorControl::kCancelCapture;

class SkinTest : public ::testing::Test {
protected:
    // Two pages; `background` decides how the pages are painted.
    void build(const std::string& background) {
        skin = EditorTest::buildSkin(&effect,
                                     "Init 540 395 2\n"
                                     "AddResource img PngResource Murlan.png 540 395 2\n" +
                                         background);
        ASSERT_NE(skin, nullptr);
    }

    Probe* add(const std::string& id, int page, int x, int y, int w, int h,
               unsigned handlers = kAllHandlers, const KAMO::KConditionSet* conditions = nullptr) {
        KAMO::ControlSetup setup;
        setup.x = x;
        setup.y = y;
        setup.width = w;
        setup.height = h;
        setup.page = page;
        setup.conditions = conditions;
        setup.effect = &effect;
        setup.skin = skin.get();
        Probe* probe = new Probe(setup, id, handlers);
        skin->controls().add(probe);
        return probe;
    }

    std::vector<std::string> calls() {
        std::vector<std::string> all;
        for (int i = 0; i < skin->controls().count(); ++i) {
            auto* probe = static_cast<Probe*>(skin->controls().get(i));
            all.insert(all.end(), probe->calls.begin(), probe->calls.end());
            probe->calls.clear();
        }
        return all;
    }

    EditorTest::TestMurlan effect;
    std::unique_ptr<KAMO::KEditorSkin> skin;
    RecordingCanvas canvas;
};

using Calls = std::vector<std::string>;

} // namespace

// --- Draw pass -------------------------------------------------------------------------

TEST_F(SkinTest, FirstPassPaintsBlackThenTheBackgroundThenEveryShownControl) {
    build("BackgroundMap img\n");
    Probe* all = add("all", 0, 10, 10, 20, 20);
    Probe* one = add("one", 1, 40, 10, 20, 20);
    Probe* two = add("two", 2, 70, 10, 20, 20);
    skin->attachCanvas(canvas);
    skin->draw(canvas);
    ASSERT_GE(canvas.ops.size(), 4u);
    EXPECT_EQ(canvas.ops[0].kind, Op::CreateImage);
    EXPECT_EQ(canvas.ops[1].kind, Op::Fill);
    EXPECT_EQ(canvas.ops[1].v[2], 540);
    EXPECT_EQ(canvas.ops[1].v[4], 0);  // black
    EXPECT_EQ(canvas.ops[2].kind, Op::Image);
    EXPECT_EQ(canvas.ops[2].v[1], 0);  // frame 0
    EXPECT_EQ(all->draws, 1);
    EXPECT_EQ(one->draws, 1);
    EXPECT_EQ(two->draws, 0);

    // Nothing changed: nothing is drawn.
    canvas.clear();
    skin->draw(canvas);
    EXPECT_TRUE(canvas.ops.empty());
}

TEST_F(SkinTest, ControlsDrawClippedToTheirRectangleWithinTheCanvas) {
    build("BackgroundMap img\n");
    add("edge", 1, 530, 390, 20, 20);
    skin->attachCanvas(canvas);
    skin->draw(canvas);
    const auto fills = canvas.ofKind(Op::Fill);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[1].clip[0], 530);
    EXPECT_EQ(fills[1].clip[1], 390);
    EXPECT_EQ(fills[1].clip[2], 10);
    EXPECT_EQ(fills[1].clip[3], 5);
    EXPECT_EQ(canvas.clipWidth(), 540);  // reset after the control
}

TEST_F(SkinTest, PageWithAnotherBackgroundEntryRepaintsEverything) {
    build("BackgroundMap img\n");
    Probe* all = add("all", 0, 10, 10, 20, 20);
    Probe* one = add("one", 1, 40, 10, 20, 20);
    Probe* two = add("two", 2, 70, 10, 20, 20);
    skin->attachCanvas(canvas);
    skin->draw(canvas);
    canvas.clear();
    skin->setCurrentPage(2);
    skin->draw(canvas);
    const auto images = canvas.ofKind(Op::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].v[1], 540);  // frame 1
    EXPECT_EQ(all->draws, 2);
    EXPECT_EQ(one->draws, 1);
    EXPECT_EQ(two->draws, 1);
    // The page-1 control was painted over by the background, so it is not erased.
    EXPECT_EQ(canvas.count(Op::Fill), 3);
}

TEST_F(SkinTest, PageWithTheSameBackgroundEntryErasesAndPaintsOnlyTheControlsOfBothPages) {
    build("BackgroundImage 0 img 1\n");
    Probe* all = add("all", 0, 10, 10, 20, 20);
    Probe* one = add("one", 1, 40, 50, 20, 30);
    Probe* two = add("two", 2, 70, 10, 20, 20);
    skin->attachCanvas(canvas);
    skin->draw(canvas);
    canvas.clear();
    skin->setCurrentPage(2);
    skin->draw(canvas);
    EXPECT_EQ(all->draws, 1);
    EXPECT_EQ(one->draws, 1);
    EXPECT_EQ(two->draws, 1);
    // "one" is erased: black under it, then the background part under it.
    ASSERT_GE(canvas.ops.size(), 3u);
    EXPECT_EQ(canvas.ops[0].kind, Op::Fill);
    EXPECT_EQ(canvas.ops[0].clip[0], 40);
    EXPECT_EQ(canvas.ops[0].v[2], 20);
    EXPECT_EQ(canvas.ops[0].v[3], 30);
    EXPECT_EQ(canvas.ops[1].kind, Op::Image);
    EXPECT_EQ(canvas.ops[1].v[1], 40);
    EXPECT_EQ(canvas.ops[1].v[2], 50);
    EXPECT_EQ(canvas.ops[1].v[3], 20);
    EXPECT_EQ(canvas.ops[1].v[4], 30);
    EXPECT_EQ(canvas.ops[1].v[5], 0);
}

TEST_F(SkinTest, ControlWhoseConditionTurnsFalseIsErasedAndRepaintedWhenItHoldsAgain) {
    build("BackgroundMap img\n");
    auto* check = new Switch;
    skin->checks().add(check);
    KAMO::KConditionSet set;
    set.add(skin->sharedCondition(check, false));
    Probe* probe = add("cond", 1, 40, 10, 20, 20, kAllHandlers, &set);
    skin->attachCanvas(canvas);
    skin->draw(canvas);
    EXPECT_EQ(probe->draws, 1);
    check->on = false;
    canvas.clear();
    skin->draw(canvas);
    EXPECT_EQ(canvas.count(Op::Fill), 1);  // the erase
    EXPECT_FALSE(probe->isDrawn());
    check->on = true;
    skin->draw(canvas);
    EXPECT_EQ(probe->draws, 2);
}

TEST_F(SkinTest, SkinWithoutAnyBackgroundStillClearsTheSurfaceOnce) {
    build("");
    add("one", 1, 40, 10, 20, 20);
    skin->attachCanvas(canvas);
    skin->draw(canvas);
    const auto fills = canvas.ofKind(Op::Fill);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].v[2], 540);
    EXPECT_EQ(fills[0].v[3], 395);
    canvas.clear();
    skin->draw(canvas);
    EXPECT_TRUE(canvas.ops.empty());
}

TEST_F(SkinTest, FullRedrawAndANewCanvasRepaintTheBackgroundAndEveryControl) {
    build("BackgroundMap img\n");
    Probe* one = add("one", 1, 40, 10, 20, 20);
    skin->attachCanvas(canvas);
    skin->draw(canvas);
    skin->requestFullRedraw();
    EXPECT_TRUE(skin->needsFullRedraw());
    skin->draw(canvas);
    EXPECT_FALSE(skin->needsFullRedraw());
    EXPECT_EQ(one->draws, 2);
    skin->detachCanvas(canvas);
    RecordingCanvas fresh;
    skin->attachCanvas(fresh);
    skin->draw(fresh);
    EXPECT_EQ(fresh.count(Op::Image), 1);
    EXPECT_EQ(one->draws, 3);
}

TEST_F(SkinTest, RestoreBackgroundPaintsThePartOfTheDrawnFrameUnderTheClip) {
    build("BackgroundMap img\n");
    skin->attachCanvas(canvas);
    skin->setCurrentPage(2);
    skin->draw(canvas);
    canvas.clear();
    canvas.setClip(100, 50, 60, 15);
    skin->restoreBackground(canvas);
    ASSERT_EQ(canvas.ops.size(), 2u);
    EXPECT_EQ(canvas.ops[0].kind, Op::Fill);
    EXPECT_EQ(canvas.ops[0].v[0], 0);
    EXPECT_EQ(canvas.ops[0].v[2], 60);
    EXPECT_EQ(canvas.ops[1].kind, Op::Image);
    EXPECT_EQ(canvas.ops[1].v[1], 640);
    EXPECT_EQ(canvas.ops[1].v[2], 50);
    EXPECT_EQ(canvas.ops[1].v[3], 60);
    EXPECT_EQ(canvas.ops[1].v[4], 15);
}

// --- Mouse -----------------------------------------------------------------------------------

TEST_F(SkinTest, PressThatIsTakenCapturesTheMouseUntilTheReleaseIsTaken) {
    build("");
    add("knob", 1, 100, 100, 40, 40);
    skin->leftDown(false, false, 110, 120);
    EXPECT_EQ(skin->capturedControl(), 0);
    skin->mouseMove(false, 300, 20);
    skin->leftUp(false, false, 300, 20);
    EXPECT_EQ(skin->capturedControl(), -1);
    EXPECT_EQ(calls(), (Calls{"knob:leftDown(10,20)", "knob:move(200,-80)", "knob:leftUp(200,-80)"}));
    // Without capture, motion outside the control goes nowhere.
    skin->mouseMove(false, 300, 20);
    EXPECT_TRUE(calls().empty());
}

TEST_F(SkinTest, ReleaseThatIsNotTakenKeepsTheCapture) {
    build("");
    Probe* knob = add("knob", 1, 100, 100, 40, 40);
    knob->releases = false;
    skin->leftDown(false, false, 110, 120);
    skin->leftUp(false, false, 110, 120);
    EXPECT_EQ(skin->capturedControl(), 0);
    skin->cancelCapture();
    EXPECT_EQ(skin->capturedControl(), -1);
    EXPECT_EQ(calls().back(), "knob:cancel(0,0)");
}

TEST_F(SkinTest, CapturedControlThatIsNoLongerShownReceivesNothing) {
    build("");
    add("knob", 1, 100, 100, 40, 40);
    add("under", 0, 0, 0, 540, 395);
    skin->leftDown(false, false, 110, 120);
    calls();
    skin->setCurrentPage(2);
    skin->mouseMove(false, 110, 120);
    skin->leftUp(false, false, 110, 120);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(skin->cursorKind(110, 120), 1);
}

TEST_F(SkinTest, FirstShownControlUnderThePointerGetsTheEvent) {
    build("");
    add("hidden", 2, 0, 0, 100, 100);
    add("first", 1, 0, 0, 100, 100);
    add("second", 0, 0, 0, 100, 100);
    Probe* first = static_cast<Probe*>(skin->controls().get(1));
    first->takes = false;
    skin->leftDown(false, false, 99, 99);
    skin->leftDown(false, false, 100, 50);
    EXPECT_EQ(calls(), (Calls{"first:leftDown(99,99)"}));
    EXPECT_EQ(skin->capturedControl(), -1);
}

TEST_F(SkinTest, HandlersAControlDoesNotImplementAreNeverCalled) {
    build("");
    Probe* plain = add("plain", 1, 0, 0, 100, 100, 0);
    skin->leftDown(false, false, 10, 10);
    skin->rightDown(false, false, 10, 10);
    skin->rightUp(false, false, 10, 10);
    skin->mouseMove(false, 10, 10);
    EXPECT_TRUE(plain->calls.empty());
    EXPECT_EQ(skin->capturedControl(), -1);
    EXPECT_EQ(skin->cursorKind(10, 10), 0);
    EXPECT_EQ(skin->cursorKind(200, 200), 1);
    plain->cursor = 3;
    Probe* beam = add("beam", 1, 200, 200, 10, 10, KEditorControl::kCursorAt);
    beam->cursor = 3;
    EXPECT_EQ(skin->cursorKind(205, 205), 3);
}

TEST_F(SkinTest, CursorIsAskedOfTheCapturedControlWhereverThePointerIs) {
    build("");
    add("knob", 1, 100, 100, 40, 40);
    Probe* other = add("other", 1, 0, 0, 50, 50);
    other->cursor = 3;
    EXPECT_EQ(skin->cursorKind(10, 10), 3);
    skin->leftDown(false, false, 110, 110);
    EXPECT_EQ(skin->cursorKind(10, 10), 2);
}
