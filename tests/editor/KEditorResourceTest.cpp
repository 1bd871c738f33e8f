#include "EditorTestSupport.h"

#include "editor/KEditorResource.h"

#include <gtest/gtest.h>

#include <array>

using EditorTest::Op;
using KAMO::KImageResource;

namespace {
// handle, sx, sy, sw, sh, dx, dy of a recorded image operation.
std::array<int, 7> image(const Op& op) {
    return {op.v[0], op.v[1], op.v[2], op.v[3], op.v[4], op.v[5], op.v[6]};
}
}  // namespace

TEST(KColourResource, ComponentsKeepTheirLowEightBits) {
    KAMO::KColourResource colour(300, -1, 255, 256);
    EXPECT_EQ((std::array<int, 4>{colour.colour()[0], colour.colour()[1], colour.colour()[2],
                                  colour.colour()[3]}),
              (std::array<int, 4>{44, 255, 255, 0}));
}

TEST(KImageResource, ValidOnlyWhenTheGridHoldsEveryDeclaredFrame) {
    EditorTest::RecordingCanvas canvas;  // 1080 x 395 images
    KImageResource two("Murlan.png", 540, 395, 2), three("Murlan.png", 540, 395, 3);
    two.attach(canvas);
    three.attach(canvas);
    EXPECT_EQ(two.columns(), 2);
    EXPECT_EQ(two.rows(), 1);
    EXPECT_TRUE(two.isValid());
    EXPECT_FALSE(three.isValid());
    three.drawFrame(canvas, 0, 0, 0);
    EXPECT_EQ(canvas.count(Op::Image), 0);
}

TEST(KImageResource, FramesComeFromTheirCellRowByRowAndOthersDrawNothing) {
    EditorTest::RecordingCanvas canvas;
    KImageResource background("Murlan.png", 540, 395, 2);
    background.attach(canvas);
    background.drawFrame(canvas, 7, 9, 1);
    background.drawFrame(canvas, 0, 0, -1);
    background.drawFrame(canvas, 0, 0, 2);
    canvas.imageWidth = 120, canvas.imageHeight = 80;
    KImageResource grid("Murlan.png", 40, 40, 5);  // 3 x 2 cells
    grid.attach(canvas);
    grid.drawFrame(canvas, 0, 0, 4);
    const auto images = canvas.ofKind(Op::Image);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(image(images[0]), (std::array<int, 7>{1, 540, 0, 540, 395, 7, 9}));
    EXPECT_EQ(image(images[1]), (std::array<int, 7>{2, 40, 40, 40, 40, 0, 0}));
}

TEST(KImageResource, PartsAreCutAtTheFrameEdgesSoTheNeighbourNeverShows) {
    EditorTest::RecordingCanvas canvas;
    KImageResource background("Murlan.png", 540, 395, 2);
    background.attach(canvas);
    background.drawFramePart(canvas, 0, 500, 380, 100, 30, 0, 0);
    background.drawFramePart(canvas, 1, -10, 0, 30, 10, 0, 0);  // destination moves along
    background.drawFramePart(canvas, 0, 540, 0, 10, 10, 0, 0);  // nothing left
    const auto images = canvas.ofKind(Op::Image);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(image(images[0]), (std::array<int, 7>{1, 500, 380, 40, 15, 0, 0}));
    EXPECT_EQ(image(images[1]), (std::array<int, 7>{1, 540, 0, 20, 10, 10, 0}));
}

TEST(KImageResource, AttachCreatesOnceAndDetachLetsTheNextAttachCreateAgain) {
    EditorTest::RecordingCanvas canvas;
    KImageResource image("MurlanAutoLvl.png", 70, 35, 2), missing("NoSuch.png", 10, 10, 1);
    image.attach(canvas);
    image.attach(canvas);
    missing.attach(canvas);
    EXPECT_EQ(canvas.count(Op::CreateImage), 1);
    EXPECT_FALSE(missing.isValid());
    image.detach(canvas);
    image.detach(canvas);
    EXPECT_EQ(canvas.count(Op::DeleteImage), 1);
    EXPECT_FALSE(image.isValid());
    image.attach(canvas);
    EXPECT_EQ(canvas.count(Op::CreateImage), 2);
    EXPECT_TRUE(image.isValid());
}

TEST(KFontTypeResource, AttachRegistersTheWholeBlockUnderTheFamilyName) {
    EditorTest::RecordingCanvas canvas;
    KAMO::KFontTypeResource font("KSans", "ksans.ttf"), missing("KSans", "NoSuch.ttf"),
        unnamed("", "KSans.ttf");
    font.attach(canvas);
    missing.attach(canvas);
    unnamed.attach(canvas);
    const auto fonts = canvas.ofKind(Op::CreateFont);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].text, "KSans");
    EXPECT_GT(fonts[0].v[0], 1000);
    const std::string longName(100, 'f');
    EXPECT_EQ(KAMO::KFontTypeResource(longName.c_str(), "").family(), std::string(63, 'f'));
}

TEST(KImageResource, ScaledCanvasesTakeTheDenseTwinOnlyWhenItHoldsTheSameGridAtTwiceTheSize) {
    char name[80];
    ASSERT_TRUE(KImageResource::denseName("Murlan.png", name, sizeof name));
    EXPECT_STREQ(name, "Murlan@2x.png");
    ASSERT_TRUE(KImageResource::denseName("NoExtension", name, sizeof name));
    EXPECT_STREQ(name, "NoExtension@2x");
    EXPECT_FALSE(KImageResource::denseName("Murlan.png", name, 13));  // no room for the terminator

    EditorTest::RecordingCanvas plain, scaled(1.5f);
    KImageResource atOne("Murlan.png", 540, 395, 2), atScale("Murlan.png", 540, 395, 2);
    atOne.attach(plain);
    EXPECT_EQ(atOne.density(), 1);
    scaled.imageWidth = 2160, scaled.imageHeight = 790;
    atScale.attach(scaled);
    EXPECT_EQ(scaled.count(Op::CreateImage), 1);
    EXPECT_EQ(atScale.density(), 2);
    EXPECT_EQ(scaled.imageDensity(atScale.handle()), 2);
    EXPECT_EQ(atScale.imageWidth(), 1080);
    atScale.drawFrame(scaled, 0, 0, 1);  // positions stay in skin pixels
    EXPECT_EQ(image(scaled.ofKind(Op::Image).at(0)),
              (std::array<int, 7>{1, 540, 0, 540, 395, 0, 0}));
    atScale.detach(scaled);
    EXPECT_EQ(scaled.imageDensity(1), 1);

    // A twin whose size is not twice the grid is given back; the plain sheet serves.
    scaled.imageWidth = 1080, scaled.imageHeight = 395;
    atScale.attach(scaled);
    EXPECT_EQ(scaled.count(Op::CreateImage), 3);
    EXPECT_EQ(scaled.count(Op::DeleteImage), 2);
    EXPECT_EQ(atScale.density(), 1);
    EXPECT_TRUE(atScale.isValid());
    // Without a twin at all, likewise.
    KImageResource single("MurlanSkin.txt", 540, 395, 2);
    single.attach(scaled);
    EXPECT_EQ(single.density(), 1);
    EXPECT_TRUE(single.isValid());
}
