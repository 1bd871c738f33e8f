// The slider: knob placement, grabbing only on the knob, drag arithmetic.

#include "ControlTestRig.h"

#include "editor/controls/KSlide.h"

#include <gtest/gtest.h>

using namespace KAMO;
using namespace ControlTest;

namespace {
// A 20 x 100 slider with a 20 x 10 knob: 90 pixels of travel.
struct SlideRig : Rig {
    KImageResource* knob = image(20, 10, 1);
    KSlide slide{setup(0, 0, 20, 100), index("Detune1"), knob, grey, 2, 2, 16, 6};
};
}  // namespace

TEST(KSlideControl, KnobSitsAtTheBottomForZeroAndJustBelowTheTopForOne) {
    SlideRig rig;
    rig.store("Detune1", 0.0);
    EXPECT_EQ(rig.slide.currentState(), 90);
    rig.store("Detune1", 1.0);
    rig.slide.drawIfNeeded(rig.canvas);
    EXPECT_EQ(rig.canvas.ops.at(0).v.at(6), 1);  // destination y of the knob frame
}

TEST(KSlideControl, ClickOffTheKnobNeitherCapturesNorChangesAnything) {
    SlideRig rig;
    rig.slide.drawIfNeeded(rig.canvas);  // 0.5: knob top 90 - 45
    EXPECT_EQ(rig.slide.cursorAt(5, 10), KEditorControl::kCursorStandard);
    EXPECT_FALSE(rig.slide.leftDown(false, true, 5, 10));
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 0.5);
    EXPECT_TRUE(hostLog().empty());
    EXPECT_EQ(rig.slide.cursorAt(5, 54), KEditorControl::kCursorHand);
}

TEST(KSlideControl, DraggingTheKnobByItsTravelSweepsTheWholeRange) {
    SlideRig rig;
    rig.store("Detune1", 0.0);
    rig.slide.drawIfNeeded(rig.canvas);
    ASSERT_TRUE(rig.slide.leftDown(false, false, 5, 92));
    rig.slide.mouseMove(false, 5, 47);
    EXPECT_NEAR(rig.stored("Detune1"), 0.5, 1e-12);
    rig.slide.mouseMove(true, 5, 2);
    EXPECT_NEAR(rig.stored("Detune1"), 0.55, 1e-12);
    rig.slide.drawIfNeeded(rig.canvas);
    const DrawOp highlight = rig.canvas.ops.back();
    EXPECT_EQ(highlight.kind, DrawOp::FillRectAlpha);
    EXPECT_EQ(highlight.v, (std::vector<double>{2, rig.slide.knobTop() + 2.0, 16, 6}));
    EXPECT_TRUE(rig.slide.leftUp(false, false, 300, 300));
    EXPECT_EQ(hostLog().back().opcode, audioMasterEndEdit);
}

TEST(KSlideControl, AWithdrawnCaptureEndsTheGestureOnceAndRepaintsTheKnobReleased) {
    SlideRig rig;
    rig.slide.drawIfNeeded(rig.canvas);
    ASSERT_TRUE(rig.slide.leftDown(false, false, 5, 50));
    rig.slide.mouseMove(false, 5, 41);
    rig.slide.cancelCapture();
    rig.slide.cancelCapture();
    rig.slide.mouseMove(false, 5, 0);  // motion after the withdrawal drags nothing
    EXPECT_NEAR(rig.stored("Detune1"), 0.6, 1e-12);
    int ends = 0;
    for (const HostCall& call : hostLog()) ends += call.opcode == audioMasterEndEdit;
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(rig.slide.isPressed());
    rig.canvas.ops.clear();
    EXPECT_TRUE(rig.slide.drawIfNeeded(rig.canvas));
    EXPECT_EQ(rig.canvas.count(DrawOp::FillRectAlpha), 0);  // no press highlight
}
