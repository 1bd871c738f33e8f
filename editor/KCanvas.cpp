#include "editor/KCanvas.h"

#include "editor/KFont.h"
#include "editor/KUiScale.h"

#include "nanovg.h"

#include <climits>
#include <cmath>

namespace KAMO {

namespace {

NVGcolor toColour(const unsigned char* c, bool useAlpha) {
    return nvgRGBA(c[0], c[1], c[2], useAlpha ? c[3] : 255);
}

}  // namespace

KCanvas::KCanvas(NVGcontext* context, int width, int height, float scale)
    : mContext(context),
      mWidth(width > 0 ? width : 0),
      mHeight(height > 0 ? height : 0),
      mScale(scale >= KUiScale::kMinimum && scale <= KUiScale::kMaximum ? scale : 1.0f),
      mDeviceWidth(KUiScale::toDevice(mWidth, mScale)),
      mDeviceHeight(KUiScale::toDevice(mHeight, mScale)),
      mClipWidth(mWidth),
      mClipHeight(mHeight) {}

void KCanvas::setScale(float scale) {
    mScale = scale >= KUiScale::kMinimum && scale <= KUiScale::kMaximum ? scale : 1.0f;
    mDeviceWidth = KUiScale::toDevice(mWidth, mScale);
    mDeviceHeight = KUiScale::toDevice(mHeight, mScale);
}

float KCanvas::snap(float v) const {
    // Whole numbers stay exact at factor 1, so nothing moves there.
    return mScale == 1.0f ? v : std::round(v * mScale) / mScale;
}

void KCanvas::setImageDensity(int handle, int density) {
    for (auto it = mDensities.begin(); it != mDensities.end(); ++it)
        if (it->first == handle) {
            mDensities.erase(it);
            break;
        }
    if (handle > 0 && density > 1) mDensities.emplace_back(handle, density);
}

int KCanvas::imageDensity(int handle) const {
    for (const auto& entry : mDensities)
        if (entry.first == handle) return entry.second;
    return 1;
}

void KCanvas::setClip(int x, int y, int width, int height) {
    if (x < 0) x = 0;
    if (x > mWidth) x = mWidth;
    if (y < 0) y = 0;
    if (y > mHeight) y = mHeight;
    // Compared in 64 bits: a huge width must not wrap into a small one.
    if (static_cast<long long>(x) + width > mWidth) width = mWidth - x;
    if (static_cast<long long>(y) + height > mHeight) height = mHeight - y;
    mClipX = x;
    mClipY = y;
    mClipWidth = width;
    mClipHeight = height;
}

void KCanvas::resetClip() {
    mClipX = 0;
    mClipY = 0;
    mClipWidth = mWidth;
    mClipHeight = mHeight;
}

bool KCanvas::beginPrimitive() {
    if (!mContext) return false;
    // The frame spans the device surface in skin units, so that the factor
    // maps skin coordinates onto it exactly.
    nvgBeginFrame(mContext, static_cast<float>(mDeviceWidth) / mScale,
                  static_cast<float>(mDeviceHeight) / mScale, mScale);
    // Full-canvas drawing goes without a scissor.
    if (mClipWidth < mWidth || mClipHeight < mHeight) {
        const float left = snap(static_cast<float>(mClipX));
        const float top = snap(static_cast<float>(mClipY));
        nvgScissor(mContext, left, top, snap(static_cast<float>(mClipX + mClipWidth)) - left,
                   snap(static_cast<float>(mClipY + mClipHeight)) - top);
    }
    nvgBeginPath(mContext);
    return true;
}

void KCanvas::endPrimitive() { nvgEndFrame(mContext); }

void KCanvas::fillPath(const unsigned char* colour, bool useAlpha) {
    nvgFillColor(mContext, toColour(colour, useAlpha));
    nvgFill(mContext);
    endPrimitive();
}

void KCanvas::strokePath(const unsigned char* colour, float width) {
    nvgStrokeColor(mContext, toColour(colour, true));
    nvgStrokeWidth(mContext, width);
    nvgStroke(mContext);
    endPrimitive();
}

void KCanvas::fillRect(int x, int y, int width, int height, const unsigned char* colour) {
    if (!colour || !beginPrimitive()) return;
    addRect(x + mClipX, y + mClipY, width, height);
    fillPath(colour, false);
}

void KCanvas::fillRectAlpha(int x, int y, int width, int height, const unsigned char* colour) {
    if (!colour || !beginPrimitive()) return;
    addRect(x + mClipX, y + mClipY, width, height);
    fillPath(colour, true);
}

void KCanvas::addRect(int x, int y, int width, int height) {
    const float left = snap(static_cast<float>(x));
    const float top = snap(static_cast<float>(y));
    nvgRect(mContext, left, top, snap(static_cast<float>(x) + static_cast<float>(width)) - left,
            snap(static_cast<float>(y) + static_cast<float>(height)) - top);
}

void KCanvas::drawHLine(int x1, int y, int x2, const unsigned char* colour) {
    drawLine(colour, x1, y, x2, y, 1.0);
}

void KCanvas::drawVLine(int x, int y1, int y2, const unsigned char* colour) {
    drawLine(colour, x, y1, x, y2, 1.0);
}

void KCanvas::drawLine(const unsigned char* colour, double x1, double y1, double x2, double y2,
                       double width) {
    if (!colour || !beginPrimitive()) return;
    nvgMoveTo(mContext, static_cast<float>(x1 + mClipX), static_cast<float>(y1 + mClipY));
    nvgLineTo(mContext, static_cast<float>(x2 + mClipX), static_cast<float>(y2 + mClipY));
    strokePath(colour, static_cast<float>(width));
}

void KCanvas::fillCircle(const unsigned char* colour, double cx, double cy, double radius) {
    if (!colour || !beginPrimitive()) return;
    nvgCircle(mContext, static_cast<float>(cx + mClipX), static_cast<float>(cy + mClipY),
              static_cast<float>(radius));
    fillPath(colour, true);
}

void KCanvas::textAnchor(int x, int y, int width, int height, int align, float* ax,
                         float* ay) const {
    float anchorX;
    if (align == kAlignLeft)
        anchorX = static_cast<float>(x);
    else if (align == kAlignRight)
        anchorX = static_cast<float>(x) + static_cast<float>(width);
    else
        anchorX = static_cast<float>(x) + static_cast<float>(width) * 0.5f;
    // Middle alignment at 0.55 of the box puts the text's middle slightly
    // below the box centre; roundf rounds halves away from zero.
    *ax = std::round(anchorX + static_cast<float>(mClipX));
    *ay = std::round(static_cast<float>(height) * 0.55f + static_cast<float>(y) +
                     static_cast<float>(mClipY) + 0.5f);
}

void KCanvas::drawText(const char* text, int x, int y, int width, int height, const KFont* font,
                       int align) {
    if (!text || !font) return;
    float ax = 0, ay = 0;
    textAnchor(x, y, width, height, align, &ax, &ay);
    const int canvasAlign = (align == kAlignLeft || align == kAlignRight) ? align : kAlignCentre;
    paintText(text, ax, ay, canvasAlign, *font);
}

void KCanvas::paintText(const char* text, float ax, float ay, int align, const KFont& font) {
    if (!beginPrimitive()) return;
    int nvgAlign = NVG_ALIGN_CENTER;
    if (align == kAlignLeft) nvgAlign = NVG_ALIGN_LEFT;
    if (align == kAlignRight) nvgAlign = NVG_ALIGN_RIGHT;
    nvgFontBlur(mContext, 0.0f);
    nvgFontSize(mContext, static_cast<float>(font.fontSize()));
    nvgFontFace(mContext, font.family());
    nvgTextAlign(mContext, nvgAlign | NVG_ALIGN_MIDDLE);
    nvgFillColor(mContext, toColour(font.colour(), true));
    nvgText(mContext, ax, ay, text, nullptr);
    endPrimitive();
}

void KCanvas::drawImage(int handle, int sx, int sy, int sw, int sh, int dx, int dy) {
    if (handle < 1 || !mContext) return;
    int imageWidth = 0, imageHeight = 0;
    if (!imageSize(handle, &imageWidth, &imageHeight) || imageWidth <= 0 || imageHeight <= 0)
        return;
    const float left = static_cast<float>(dx + mClipX);
    const float top = static_cast<float>(dy + mClipY);
    const float density = static_cast<float>(imageDensity(handle));
    if (!beginPrimitive()) return;
    // The pattern spans the whole image, placed so that the source corner
    // lands on the destination point.
    const NVGpaint pattern =
        nvgImagePattern(mContext, left - static_cast<float>(sx), top - static_cast<float>(sy),
                        static_cast<float>(imageWidth) / density,
                        static_cast<float>(imageHeight) / density, 0.0f, handle, 1.0f);
    addRect(dx + mClipX, dy + mClipY, sw, sh);
    nvgFillPaint(mContext, pattern);
    nvgFill(mContext);
    endPrimitive();
}

int KCanvas::createImage(const unsigned char* data, int size) {
    if (!mContext || !data || size <= 0) return 0;
    // nanovg only reads the bytes, although its signature says otherwise.
    return nvgCreateImageMem(mContext, 0, const_cast<unsigned char*>(data), size);
}

bool KCanvas::imageSize(int handle, int* width, int* height) {
    if (!mContext || handle < 1) return false;
    nvgImageSize(mContext, handle, width, height);
    return true;
}

void KCanvas::deleteImage(int handle) {
    setImageDensity(handle, 1);
    if (mContext && handle > 0) nvgDeleteImage(mContext, handle);
}

int KCanvas::createFont(const char* family, const unsigned char* data, int size) {
    if (!mContext || !family || !data || size <= 0) return -1;
    // Free flag 0: the bytes belong to the resource table and stay put.
    return nvgCreateFontMem(mContext, family, const_cast<unsigned char*>(data), size, 0);
}

}  // namespace KAMO
