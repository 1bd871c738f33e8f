// The canvas drawing for real: nanovg on a GLX context under the test
// display, into a framebuffer read back pixel by pixel.

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include <glad/gl.h>
#define NANOVG_GL2 1
#include "nanovg.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"

#include "editor/KEditorResource.h"
#include "editor/KFont.h"
#include "tools/plughost/EditorImage.h"
#include "xp/ResourceTable.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <array>
#include <memory>

namespace {

class GlSurface {
public:
    GlSurface(int width, int height) : mWidth(width), mHeight(height) {
        mDisplay = XOpenDisplay(nullptr);
        if (!mDisplay) return;
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8,
                            GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE, 8, GLX_STENCIL_SIZE, 8, None};
        mVisual = glXChooseVisual(mDisplay, 0, attributes);
        if (!mVisual) return;
        const Window root = DefaultRootWindow(mDisplay);
        XSetWindowAttributes set{};
        set.colormap = mColormap = XCreateColormap(mDisplay, root, mVisual->visual, AllocNone);
        set.border_pixel = 0;
        mWindow = XCreateWindow(mDisplay, root, 0, 0, width, height, 0, mVisual->depth,
                                InputOutput, mVisual->visual, CWColormap | CWBorderPixel, &set);
        mContext = glXCreateContext(mDisplay, mVisual, nullptr, True);
        if (!mContext || !glXMakeCurrent(mDisplay, mWindow, mContext)) return;
        if (!gladLoaderLoadGL()) return;
        mVg = nvgCreateGL2(NVG_ANTIALIAS);
        if (!mVg) return;
        mFramebuffer = nvgluCreateFramebuffer(mVg, width, height, 0);
        if (!mFramebuffer) return;
        nvgluBindFramebuffer(mFramebuffer);
        glViewport(0, 0, width, height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        canvas.reset(new KAMO::KCanvas(mVg, width, height));
    }
    ~GlSurface() {
        canvas.reset();
        // Its GL objects go with its own context current.
        if (mContext) glXMakeCurrent(mDisplay, mWindow, mContext);
        if (mFramebuffer) nvgluDeleteFramebuffer(mFramebuffer);
        if (mVg) nvgDeleteGL2(mVg);
        if (mContext) {
            glXMakeCurrent(mDisplay, None, nullptr);
            glXDestroyContext(mDisplay, mContext);
        }
        if (mWindow) XDestroyWindow(mDisplay, mWindow);
        if (mColormap) XFreeColormap(mDisplay, mColormap);
        if (mVisual) XFree(mVisual);
        if (mDisplay) XCloseDisplay(mDisplay);
    }

    bool ready() const { return canvas != nullptr; }

    // The pixel at canvas coordinates (GL rows count from the bottom).
    std::array<int, 3> pixel(int x, int y) {
        glFinish();
        unsigned char rgba[4] = {0, 0, 0, 0};
        glReadPixels(x, mHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

    std::unique_ptr<KAMO::KCanvas> canvas;

private:
    int mWidth;
    int mHeight;
    Display* mDisplay = nullptr;
    XVisualInfo* mVisual = nullptr;
    Colormap mColormap = 0;
    Window mWindow = 0;
    GLXContext mContext = nullptr;
    NVGcontext* mVg = nullptr;
    NVGLUframebuffer* mFramebuffer = nullptr;
};

using Rgb = std::array<int, 3>;

#define REQUIRE_SURFACE(surface)                                                  \
    REQUIRE_DISPLAY();                                                            \
    if (!(surface).ready()) GTEST_SKIP() << "no GL context on this display"

} // namespace

TEST(CanvasDrawing, FillRectIsOpaqueWhateverTheAlphaAndFillRectAlphaHonoursIt) {
    GlSurface surface(100, 60);
    REQUIRE_SURFACE(surface);
    const unsigned char invisibleRed[4] = {255, 0, 0, 0};
    surface.canvas->fillRect(0, 0, 50, 60, invisibleRed);
    surface.canvas->fillRectAlpha(50, 0, 50, 60, invisibleRed);
    EXPECT_EQ(surface.pixel(25, 30), (Rgb{255, 0, 0}));
    EXPECT_EQ(surface.pixel(75, 30), (Rgb{0, 0, 0}));
    const unsigned char halfGreen[4] = {0, 255, 0, 128};
    surface.canvas->fillRectAlpha(50, 0, 50, 60, halfGreen);
    const Rgb blended = surface.pixel(75, 30);
    EXPECT_NEAR(blended[1], 128, 3);
}

TEST(CanvasDrawing, EverythingIsClippedToTheClipAndPlacedFromItsOrigin) {
    GlSurface surface(100, 60);
    REQUIRE_SURFACE(surface);
    const unsigned char white[4] = {255, 255, 255, 255};
    surface.canvas->setClip(10, 20, 30, 15);
    surface.canvas->fillRect(-100, -100, 1000, 1000, white);
    EXPECT_EQ(surface.pixel(10, 20), (Rgb{255, 255, 255}));
    EXPECT_EQ(surface.pixel(39, 34), (Rgb{255, 255, 255}));
    EXPECT_EQ(surface.pixel(9, 20), (Rgb{0, 0, 0}));
    EXPECT_EQ(surface.pixel(40, 20), (Rgb{0, 0, 0}));
    EXPECT_EQ(surface.pixel(10, 35), (Rgb{0, 0, 0}));
    const unsigned char blue[4] = {0, 0, 255, 255};
    surface.canvas->fillCircle(blue, 5, 5, 2);  // centred at (15, 25) on the canvas
    EXPECT_EQ(surface.pixel(15, 25), (Rgb{0, 0, 255}));
}

TEST(CanvasDrawing, ImageFramesShowTheirOwnCellOfTheSheetUnscaled) {
    GlSurface surface(540, 395);
    REQUIRE_SURFACE(surface);
    std::uint64_t size = 0;
    const unsigned char* png = XP::findResource("Murlan.png", &size);
    ASSERT_NE(png, nullptr);
    plughost::EditorImage sheet;
    ASSERT_TRUE(sheet.loadPng(png, size));

    KAMO::KImageResource background("Murlan.png", 540, 395, 2);
    background.attach(*surface.canvas);
    ASSERT_TRUE(background.isValid());
    EXPECT_EQ(background.imageWidth(), 1080);
    background.drawFrame(*surface.canvas, 0, 0, 1);
    int mismatches = 0;
    for (int y = 5; y < 395; y += 37)
        for (int x = 3; x < 540; x += 41) {
            const Rgb got = surface.pixel(x, y);
            const auto want = sheet.at(540 + x, y);
            if (std::abs(got[0] - want.r) > 2 || std::abs(got[1] - want.g) > 2 ||
                std::abs(got[2] - want.b) > 2)
                ++mismatches;
        }
    EXPECT_EQ(mismatches, 0);
    background.detach(*surface.canvas);
    EXPECT_EQ(background.handle(), 0);
}

TEST(CanvasDrawing, InstalledFontDrawsTextInTheFontColour) {
    GlSurface surface(120, 40);
    REQUIRE_SURFACE(surface);
    KAMO::KFontTypeResource family("KSans", "KSans.ttf");
    family.attach(*surface.canvas);
    const unsigned char yellow[4] = {255, 255, 0, 255};
    KAMO::KFont font(yellow, 30, "KSans");
    surface.canvas->drawText("MMM", 0, 0, 120, 40, &font, KAMO::KCanvas::kAlignCentre);
    int lit = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            const Rgb p = surface.pixel(x, y);
            if (p[0] > 200 && p[1] > 200 && p[2] < 60) ++lit;
        }
    EXPECT_GT(lit, 100);

    // A family that was never installed draws nothing at all.
    GlSurface plain(120, 40);
    KAMO::KFont unknown(yellow, 30, "NoSuchFamily");
    plain.canvas->drawText("MMM", 0, 0, 120, 40, &unknown, KAMO::KCanvas::kAlignCentre);
    EXPECT_EQ(plain.pixel(60, 22), (Rgb{0, 0, 0}));
}
