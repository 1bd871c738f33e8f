// Command buttons and page selectors: what a press and a release set off.

#include "ControlTestRig.h"

#include "editor/controls/KCommand.h"
#include "editor/controls/KPageSel.h"

#include <gtest/gtest.h>

using namespace KAMO;
using namespace ControlTest;

TEST(KCommandControl, RunsOnceOnReleaseWithThePressAndReleaseModifiersMerged) {
    Rig rig;
    KCommand command(rig.setup(15, 70, 85, 20), 3);
    EXPECT_TRUE(command.leftDown(true, false, 5, 5));
    EXPECT_TRUE(rig.effect.commands.empty());
    EXPECT_TRUE(command.leftUp(false, true, -400, 900));  // far outside
    EXPECT_FALSE(command.leftUp(false, false, 5, 5));
    ASSERT_EQ(rig.effect.commands.size(), 1u);
    EXPECT_EQ(rig.effect.commands[0].id, 3);
    EXPECT_TRUE(rig.effect.commands[0].shift);
    EXPECT_TRUE(rig.effect.commands[0].ctrl);

    command.leftDown(false, false, 5, 5);  // the modifiers do not outlive their press
    command.leftUp(false, false, 5, 5);
    ASSERT_EQ(rig.effect.commands.size(), 2u);
    EXPECT_FALSE(rig.effect.commands[1].shift);
    EXPECT_FALSE(rig.effect.commands[1].ctrl);
}

TEST(KCommandControl, WithdrawnCaptureRunsNothing) {
    Rig rig;
    KCommand command(rig.setup(15, 70, 85, 20), 2);
    command.leftDown(true, true, 5, 5);
    command.cancelCapture();
    EXPECT_FALSE(command.leftUp(false, false, 5, 5));
    EXPECT_TRUE(rig.effect.commands.empty());
}

TEST(KCommandControl, ImageShowsThePressedFrameOnlyWhilePressed) {
    Rig rig;
    KImageResource* image = rig.image(85, 20, 2);
    KImgCommand command(rig.setup(15, 70, 85, 20), 3, image);
    command.drawIfNeeded(rig.canvas);
    command.leftDown(false, false, 5, 5);
    command.drawIfNeeded(rig.canvas);
    command.leftUp(false, false, 5, 5);
    command.drawIfNeeded(rig.canvas);
    EXPECT_EQ(rig.framesDrawn(image), (std::vector<int>{0, 1, 0}));
}

TEST(KPageSelControl, PressSwitchesTheSkinPageAndTheHighlightFollowsThePress) {
    Rig rig;
    KPageSelHlt tab(rig.setup(243, 3, 44, 16, 0), 2, rig.grey);
    ASSERT_EQ(rig.skin.currentPage(), 1);
    EXPECT_TRUE(tab.leftDown(false, false, 1, 1));
    EXPECT_EQ(rig.skin.currentPage(), 2);
    tab.drawIfNeeded(rig.canvas);
    ASSERT_EQ(rig.canvas.count(DrawOp::FillRectAlpha), 1);
    EXPECT_EQ(rig.canvas.ops[0].v, (std::vector<double>{0, 0, 44, 16}));

    EXPECT_TRUE(tab.leftUp(false, false, 1, 1));
    EXPECT_FALSE(tab.leftUp(false, false, 1, 1));
    rig.canvas.ops.clear();
    EXPECT_TRUE(tab.drawIfNeeded(rig.canvas));
    EXPECT_EQ(rig.canvas.count(DrawOp::FillRectAlpha), 0);
    EXPECT_EQ(rig.skin.currentPage(), 2);
}

TEST(KPageSelControl, ImageShowsWhetherItsPageIsCurrent) {
    Rig rig;
    KImageResource* image = rig.image(40, 16, 3);
    KImgPageSel one(rig.setup(0, 0, 40, 16, 0), image, 1);
    KImgPageSel two(rig.setup(40, 0, 40, 16, 0), image, 2);
    EXPECT_EQ(one.currentState(), 1);
    EXPECT_EQ(two.currentState(), 0);
    two.leftDown(false, false, 1, 1);
    EXPECT_EQ(two.currentState(), 2);
    two.leftUp(false, false, 1, 1);
    EXPECT_EQ(two.currentState(), 1);
    EXPECT_EQ(one.currentState(), 0);
}
