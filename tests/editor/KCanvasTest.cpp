#include "EditorTestSupport.h"

#include "editor/KFont.h"

#include <gtest/gtest.h>

#include <climits>

using EditorTest::Op;
using EditorTest::RecordingCanvas;

namespace {

void expectClip(const KAMO::KCanvas& canvas, int x, int y, int w, int h) {
    EXPECT_EQ(canvas.clipX(), x);
    EXPECT_EQ(canvas.clipY(), y);
    EXPECT_EQ(canvas.clipWidth(), w);
    EXPECT_EQ(canvas.clipHeight(), h);
}

} // namespace

TEST(KCanvas, SetClipClampsTheOriginAndCutsTheSizeAtTheEdges) {
    RecordingCanvas canvas(540, 395);
    canvas.setClip(-10, 5, 50, 20);
    expectClip(canvas, 0, 5, 50, 20);
    canvas.setClip(530, 0, 40, 10);
    expectClip(canvas, 530, 0, 10, 10);
    canvas.setClip(600, 500, 10, 10);
    expectClip(canvas, 540, 395, 0, 0);
    // A width that would wrap around in 32 bits is still cut at the edge.
    canvas.setClip(10, 10, INT_MAX, INT_MAX);
    expectClip(canvas, 10, 10, 530, 385);
    canvas.resetClip();
    expectClip(canvas, 0, 0, 540, 395);
}

TEST(KCanvas, TextIsAnchoredAtTheAlignedEdgeAndAlittleBelowTheBoxMiddle) {
    RecordingCanvas canvas;
    KAMO::KFont font(nullptr, 12, "KSans");
    canvas.drawText("centred", 20, 75, 410, 20, &font, KAMO::KCanvas::kAlignCentre);
    canvas.drawText("left", 20, 75, 410, 20, &font, KAMO::KCanvas::kAlignLeft);
    canvas.drawText("right", 20, 75, 410, 20, &font, KAMO::KCanvas::kAlignRight);
    canvas.drawText("other", 20, 75, 410, 20, &font, 7);
    const auto texts = canvas.ofKind(Op::Text);
    ASSERT_EQ(texts.size(), 4u);
    // 75 + 20 * 0.55 + 0.5 = 86.5 rounds away from zero.
    EXPECT_EQ(texts[0].v[0], 225);
    EXPECT_EQ(texts[0].v[1], 87);
    EXPECT_EQ(texts[0].v[2], KAMO::KCanvas::kAlignCentre);
    EXPECT_EQ(texts[1].v[0], 20);
    EXPECT_EQ(texts[1].v[2], KAMO::KCanvas::kAlignLeft);
    EXPECT_EQ(texts[2].v[0], 430);
    EXPECT_EQ(texts[2].v[2], KAMO::KCanvas::kAlignRight);
    // Unknown alignments centre.
    EXPECT_EQ(texts[3].v[0], 225);
    EXPECT_EQ(texts[3].v[2], KAMO::KCanvas::kAlignCentre);
}

TEST(KCanvas, TextPositionsAreRelativeToTheClipOrigin) {
    RecordingCanvas canvas;
    KAMO::KFont font(nullptr, 12, "KSans");
    canvas.setClip(100, 50, 60, 15);
    canvas.drawText("x", 0, 0, 60, 15, &font, KAMO::KCanvas::kAlignCentre);
    const auto texts = canvas.ofKind(Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].v[0], 130);
    // 15 * 0.55 + 0 + 50 + 0.5 = 58.75
    EXPECT_EQ(texts[0].v[1], 59);
}

TEST(KCanvas, DrawingWithoutContextColourFontOrTextDoesNothing) {
    KAMO::KCanvas canvas(nullptr, 100, 100);
    const unsigned char colour[4] = {1, 2, 3, 4};
    KAMO::KFont font(nullptr, 12, "KSans");
    canvas.fillRect(0, 0, 10, 10, colour);
    canvas.fillRectAlpha(0, 0, 10, 10, nullptr);
    canvas.drawHLine(0, 0, 10, colour);
    canvas.fillCircle(nullptr, 5, 5, 5);
    canvas.drawText(nullptr, 0, 0, 10, 10, &font, 0);
    canvas.drawText("a", 0, 0, 10, 10, nullptr, 0);
    canvas.drawImage(0, 0, 0, 10, 10, 0, 0);
    EXPECT_EQ(canvas.createImage(colour, 4), 0);
    EXPECT_LT(canvas.createFont("KSans", colour, 4), 0);
}
