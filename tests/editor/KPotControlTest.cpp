// The knob drag gesture, what the host hears of it, and how knobs paint.

#include "ControlTestRig.h"

#include "editor/controls/KPot.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace KAMO;
using namespace ControlTest;

namespace {
struct PotRig : Rig {
    KPotDot pot{setup(130, 130, 40, 40), index("Detune1"), grey, 11.0, red};
};
}  // namespace

TEST(KPotControl, FiftyPixelsUpMoveDetuneByHalfAndShiftIsTenTimesFiner) {
    PotRig rig;
    rig.store("Detune1", 0.2);
    EXPECT_TRUE(rig.pot.leftDown(false, false, 20, 20));
    rig.pot.mouseMove(false, 20, -30);
    EXPECT_NEAR(rig.stored("Detune1"), 0.7, 1e-12);
    rig.pot.mouseMove(true, 20, -80);
    EXPECT_NEAR(rig.stored("Detune1"), 0.75, 1e-12);
}

TEST(KPotControl, HorizontalMotionCountsAQuarterAndTheEndsKeepNoReserve) {
    PotRig rig;
    rig.store("Detune1", 0.0);
    rig.pot.leftDown(false, false, 0, 0);
    rig.pot.mouseMove(false, 200, 0);
    EXPECT_NEAR(rig.stored("Detune1"), 0.5, 1e-12);
    rig.pot.mouseMove(false, 200, -300);
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 1.0);
    rig.pot.mouseMove(false, 200, -290);  // back down at once
    EXPECT_NEAR(rig.stored("Detune1"), 0.9, 1e-12);
}

TEST(KPotControl, OneGestureReportsEveryValueBetweenBeginAndEnd) {
    PotRig rig;
    const int detune = rig.index("Detune1");
    rig.pot.leftDown(false, false, 20, 20);
    rig.pot.leftDown(false, false, 20, 20);  // a second press opens nothing
    rig.pot.mouseMove(false, 20, 10);
    EXPECT_TRUE(rig.pot.leftUp(false, false, 300, 300));
    EXPECT_FALSE(rig.pot.leftUp(false, false, 300, 300));
    rig.pot.cancelCapture();

    const auto& log = hostLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(log[0].index, detune);
    EXPECT_EQ(log[1].opcode, audioMasterAutomate);
    EXPECT_FLOAT_EQ(log[1].value, 0.5f);  // the value before the drag
    EXPECT_FLOAT_EQ(log[2].value, rig.effect.getParameter(detune));
    EXPECT_NEAR(log[2].value, 0.6, 1e-6);
    EXPECT_EQ(log[3].opcode, audioMasterEndEdit);
    EXPECT_STREQ(rig.effect.programBank().valueText(rig.effect.getProgram(), detune), "20");
}

TEST(KPotControl, CtrlClickRestoresTheDefaultAndIgnoresTheFollowingDrag) {
    PotRig rig;
    rig.store("Detune1", 0.9);
    rig.pot.leftDown(false, true, 20, 20);
    rig.pot.mouseMove(false, 20, -50);
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 0.5);
    rig.pot.leftUp(false, true, 20, 20);
    const auto& log = hostLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_FLOAT_EQ(log[1].value, 0.9f);
    EXPECT_FLOAT_EQ(log[2].value, 0.5f);
}

TEST(KPotControl, DotOrbitsFromLowerLeftOverTheTopAndPressAddsTheHighlight) {
    PotRig rig;
    const double d = 11.0 * std::sqrt(0.5);
    double x = 0, y = 0;
    KPot::indicatorPoint(0.0, 11.0, 40, 40, x, y);
    EXPECT_NEAR(x, 20 - d, 1e-9);
    EXPECT_NEAR(y, 20 + d, 1e-9);
    KPot::indicatorPoint(1.0, 11.0, 40, 40, x, y);
    EXPECT_NEAR(x, 20 + d, 1e-9);
    EXPECT_NEAR(y, 20 + d, 1e-9);

    rig.pot.leftDown(false, false, 20, 20);
    rig.pot.drawIfNeeded(rig.canvas);
    const auto circles = rig.canvas.ofKind(DrawOp::Circle);
    ASSERT_EQ(circles.size(), 2u);
    EXPECT_EQ(circles[0].colour, rig.grey);
    EXPECT_EQ(circles[0].v, (std::vector<double>{20, 20, 19.5}));
    EXPECT_EQ(circles[1].colour, rig.red);
    EXPECT_NEAR(circles[1].v[0], 20, 1e-9);  // 0.5: straight up
    EXPECT_NEAR(circles[1].v[1], 9, 1e-9);
    EXPECT_EQ(circles[1].v[2], 2.0);
}

TEST(KPotControl, SteppedParameterRepaintsOnlyBetweenSteps) {
    Rig rig;
    KPotLine pot(rig.setup(0, 0, 40, 40), rig.index("Partial2"), rig.grey, 15.0, rig.blue);
    pot.drawIfNeeded(rig.canvas);
    const std::vector<double> line{20, 20, 20 - 15 * std::sqrt(0.5), 20 + 15 * std::sqrt(0.5), 1.5};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(rig.canvas.ops.at(0).v.at(i), line[i], 1e-9);
    rig.store("Partial2", 0.09);
    EXPECT_FALSE(pot.needsRedraw());
    rig.store("Partial2", 0.11);
    EXPECT_TRUE(pot.needsRedraw());
}

TEST(KPotControl, ImageKindsPickFramesFromValueAndPress) {
    Rig rig;
    KImageResource* knob = rig.image(40, 40, 2);
    KImageResource* strip = rig.image(40, 40, 11);
    KBgPotDot bg(rig.setup(0, 0, 40, 40), rig.index("Detune1"), knob, 11.0, rig.red);
    KImgPot film(rig.setup(0, 0, 40, 40), rig.index("Detune2"), strip);
    bg.drawIfNeeded(rig.canvas);
    bg.leftDown(false, false, 0, 0);
    bg.drawIfNeeded(rig.canvas);
    EXPECT_EQ(rig.framesDrawn(knob), (std::vector<int>{0, 1}));

    EXPECT_EQ(film.currentState(), 5);
    rig.store("Detune2", 0.52);
    EXPECT_EQ(film.currentState(), 5);
    rig.store("Detune2", 1.0);
    EXPECT_EQ(film.currentState(), 10);
}
