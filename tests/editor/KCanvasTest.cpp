#include "EditorTestSupport.h"

#include "editor/KFont.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

using EditorTest::Op;

namespace {
std::array<int, 4> clipOf(const KAMO::KCanvas& c) {
    return {c.clipX(), c.clipY(), c.clipWidth(), c.clipHeight()};
}
}  // namespace

TEST(KCanvas, SetClipClampsTheOriginAndCutsTheSizeAtTheEdges) {
    EditorTest::RecordingCanvas canvas;  // 540 x 395
    canvas.setClip(-10, 5, 50, 20);
    EXPECT_EQ(clipOf(canvas), (std::array<int, 4>{0, 5, 50, 20}));
    canvas.setClip(530, 0, 40, 10);
    EXPECT_EQ(clipOf(canvas), (std::array<int, 4>{530, 0, 10, 10}));
    canvas.setClip(600, 500, 10, 10);
    EXPECT_EQ(clipOf(canvas), (std::array<int, 4>{540, 395, 0, 0}));
    // A size that would wrap around in 32 bits is still cut at the edge.
    canvas.setClip(10, 10, INT_MAX, INT_MAX);
    EXPECT_EQ(clipOf(canvas), (std::array<int, 4>{10, 10, 530, 385}));
    canvas.resetClip();
    EXPECT_EQ(clipOf(canvas), (std::array<int, 4>{0, 0, 540, 395}));
}

TEST(KCanvas, TextIsAnchoredAtItsAlignedEdgeALittleBelowTheBoxMiddle) {
    EditorTest::RecordingCanvas canvas;
    KAMO::KFont font(nullptr, 12, "KSans");
    for (int align : {1, 0, 2, 7}) canvas.drawText("t", 20, 75, 410, 20, &font, align);
    canvas.setClip(100, 50, 60, 15);
    canvas.drawText("t", 0, 0, 60, 15, &font, 1);
    const auto t = canvas.ofKind(Op::Text);
    ASSERT_EQ(t.size(), 5u);
    // 75 + 20 * 0.55 + 0.5 = 86.5, rounded away from zero.
    EXPECT_EQ((std::array<int, 3>{t[0].v[0], t[0].v[1], t[0].v[2]}),
              (std::array<int, 3>{225, 87, 1}));
    EXPECT_EQ((std::array<int, 2>{t[1].v[0], t[1].v[2]}), (std::array<int, 2>{20, 0}));
    EXPECT_EQ((std::array<int, 2>{t[2].v[0], t[2].v[2]}), (std::array<int, 2>{430, 2}));
    EXPECT_EQ((std::array<int, 2>{t[3].v[0], t[3].v[2]}), (std::array<int, 2>{225, 1}));
    // Relative to the clip origin: 130, and 15 * 0.55 + 50 + 0.5 = 58.75.
    EXPECT_EQ(t[4].v[0], 130);
    EXPECT_EQ(t[4].v[1], 59);
}

TEST(KCanvas, NothingIsDrawnWithoutContextColourFontOrText) {
    KAMO::KCanvas canvas(nullptr, 100, 100);
    const unsigned char colour[4] = {1, 2, 3, 4};
    KAMO::KFont font(nullptr, 12, "KSans");
    canvas.fillRect(0, 0, 10, 10, colour);
    canvas.fillCircle(nullptr, 5, 5, 5);
    canvas.drawText(nullptr, 0, 0, 10, 10, &font, 0);
    canvas.drawText("a", 0, 0, 10, 10, nullptr, 0);
    canvas.drawImage(0, 0, 0, 10, 10, 0, 0);
    EXPECT_EQ(canvas.createImage(colour, 4), 0);
    EXPECT_LT(canvas.createFont("KSans", colour, 4), 0);
}
