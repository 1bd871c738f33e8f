#include "EditorTestSupport.h"

#include "editor/KEditorResource.h"

#include <gtest/gtest.h>

using EditorTest::Op;
using EditorTest::RecordingCanvas;
using KAMO::KImageResource;

TEST(KColourResource, ComponentsKeepTheirLowEightBits) {
    KAMO::KColourResource colour(300, -1, 255, 256);
    EXPECT_EQ(colour.colour()[0], 44);
    EXPECT_EQ(colour.colour()[1], 255);
    EXPECT_EQ(colour.colour()[2], 255);
    EXPECT_EQ(colour.colour()[3], 0);
}

TEST(KImageResource, SheetOfTwoFramesIsLaidOutInColumnsAndValidForTwoFramesOnly) {
    RecordingCanvas canvas;  // images come out 1080 x 395
    KImageResource two("Murlan.png", 540, 395, 2);
    two.attach(canvas);
    EXPECT_EQ(two.columns(), 2);
    EXPECT_EQ(two.rows(), 1);
    EXPECT_TRUE(two.isValid());

    KImageResource three("Murlan.png", 540, 395, 3);
    three.attach(canvas);
    EXPECT_FALSE(three.isValid());
    three.drawFrame(canvas, 0, 0, 0);
    EXPECT_EQ(canvas.count(Op::Image), 0);
}

TEST(KImageResource, FramesAreReadRowByRowFromTheirGridCell) {
    RecordingCanvas canvas;
    canvas.imageWidth = 120;
    canvas.imageHeight = 80;
    KImageResource sheet("Murlan.png", 40, 40, 5);  // 3 x 2 cells
    sheet.attach(canvas);
    ASSERT_TRUE(sheet.isValid());
    sheet.drawFrame(canvas, 7, 9, 1);
    sheet.drawFrame(canvas, 0, 0, 4);
    const auto images = canvas.ofKind(Op::Image);
    ASSERT_EQ(images.size(), 2u);
    // handle, sx, sy, sw, sh, dx, dy
    EXPECT_EQ(images[0].v[1], 40);
    EXPECT_EQ(images[0].v[2], 0);
    EXPECT_EQ(images[0].v[3], 40);
    EXPECT_EQ(images[0].v[5], 7);
    EXPECT_EQ(images[0].v[6], 9);
    EXPECT_EQ(images[1].v[1], 40);
    EXPECT_EQ(images[1].v[2], 40);
}

TEST(KImageResource, FrameOneOfTheBackgroundStartsAtX540) {
    RecordingCanvas canvas;
    KImageResource background("Murlan.png", 540, 395, 2);
    background.attach(canvas);
    background.drawFrame(canvas, 0, 0, 1);
    const auto images = canvas.ofKind(Op::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].v[1], 540);
    EXPECT_EQ(images[0].v[3], 540);
    EXPECT_EQ(images[0].v[4], 395);
}

TEST(KImageResource, FramesOutsideTheSheetDrawNothing) {
    RecordingCanvas canvas;
    KImageResource background("Murlan.png", 540, 395, 2);
    background.attach(canvas);
    background.drawFrame(canvas, 0, 0, -1);
    background.drawFrame(canvas, 0, 0, 2);
    background.drawFramePart(canvas, 5, 0, 0, 10, 10, 0, 0);
    EXPECT_EQ(canvas.count(Op::Image), 0);
}

TEST(KImageResource, PartsAreCutAtTheFrameEdgesSoTheNeighbourNeverShows) {
    RecordingCanvas canvas;
    KImageResource background("Murlan.png", 540, 395, 2);
    background.attach(canvas);
    background.drawFramePart(canvas, 0, 500, 380, 100, 30, 0, 0);
    background.drawFramePart(canvas, 1, -10, 0, 30, 10, 0, 0);
    background.drawFramePart(canvas, 0, 540, 0, 10, 10, 0, 0);
    const auto images = canvas.ofKind(Op::Image);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].v[1], 500);
    EXPECT_EQ(images[0].v[3], 40);
    EXPECT_EQ(images[0].v[4], 15);
    // Cut on the left: the destination moves along with the source.
    EXPECT_EQ(images[1].v[1], 540);
    EXPECT_EQ(images[1].v[3], 20);
    EXPECT_EQ(images[1].v[5], 10);
}

TEST(KImageResource, AttachCreatesOnceAndDetachLetsTheNextAttachCreateAgain) {
    RecordingCanvas canvas;
    KImageResource image("MurlanAutoLvl.png", 70, 35, 2);
    image.attach(canvas);
    image.attach(canvas);
    EXPECT_EQ(canvas.count(Op::CreateImage), 1);
    const int handle = image.handle();
    image.detach(canvas);
    EXPECT_EQ(image.handle(), 0);
    EXPECT_FALSE(image.isValid());
    ASSERT_EQ(canvas.count(Op::DeleteImage), 1);
    EXPECT_EQ(canvas.ofKind(Op::DeleteImage)[0].v[0], handle);
    image.detach(canvas);
    EXPECT_EQ(canvas.count(Op::DeleteImage), 1);
    image.attach(canvas);
    EXPECT_EQ(canvas.count(Op::CreateImage), 2);
    EXPECT_TRUE(image.isValid());
}

TEST(KImageResource, MissingBlockIsNeverAttachedNorDrawn) {
    RecordingCanvas canvas;
    KImageResource image("NoSuchImage.png", 10, 10, 1);
    image.attach(canvas);
    image.drawFrame(canvas, 0, 0, 0);
    EXPECT_EQ(canvas.count(Op::CreateImage), 0);
    EXPECT_EQ(canvas.count(Op::Image), 0);
}

TEST(KFontTypeResource, AttachRegistersTheBlockUnderTheFamilyName) {
    RecordingCanvas canvas;
    KAMO::KFontTypeResource font("KSans", "ksans.ttf");
    font.attach(canvas);
    const auto fonts = canvas.ofKind(Op::CreateFont);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].text, "KSans");
    EXPECT_GT(fonts[0].v[0], 1000);

    KAMO::KFontTypeResource missing("KSans", "NoSuch.ttf");
    KAMO::KFontTypeResource unnamed("", "KSans.ttf");
    missing.attach(canvas);
    unnamed.attach(canvas);
    EXPECT_EQ(canvas.count(Op::CreateFont), 1);
}

TEST(KFontTypeResource, NamesAreCutAt63Characters) {
    const std::string longName(100, 'f');
    KAMO::KFontTypeResource font(longName.c_str(), longName.c_str());
    EXPECT_EQ(std::string(font.family()), std::string(63, 'f'));
    EXPECT_EQ(std::string(font.fileName()), std::string(63, 'f'));
}
