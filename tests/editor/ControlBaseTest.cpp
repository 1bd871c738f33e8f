// The redraw protocol and mouse contract that every control shares.

#include "ControlTestRig.h"

#include "editor/KCondition.h"
#include "editor/controls/KImg.h"
#include "editor/controls/KImgPeak.h"
#include "editor/controls/KMeter.h"
#include "editor/controls/KPot.h"
#include "editor/controls/KPressControl.h"
#include "editor/controls/KUrl.h"
#include "editor/controls/KValue.h"

#include <gtest/gtest.h>

using namespace KAMO;
using namespace ControlTest;

TEST(ControlBase, RepaintsOnlyWhenMarkedAndRestoresTheBackgroundFirst) {
    Rig rig;
    KImg img(rig.setup(0, 0, 10, 10), rig.image(10, 10, 1));
    EXPECT_TRUE(img.drawIfNeeded(rig.canvas));
    EXPECT_EQ(rig.canvas.count(DrawOp::FillRect), 0);  // nothing to erase yet
    EXPECT_FALSE(img.drawIfNeeded(rig.canvas));

    rig.canvas.ops.clear();
    img.invalidate();
    EXPECT_TRUE(img.drawIfNeeded(rig.canvas));
    ASSERT_EQ(rig.canvas.ops.size(), 2u);
    EXPECT_EQ(rig.canvas.ops[0].kind, DrawOp::FillRect);  // black under the new picture
    EXPECT_EQ(rig.canvas.ops[1].kind, DrawOp::Image);

    rig.canvas.ops.clear();
    img.forceRedraw();  // the background was just repainted: no erasing
    EXPECT_TRUE(img.drawIfNeeded(rig.canvas));
    EXPECT_EQ(rig.canvas.count(DrawOp::FillRect), 0);

    img.erase(rig.canvas);  // hidden: the background comes back once
    img.erase(rig.canvas);
    EXPECT_EQ(rig.canvas.count(DrawOp::FillRect), 1);
    EXPECT_TRUE(img.needsRedraw());
}

TEST(ControlBase, HandlerFlagsNameExactlyTheImplementedMouseOperations) {
    Rig rig;
    const int detune = rig.index("Detune1");
    double level = 0;
    KValue value(rig.setup(0, 0, 60, 15), detune, &rig.font);
    KPotDot pot(rig.setup(0, 0, 40, 40), detune, rig.grey, 11, rig.red);
    KUrl url(rig.setup(0, 0, 40, 40), "https://example.org/");
    KImgPeak peak(rig.setup(0, 0, 10, 10), &level, 0, rig.image(10, 10, 2));

    EXPECT_EQ(value.handlers(), 0u);
    EXPECT_EQ(pot.handlers(), unsigned(KEditorControl::kLeftDown | KEditorControl::kLeftUp |
                                       KEditorControl::kMouseMove | KEditorControl::kCursorAt |
                                       KEditorControl::kCancelCapture));
    EXPECT_EQ(url.handlers(), unsigned(KEditorControl::kLeftUp | KEditorControl::kCursorAt));
    EXPECT_EQ(peak.handlers(), unsigned(KEditorControl::kLeftDown | KEditorControl::kCursorAt));
    EXPECT_FALSE(pot.rightDown(false, false, 5, 5));

    // Only the bar meter can be told apart from other controls by its type.
    KBarFracMeter bar(rig.setup(0, 0, 10, 10), &level, 1, rig.red);
    EXPECT_TRUE(pot.isType(KIdBase::hashOf<KEditorControl>()));
    EXPECT_TRUE(bar.isType(KIdBase::hashOf<KBarFracMeter>()));
}

namespace {
// Logs what the press base asks of its kind, with the press state it sees.
class LoggingPress : public KPressControl {
public:
    using KPressControl::KPressControl;
    std::string log;

protected:
    void pressed(bool shift, bool ctrl) override { note('P', shift, ctrl); }
    void released(bool shift, bool ctrl) override { note('R', shift, ctrl); }
    void cancelled() override { note('C', false, false); }

private:
    void note(char what, bool shift, bool ctrl) {
        log += what;
        log += shift ? "s" : "";
        log += ctrl ? "c" : "";
        log += mPressed ? "+" : "-";
        log += ' ';
    }
};
}  // namespace

TEST(ControlBase, APressEndsExactlyOnceByReleaseOrWithdrawnCapture) {
    Rig rig;
    LoggingPress press(rig.setup(0, 0, 10, 10));
    EXPECT_EQ(press.handlers(),
              unsigned(KEditorControl::kLeftDown | KEditorControl::kLeftUp |
                       KEditorControl::kCursorAt | KEditorControl::kCancelCapture));
    EXPECT_EQ(press.cursorAt(1, 1), KEditorControl::kCursorHand);

    EXPECT_FALSE(press.leftUp(false, false, 1, 1));  // no press to end
    press.cancelCapture();
    EXPECT_EQ(press.log, "");

    EXPECT_TRUE(press.leftDown(true, false, 1, 1));
    EXPECT_TRUE(press.isPressed());
    EXPECT_TRUE(press.leftUp(false, true, 1, 1));
    EXPECT_FALSE(press.isPressed());
    EXPECT_FALSE(press.leftUp(false, false, 1, 1));
    press.cancelCapture();
    EXPECT_EQ(press.log, "Ps+ Rc- ");

    press.log.clear();
    press.leftDown(false, false, 1, 1);
    press.cancelCapture();
    press.cancelCapture();
    EXPECT_FALSE(press.leftUp(false, false, 1, 1));
    EXPECT_EQ(press.log, "P+ C- ");
}

TEST(ControlBase, KeepsItsOwnCopyOfTheConditionSetWithItsElseFlag) {
    Rig rig;
    KConditionSet set;
    set.setElse(true);
    ControlSetup s = rig.setup(1, 2, 3, 4, 2);
    s.conditions = &set;
    KImg img(s, nullptr);
    set.setElse(false);
    EXPECT_FALSE(img.conditions().holds());
    EXPECT_EQ(img.page(), 2);
    EXPECT_TRUE(img.contains(1, 2));
    EXPECT_FALSE(img.contains(4, 2));
}
