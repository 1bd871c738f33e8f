// Meters, peak indicators and waveform views of published features.

#include "ControlTestRig.h"

#include "editor/controls/KImgPeak.h"
#include "editor/controls/KMeter.h"
#include "editor/controls/KTextPeak.h"
#include "editor/controls/KWave.h"
#include "editor/controls/KZoomWave.h"
#include "framework/KHistory.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace KAMO;
using namespace ControlTest;

TEST(KMeterControl, BarIsLimitedToTheRectangleAndRepaintsOnlyForAVisibleChange) {
    Rig rig;
    double level = 1.7;
    KBarFracMeter right(rig.setup(0, 0, 100, 10), &level, KBarFracMeter::kLeftToRight, rig.red);
    KBarFracMeter up(rig.setup(0, 0, 10, 100), &level, KBarFracMeter::directionOf("bottomtotop"),
                     rig.red);
    right.drawIfNeeded(rig.canvas);
    level = 0.25;
    up.drawIfNeeded(rig.canvas);
    level = -0.2;
    right.forceRedraw();
    right.drawIfNeeded(rig.canvas);
    ASSERT_EQ(rig.canvas.ops.size(), 3u);
    EXPECT_EQ(rig.canvas.ops[0].v, (std::vector<double>{0, 0, 100, 10}));
    EXPECT_EQ(rig.canvas.ops[1].v, (std::vector<double>{0, 75, 10, 25}));
    EXPECT_EQ(rig.canvas.ops[2].v.at(2), 0);

    level = 0.00005;
    EXPECT_FALSE(right.needsRedraw());
    level = 0.0002;
    EXPECT_TRUE(right.needsRedraw());
    EXPECT_EQ(KBarFracMeter::directionOf("Sideways"), KBarFracMeter::kNone);
}

TEST(KMeterControl, FrameMetersTruncateAndStayInsideTheStrip) {
    Rig rig;
    KImageResource* image = rig.image(10, 10, 10);
    double fraction = 0.99;
    KImgFracMeter meter(rig.setup(0, 0, 10, 10), &fraction, image);
    EXPECT_EQ(meter.currentState(), 8);
    fraction = 1.0;
    EXPECT_EQ(meter.currentState(), 9);
    fraction = 1e300;
    EXPECT_EQ(meter.currentState(), 9);
    fraction = -3;
    EXPECT_EQ(meter.currentState(), 0);
}

TEST(KPeakControl, ClipLightsFromOneAndClickRunsTheResetWithoutCapture) {
    Rig rig;
    double peak = 0.999;
    KImgPeak light(rig.setup(0, 0, 10, 10), &peak, 1, rig.image(10, 10, 2));
    EXPECT_EQ(light.currentState(), 0);
    peak = 1.0;
    EXPECT_EQ(light.currentState(), 1);
    EXPECT_FALSE(light.leftDown(true, false, 1, 1));
    ASSERT_EQ(rig.effect.commands.size(), 1u);
    EXPECT_EQ(rig.effect.commands[0].id, 1);
    EXPECT_TRUE(rig.effect.commands[0].shift);
}

TEST(KPeakControl, TextShowsDecibelsInTheOverFontAboveZero) {
    Rig rig;
    double peak = 2.0;
    KTextPeak text(rig.setup(0, 0, 100, 20), &peak, 1, &rig.font, &rig.overFont);
    for (double value : {2.0, 1.0, 0.0000005}) {
        peak = value;
        text.drawIfNeeded(rig.canvas);
    }
    const auto texts = rig.canvas.ofKind(DrawOp::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "Peak: 6.0 dB");
    EXPECT_EQ(texts[0].font, &rig.overFont);
    EXPECT_EQ(texts[1].text, "Peak: 0.0 dB");
    EXPECT_EQ(texts[1].font, &rig.font);
    EXPECT_EQ(texts[2].text, "Peak: -Inf dB");
}

namespace {
// A three-column history whose every sample completes one column.
struct WaveRig : Rig {
    WaveRig() { history.setUp(3, 1.0, 3.0); }
    KHistory history;
};
}  // namespace

TEST(KWaveControl, NewestColumnAtTheRightAndShortHistoryLeavesTheLeftEmpty) {
    WaveRig rig;
    double level = 0.5;
    rig.history.add(0.5, -1.0);
    rig.history.add(1.0, 0.0);
    KWave wave(rig.setup(0, 0, 10, 21), &rig.history, &level, nullptr, rig.red, rig.green,
               rig.blue);
    wave.drawIfNeeded(rig.canvas);
    // Centre row 10, scale 9; halves round away from zero. Per column x: A, then B.
    const auto columns = rig.canvas.ofKind(DrawOp::VLine);
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_EQ(columns[0].v, (std::vector<double>{9, 1, 1}));
    EXPECT_EQ(columns[2].v, (std::vector<double>{8, 5, 5}));
    EXPECT_EQ(columns[3].v, (std::vector<double>{8, 19, 19}));
    EXPECT_EQ(columns[5].v[0], 7);
    const auto lines = rig.canvas.ofKind(DrawOp::HLine);
    ASSERT_EQ(lines.size(), 3u);  // centre, then the level at 10 -+ 5
    EXPECT_EQ(lines[1].v, (std::vector<double>{0, 5, 10}));
    EXPECT_EQ(lines[2].v, (std::vector<double>{0, 15, 10}));

    EXPECT_FALSE(wave.needsRedraw());
    rig.history.add(0.1, 0.1);  // one completed column, one repaint
    EXPECT_TRUE(wave.needsRedraw());
    wave.drawIfNeeded(rig.canvas);
    level = 1.5;  // a change, but out of range: no level lines
    rig.canvas.ops.clear();
    EXPECT_TRUE(wave.drawIfNeeded(rig.canvas));
    EXPECT_EQ(rig.canvas.count(DrawOp::HLine), 1);
}

TEST(KWaveControl, EitherLevelMovingRepaintsEvenWhileTheOtherIsNotANumber) {
    WaveRig rig;
    double level1 = 0.5;
    double level2 = std::nan("");
    KWave wave(rig.setup(0, 0, 10, 21), &rig.history, &level1, &level2, rig.red, rig.green,
               rig.blue);
    wave.drawIfNeeded(rig.canvas);
    EXPECT_FALSE(wave.needsRedraw());
    level1 = 0.5 + 0.5e-5;  // within the tolerance
    EXPECT_FALSE(wave.needsRedraw());
    level1 = 0.6;
    EXPECT_TRUE(wave.needsRedraw());
}

namespace {
// 200 x 116: a wave area of 100 rows over the 16-pixel strip, knob travel 159.
struct ZoomRig : WaveRig {
    KZoomWave zoom{setup(0, 0, 200, 116),
                   &history,
                   nullptr,
                   nullptr,
                   red,
                   green,
                   blue,
                   grey,
                   red,
                   green,
                   &font};
};
}  // namespace

TEST(KZoomWaveControl, StripEndsGiveTheZoomLimitsAndCtrlGoesBackToOne) {
    ZoomRig rig;
    EXPECT_FALSE(rig.zoom.leftDown(false, false, 50, 99));  // above the strip
    EXPECT_EQ(rig.zoom.cursorAt(50, 99), KEditorControl::kCursorStandard);
    EXPECT_EQ(rig.zoom.knobLeft(), 81);  // 1 + round(159 / 2)
    EXPECT_TRUE(rig.zoom.leftDown(false, false, 0, 110));
    EXPECT_STREQ(rig.zoom.zoomText(), "0.10x");
    EXPECT_EQ(rig.zoom.knobLeft(), 1);
    rig.zoom.mouseMove(false, 199, 0);  // the drag follows the pointer anywhere
    EXPECT_STREQ(rig.zoom.zoomText(), "10.00x");
    EXPECT_EQ(rig.zoom.knobLeft(), 160);
    EXPECT_TRUE(rig.zoom.leftUp(false, false, 0, 0));
    EXPECT_FALSE(rig.zoom.leftUp(false, false, 0, 0));

    EXPECT_TRUE(rig.zoom.leftDown(false, true, 37, 100));
    rig.zoom.mouseMove(false, 0, 0);  // a reset press does not drag
    EXPECT_STREQ(rig.zoom.zoomText(), "1.00x");
    EXPECT_EQ(rig.zoom.knobLeft(), 81);
    rig.zoom.leftUp(false, false, 0, 0);

    EXPECT_TRUE(rig.zoom.leftDown(false, false, 81, 110));
    const int pressed = rig.zoom.knobLeft();
    rig.zoom.cancelCapture();  // the editor closed mid-drag
    rig.zoom.mouseMove(false, 199, 0);
    EXPECT_EQ(rig.zoom.knobLeft(), pressed);
    EXPECT_FALSE(rig.zoom.leftUp(false, false, 0, 0));
}

TEST(KZoomWaveControl, ZoomScalesTracesAndDrawsTheKnobInThePressColour) {
    ZoomRig rig;
    EXPECT_EQ(rig.zoom.rowOf(0.5), 50 - 25);    // mid 50, scale 49
    rig.zoom.leftDown(false, false, 139, 105);  // three quarters of the travel
    EXPECT_NEAR(rig.zoom.zoom(), 3.14, 0.02);
    EXPECT_EQ(rig.zoom.rowOf(0.2), 50 - std::lround(0.2 * rig.zoom.zoom() * 49));
    EXPECT_EQ(rig.zoom.rowOf(0.5), 0);  // zoomed beyond the top
    rig.zoom.drawIfNeeded(rig.canvas);
    const auto fills = rig.canvas.ofKind(DrawOp::FillRectAlpha);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].v, (std::vector<double>{0, 100, 200, 16}));
    EXPECT_EQ(fills[1].colour, rig.green);  // colour 6 while operated
    EXPECT_EQ(fills[1].v[1], 101);
    EXPECT_EQ(rig.canvas.ofKind(DrawOp::Text).at(0).text, rig.zoom.zoomText());
}
