// Switches, radio options and momentary buttons bound to a parameter.

#include "ControlTestRig.h"

#include "editor/controls/KButton.h"
#include "editor/controls/KRadio.h"
#include "editor/controls/KSwitch.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KAMO;
using namespace ControlTest;

TEST(KSwitchControl, PressAtHalfTurnsOffTheNextTurnsOnAndCtrlRestoresTheDefault) {
    Rig rig;
    KSwitch sw(rig.setup(0, 0, 20, 20), rig.index("Detune1"));
    EXPECT_TRUE(sw.leftDown(false, false, 1, 1));
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 0.0);
    EXPECT_TRUE(sw.leftUp(false, false, 1, 1));
    EXPECT_FALSE(sw.leftUp(false, false, 1, 1));
    sw.leftDown(false, false, 1, 1);
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 1.0);
    sw.cancelCapture();  // a withdrawn capture still closes the host's gesture
    sw.leftDown(false, true, 1, 1);
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 0.5);
    sw.leftUp(false, false, 1, 1);

    int open = 0;
    for (const HostCall& c : hostLog())
        open += (c.opcode == audioMasterBeginEdit) - (c.opcode == audioMasterEndEdit);
    EXPECT_EQ(open, 0);
}

TEST(KSwitchControl, HighlightKindDrawsCrossWhenOffCircleWhenOnAndPressOverlay) {
    Rig rig;
    KHlSwitch sw({4, 2, 12, 16, rig.red, rig.green, rig.grey}, rig.setup(0, 0, 30, 20),
                 rig.index("Detune1"));
    rig.store("Detune1", 0.0);
    sw.drawIfNeeded(rig.canvas);
    const double lo = 10 - 0.7 * 6, hi = 10 + 0.7 * 6;  // centre (10, 10), r 6
    ASSERT_EQ(rig.canvas.ops.size(), 2u);
    EXPECT_EQ(rig.canvas.ops[0].v, (std::vector<double>{lo, lo, hi, hi, 1.5}));
    EXPECT_EQ(rig.canvas.ops[1].v, (std::vector<double>{lo, hi, hi, lo, 1.5}));

    rig.canvas.ops.clear();
    sw.leftDown(false, false, 1, 1);
    sw.drawIfNeeded(rig.canvas);
    const auto& ops = rig.canvas.ops;
    EXPECT_EQ(ops.at(1).kind, DrawOp::Circle);
    EXPECT_EQ(ops.at(1).colour, rig.green);
    EXPECT_EQ(ops.back().kind, DrawOp::FillRectAlpha);
    EXPECT_EQ(ops.back().v, (std::vector<double>{0, 0, 30, 20}));
}

TEST(KSwitchControl, FourFrameImageTellsPressedOnFromPressedOff) {
    Rig rig;
    KImageResource* image = rig.image(20, 20, 4);
    KImgSwitch sw(rig.setup(0, 0, 20, 20), rig.index("Detune1"), image);
    rig.store("Detune1", 0.0);
    EXPECT_EQ(sw.currentState(), 0);
    sw.leftDown(false, false, 1, 1);
    EXPECT_EQ(sw.currentState(), 3);
    sw.leftUp(false, false, 1, 1);
    EXPECT_EQ(sw.currentState(), 1);
}

TEST(KRadioControl, FourOptionsSplitTheRangeAndTheLastIncludesOne) {
    Rig rig;
    std::unique_ptr<KImgRadio> options[4];
    KImageResource* image = rig.image(10, 10, 3);
    for (int a = 0; a <= 3; ++a)
        options[a] =
            std::make_unique<KImgRadio>(rig.setup(0, 0, 10, 10), rig.index("Detune1"), a, 3, image);

    options[2]->leftDown(false, false, 1, 1);
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 0.625);
    EXPECT_EQ(options[2]->currentState(), 2);  // the pressed frame
    options[2]->leftUp(false, false, 1, 1);
    EXPECT_EQ(options[2]->currentState(), 1);

    rig.store("Detune1", 1.0);
    for (int a = 0; a <= 3; ++a) EXPECT_EQ(options[a]->isSelected(), a == 3) << a;
    rig.store("Detune1", 0.5);  // a band's lower edge belongs to it
    for (int a = 0; a <= 3; ++a) EXPECT_EQ(options[a]->isSelected(), a == 2) << a;

    rig.store("Detune1", 0.9);
    options[0]->leftDown(false, true, 1, 1);
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 0.5);  // Ctrl: the default, not the band
}

TEST(KButtonControl, HoldsOneWhilePressedAndReportsEachEdgeWithoutGesture) {
    Rig rig;
    KImageResource* image = rig.image(10, 10, 3);
    KImgButton button(rig.setup(0, 0, 10, 10), rig.index("Detune1"), image);
    rig.store("Detune1", 0.7);
    EXPECT_EQ(button.currentState(), 1);
    EXPECT_TRUE(button.leftDown(false, false, 1, 1));
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 1.0);
    EXPECT_EQ(button.currentState(), 2);
    EXPECT_TRUE(button.leftUp(false, false, 500, 500));
    EXPECT_DOUBLE_EQ(rig.stored("Detune1"), 0.0);
    EXPECT_EQ(button.currentState(), 0);
    EXPECT_FALSE(button.leftUp(false, false, 1, 1));

    const auto& log = hostLog();
    ASSERT_EQ(log.size(), 4u);
    const float values[] = {0.7f, 1.0f, 1.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(log[i].opcode, audioMasterAutomate);
        EXPECT_FLOAT_EQ(log[i].value, values[i]);
    }
}
