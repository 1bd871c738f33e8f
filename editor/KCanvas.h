#pragma once
// The drawing interface of controls, resources and the skin: a handful of
// primitives in integer editor coordinates over a nanovg context that draws
// into the editor's offscreen framebuffer. Positions are relative to the
// clip origin, and everything is clipped to the clip rectangle that the skin
// sets to the rectangle of the control being drawn. Each primitive is one
// complete nanovg frame, so any control can repaint just itself at any time.
//
// On a high-density screen the canvas draws the same skin coordinates at a
// scale: the nanovg frame gets the factor as its pixel ratio (text is
// rasterised at the scaled size), and the edges of rectangles, images and
// the clip fall on whole device pixels, so that partial repaints of a
// control leave no half-covered seams around it.
//
// The operations are virtual although the editor has only this one canvas:
// tests substitute a recording canvas for it, and the image and font entry
// points let resources be attached without a GL context in those tests.

#include <utility>
#include <vector>

struct NVGcontext;

namespace KAMO {

class KFont;

class KCanvas {
public:
    enum Align { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

    // The context is not owned and may be null, in which case nothing draws.
    // Width and height are in skin pixels; the surface drawn into has
    // KUiScale::toDevice of them in device pixels.
    KCanvas(NVGcontext* context, int width, int height, float scale = 1.0f);
    virtual ~KCanvas() = default;
    KCanvas(const KCanvas&) = delete;
    KCanvas& operator=(const KCanvas&) = delete;

    // Draws from now on at another factor (one outside 1 to 4 is 1): the
    // surface it draws into is replaced by one of the new device size.
    void setScale(float scale);

    // The origin is clamped into the canvas and the size cut at its right and
    // bottom edges.
    virtual void setClip(int x, int y, int width, int height);
    virtual void resetClip();

    // Colours are four bytes red, green, blue, alpha; a null colour draws
    // nothing. fillRect ignores the alpha and paints opaquely.
    virtual void fillRect(int x, int y, int width, int height, const unsigned char* colour);
    virtual void fillRectAlpha(int x, int y, int width, int height, const unsigned char* colour);
    virtual void drawHLine(int x1, int y, int x2, const unsigned char* colour);
    virtual void drawVLine(int x, int y1, int y2, const unsigned char* colour);
    virtual void drawLine(const unsigned char* colour, double x1, double y1, double x2, double y2,
                          double width);
    virtual void fillCircle(const unsigned char* colour, double cx, double cy, double radius);
    // One line of text in the box, vertically a little below its middle.
    virtual void drawText(const char* text, int x, int y, int width, int height, const KFont* font,
                          int align);
    // The source rectangle of the image, unscaled, at the destination point.
    virtual void drawImage(int handle, int sx, int sy, int sw, int sh, int dx, int dy);

    // Images and fonts of the drawing context (0 or less when none).
    virtual int createImage(const unsigned char* data, int size);
    virtual bool imageSize(int handle, int* width, int* height);
    virtual void deleteImage(int handle);
    virtual int createFont(const char* family, const unsigned char* data, int size);
    // An image drawn at `density` image pixels per skin pixel (its size in
    // skin pixels is its pixel size divided by the density); 1 unless said.
    void setImageDensity(int handle, int density);
    int imageDensity(int handle) const;

    // Where drawText puts the anchor of its text (canvas coordinates), and the
    // horizontal alignment it uses there.
    void textAnchor(int x, int y, int width, int height, int align, float* ax, float* ay) const;

    int clipX() const { return mClipX; }
    int clipY() const { return mClipY; }
    int clipWidth() const { return mClipWidth; }
    int clipHeight() const { return mClipHeight; }
    int width() const { return mWidth; }
    int height() const { return mHeight; }
    float scale() const { return mScale; }
    int deviceWidth() const { return mDeviceWidth; }
    int deviceHeight() const { return mDeviceHeight; }
    NVGcontext* context() const { return mContext; }

protected:
    // Draws the text at an anchor already in canvas coordinates; align is
    // the canvas alignment (left, centre, right), always vertically middle.
    virtual void paintText(const char* text, float ax, float ay, int align, const KFont& font);

private:
    // Opens the frame of one primitive, with a scissor when clipped.
    bool beginPrimitive();
    void endPrimitive();
    void fillPath(const unsigned char* colour, bool useAlpha);
    void strokePath(const unsigned char* colour, float width);
    // A rectangle whose edges are snapped to device pixels.
    void addRect(int x, int y, int width, int height);
    // A skin coordinate moved to the nearest device pixel edge.
    float snap(float v) const;

    NVGcontext* mContext;
    int mWidth;
    int mHeight;
    float mScale;
    int mDeviceWidth;
    int mDeviceHeight;
    // Handles of images whose density is not 1, with their density.
    std::vector<std::pair<int, int>> mDensities;
    int mClipX = 0;
    int mClipY = 0;
    int mClipWidth;
    int mClipHeight;
};

}  // namespace KAMO
