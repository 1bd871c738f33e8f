// The canvas drawing for real: nanovg on a GLX context of the test display,
// into a framebuffer read back pixel by pixel.

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include <glad/gl.h>
#define NANOVG_GL2 1
#include "nanovg.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"

#include "editor/KEditorResource.h"
#include "editor/KEditorWindow.h"
#include "editor/KFont.h"
#include "editor/KUiScale.h"
#include "tools/plughost/EditorImage.h"
#include "xp/ResourceTable.h"

#include <GL/glx.h>

#include <array>
#include <vector>

namespace {

using Rgb = std::array<int, 3>;

class GlSurface {
public:
    // A canvas of width x height skin pixels on a surface `scale` times as
    // large in device pixels.
    GlSurface(int width, int height, float scale = 1.0f)
        : mHeight(KAMO::KUiScale::toDevice(height, scale)) {
        const int deviceWidth = KAMO::KUiScale::toDevice(width, scale);
        if (!EditorTest::haveDisplay() || !(mDisplay = XOpenDisplay(nullptr))) return;
        // The editor's own visual, so that the canvas draws as it does there.
        std::array<int, 15> attributes = KAMO::KEditorWindow::visualAttributes();
        if (!(mVisual = glXChooseVisual(mDisplay, 0, attributes.data()))) return;
        XSetWindowAttributes set{};
        set.colormap =
            XCreateColormap(mDisplay, DefaultRootWindow(mDisplay), mVisual->visual, AllocNone);
        mWindow = XCreateWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, deviceWidth, mHeight,
                                0, mVisual->depth, InputOutput, mVisual->visual,
                                CWColormap | CWBorderPixel, &set);
        mContext = glXCreateContext(mDisplay, mVisual, nullptr, True);
        if (!mContext || !glXMakeCurrent(mDisplay, mWindow, mContext) || !gladLoaderLoadGL())
            return;
        if (!(mVg = nvgCreateGL2(NVG_ANTIALIAS))) return;
        if (!(mFramebuffer = nvgluCreateFramebuffer(mVg, deviceWidth, mHeight, 0))) return;
        nvgluBindFramebuffer(mFramebuffer);
        glViewport(0, 0, deviceWidth, mHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        canvas.reset(new KAMO::KCanvas(mVg, width, height, scale));
    }
    ~GlSurface() {
        canvas.reset();
        if (mFramebuffer) nvgluDeleteFramebuffer(mFramebuffer);
        if (mVg) nvgDeleteGL2(mVg);
        if (mContext)
            glXMakeCurrent(mDisplay, None, nullptr), glXDestroyContext(mDisplay, mContext);
        if (mVisual) XFree(mVisual);
        if (mDisplay) XCloseDisplay(mDisplay);  // takes the window and colormap along
    }

    // The pixel at device coordinates (GL rows count from the bottom).
    Rgb pixel(int x, int y) {
        unsigned char rgba[4] = {0, 0, 0, 0};
        glReadPixels(x, mHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

    // Every pixel, bottom row first.
    std::vector<unsigned char> all() {
        const int width = canvas->deviceWidth();
        std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * mHeight * 4);
        glReadPixels(0, 0, width, mHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    std::unique_ptr<KAMO::KCanvas> canvas;

private:
    int mHeight;
    Display* mDisplay = nullptr;
    XVisualInfo* mVisual = nullptr;
    Window mWindow = 0;
    GLXContext mContext = nullptr;
    NVGcontext* mVg = nullptr;
    NVGLUframebuffer* mFramebuffer = nullptr;
};

#define REQUIRE_SURFACE(surface) \
    if (!(surface).canvas) GTEST_SKIP() << "no GL context on an X display"

}  // namespace

TEST(CanvasDrawing, RectanglesAreClippedAndOpaqueUnlessTheAlphaKindIsAsked) {
    GlSurface surface(100, 60);
    REQUIRE_SURFACE(surface);
    const unsigned char invisibleRed[4] = {255, 0, 0, 0}, halfGreen[4] = {0, 255, 0, 128};
    surface.canvas->fillRect(0, 0, 50, 60, invisibleRed);
    surface.canvas->fillRectAlpha(50, 0, 50, 60, invisibleRed);
    EXPECT_EQ(surface.pixel(25, 30), (Rgb{255, 0, 0}));
    EXPECT_EQ(surface.pixel(75, 30), (Rgb{0, 0, 0}));
    surface.canvas->fillRectAlpha(50, 0, 50, 60, halfGreen);
    EXPECT_NEAR(surface.pixel(75, 30)[1], 128, 3);

    const unsigned char white[4] = {255, 255, 255, 255}, blue[4] = {0, 0, 255, 255};
    surface.canvas->setClip(10, 20, 30, 15);
    surface.canvas->fillRect(-100, -100, 1000, 1000, white);
    surface.canvas->fillCircle(blue, 5, 5, 2);  // centred at (15, 25) of the canvas
    EXPECT_EQ(surface.pixel(39, 34), (Rgb{255, 255, 255}));
    EXPECT_EQ(surface.pixel(15, 25), (Rgb{0, 0, 255}));
    for (auto outside : {std::array<int, 2>{9, 20}, {40, 20}, {10, 35}})
        EXPECT_EQ(surface.pixel(outside[0], outside[1])[2], 0);  // still red, not white
}

TEST(CanvasDrawing, InstalledFontDrawsTextInTheFontColourAndAnUnknownOneNothing) {
    GlSurface surface(120, 40);
    REQUIRE_SURFACE(surface);
    KAMO::KFontTypeResource("KSans", "KSans.ttf").attach(*surface.canvas);
    const unsigned char yellow[4] = {255, 255, 0, 255};
    KAMO::KFont unknown(yellow, 30, "NoSuchFamily"), font(yellow, 30, "KSans");
    surface.canvas->drawText("MMM", 0, 0, 120, 40, &unknown, 1);
    EXPECT_EQ(surface.pixel(60, 22), (Rgb{0, 0, 0}));
    surface.canvas->drawText("MMM", 0, 0, 120, 40, &font, 1);
    int lit = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            const Rgb p = surface.pixel(x, y);
            lit += p[0] > 200 && p[1] > 200 && p[2] < 60;
        }
    EXPECT_GT(lit, 100);
}

TEST(CanvasDrawing, ImageFrameShowsItsOwnCellOfTheSheetPixelForPixelAtScaleOneAndTwo) {
    // At 2 the sheet's dense twin is drawn, with sizes still in skin pixels.
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        GlSurface surface(540, 395, static_cast<float>(scale));
        REQUIRE_SURFACE(surface);
        std::uint64_t size = 0;
        const char* name = scale == 1 ? "Murlan.png" : "Murlan@2x.png";
        const unsigned char* png = XP::findResource(name, &size);
        plughost::EditorImage sheet;
        ASSERT_TRUE(sheet.loadPng(png, size));
        KAMO::KImageResource background("Murlan.png", 540, 395, 3);
        background.attach(*surface.canvas);
        ASSERT_TRUE(background.isValid());
        EXPECT_EQ(background.density(), scale);
        EXPECT_EQ(background.imageWidth(), 1620);
        EXPECT_EQ(background.imageHeight(), 395);
        background.drawFrame(*surface.canvas, 0, 0, 1);
        int mismatches = 0;
        for (int y = 5; y < 395 * scale; y += 37)
            for (int x = 3; x < 540 * scale; x += 41) {
                const Rgb got = surface.pixel(x, y);
                const auto want = sheet.at(540 * scale + x, y);
                mismatches += std::abs(got[0] - want.r) > 2 || std::abs(got[1] - want.g) > 2 ||
                              std::abs(got[2] - want.b) > 2;
            }
        EXPECT_EQ(mismatches, 0);
        background.detach(*surface.canvas);
        EXPECT_EQ(surface.canvas->imageDensity(background.handle()), 1);
    }
}

TEST(CanvasDrawing, RestoringTheBackgroundUnderAControlAtAFractionalScaleLeavesNoSeams) {
    // At 1.25 skin edges fall between device pixels; a restore that covered
    // an edge pixel only partly would darken it a little more each time.
    GlSurface surface(540, 395, 1.25f);
    REQUIRE_SURFACE(surface);
    KAMO::KImageResource background("Murlan.png", 540, 395, 3);
    background.attach(*surface.canvas);
    ASSERT_TRUE(background.isValid());
    background.drawFrame(*surface.canvas, 0, 0, 0);
    const std::vector<unsigned char> before = surface.all();
    const unsigned char black[4] = {0, 0, 0, 255};
    for (int i = 0; i < 8; ++i) {
        surface.canvas->setClip(130, 131, 41, 39);
        surface.canvas->fillRect(0, 0, 41, 39, black);
        background.drawFramePart(*surface.canvas, 0, 130, 131, 41, 39, 0, 0);
        surface.canvas->resetClip();
    }
    const std::vector<unsigned char> after = surface.all();
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) changed += std::abs(before[i] - after[i]) > 1;
    EXPECT_EQ(changed, 0);
}
