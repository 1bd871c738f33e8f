// Labels and value read-outs: what text they show and when they repaint.

#include "ControlTestRig.h"

#include "editor/controls/KLabel.h"
#include "editor/controls/KValue.h"

#include <gtest/gtest.h>

#include <thread>

using namespace KAMO;
using namespace ControlTest;

TEST(KLabelControl, TextWithoutVariablesIgnoresItsRefreshPeriod) {
    Rig rig;
    KLabel label(rig.setup(20, 75, 410, 20), 0, "Plain words", &rig.font, 15000);
    EXPECT_TRUE(label.isStatic());
    label.drawIfNeeded(rig.canvas);
    EXPECT_FALSE(label.needsRedraw());
    const DrawOp text = rig.canvas.ops.at(0);
    EXPECT_EQ(text.text, "Plain words");
    EXPECT_EQ(text.v, (std::vector<double>{0, 0, 410, 20}));
    EXPECT_EQ(text.align, 0);
}

TEST(KLabelControl, VariablesAreExpandedOnceUnlessAPeriodElapses) {
    Rig rig;
    rig.effect.setSampleRate(44100.0f);
    KLabel fixed(rig.setup(0, 0, 100, 20), 1, "Rate ${SRate} Hz", &rig.font, 0);
    KLabel live(rig.setup(0, 0, 100, 20), 1, "Rate ${SRate} Hz", &rig.font, 1);
    EXPECT_STREQ(fixed.shownText(), "Rate 44100 Hz");
    fixed.drawIfNeeded(rig.canvas);
    live.drawIfNeeded(rig.canvas);
    const int drawnBy = monotonicMs();

    rig.effect.setSampleRate(96000.0f);
    // Waits for the live label's period (1 ms) to have passed on the clock
    // the labels read, however long the machine takes to get there.
    while (monotonicMs() - drawnBy <= 1) std::this_thread::yield();
    EXPECT_FALSE(fixed.needsRedraw());
    EXPECT_TRUE(live.needsRedraw());
    fixed.forceRedraw();
    fixed.drawIfNeeded(rig.canvas);
    live.drawIfNeeded(rig.canvas);
    const auto texts = rig.canvas.ofKind(DrawOp::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[2].text, "Rate 44100 Hz");
    EXPECT_EQ(texts[3].text, "Rate 96000 Hz");
}

TEST(KValueControl, RepaintsForAStepOfASteppedParameterButNotWithinIt) {
    Rig rig;
    KValue value(rig.setup(0, 0, 60, 15), rig.index("Partial2"), &rig.font);
    value.drawIfNeeded(rig.canvas);
    rig.store("Partial2", 0.05);  // still the first of five steps
    EXPECT_FALSE(value.needsRedraw());
    rig.store("Partial2", 0.15);
    EXPECT_TRUE(value.needsRedraw());
    value.drawIfNeeded(rig.canvas);
    EXPECT_EQ(rig.canvas.ofKind(DrawOp::Text).back().text, "2");
    EXPECT_EQ(rig.canvas.ofKind(DrawOp::Text).back().align, 1);
}

TEST(KBgValueControl, PaintsFrameZeroUnderTheLabelledText) {
    Rig rig;
    KImageResource* image = rig.image(60, 15, 2);
    KBgValue value(rig.setup(0, 0, 60, 15), rig.index("Detune1"), image, &rig.font);
    value.drawIfNeeded(rig.canvas);
    ASSERT_EQ(rig.canvas.ops.size(), 2u);
    EXPECT_EQ(rig.lastFrame(image), 0);
    EXPECT_EQ(rig.canvas.ops[1].text, "0 cents");
}
