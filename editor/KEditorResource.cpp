#include "editor/KEditorResource.h"

#include "editor/KCanvas.h"
#include "editor/KFont.h"
#include "xp/ResourceTable.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace KAMO {

namespace {

void copyText(char* out, const char* text, int length) {
    std::strncpy(out, text ? text : "", static_cast<std::size_t>(length));
    out[length] = 0;
}

// A block of the resource table as the drawing library wants it: a pointer
// and an int size. Answers null for a missing, empty or oversized block.
const unsigned char* findBlock(const char* name, int* size) {
    std::uint64_t bytes = 0;
    const unsigned char* data = XP::findResource(name, &bytes);
    if (!data || bytes == 0 || bytes > static_cast<std::uint64_t>(INT_MAX)) return nullptr;
    *size = static_cast<int>(bytes);
    return data;
}

}  // namespace

KColourResource::KColourResource(int red, int green, int blue, int alpha)
    : mColour{static_cast<unsigned char>(red & 0xff), static_cast<unsigned char>(green & 0xff),
              static_cast<unsigned char>(blue & 0xff), static_cast<unsigned char>(alpha & 0xff)} {}

KFontResource::KFontResource(KFont* font) : mFont(font) {}

KFontResource::~KFontResource() { delete mFont; }

KFontTypeResource::KFontTypeResource(const char* family, const char* fileName) {
    copyText(mFamily, family, kTextLength);
    copyText(mFileName, fileName, kTextLength);
}

void KFontTypeResource::attach(KCanvas& canvas) {
    if (!mFileName[0] || !mFamily[0]) return;
    int size = 0;
    const unsigned char* data = findBlock(mFileName, &size);
    if (!data) return;
    // Text is drawn by family name, so the font id is not kept.
    canvas.createFont(mFamily, data, size);
}

KImageResource::KImageResource(const char* fileName, int frameWidth, int frameHeight,
                               int frameCount)
    : mFrameWidth(frameWidth), mFrameHeight(frameHeight), mFrameCount(frameCount) {
    copyText(mFileName, fileName, kTextLength);
}

void KImageResource::attach(KCanvas& canvas) {
    if (mHandle > 0) return;
    if (canvas.scale() > 1.0f && attachSheet(canvas, kDenseDensity)) return;
    attachSheet(canvas, 1);
}

void KImageResource::rescale(KCanvas& canvas) {
    if (mHandle <= 0 || (canvas.scale() > 1.0f) == (mDensity > 1)) return;
    detach(canvas);
    attach(canvas);
}

bool KImageResource::attachSheet(KCanvas& canvas, int density) {
    char name[kTextLength + 8];
    if (density == 1)
        std::strcpy(name, mFileName);
    else if (!denseName(mFileName, name, sizeof name))
        return false;
    int size = 0;
    const unsigned char* data = findBlock(name, &size);
    if (!data) return false;
    const int handle = canvas.createImage(data, size);
    if (handle <= 0) return false;
    int width = 0, height = 0;
    if (!canvas.imageSize(handle, &width, &height)) width = height = 0;
    // A dense sheet must hold the same grid at exactly its density, or the
    // plain one is used after all.
    if (density > 1 && (width <= 0 || height <= 0 || width % density || height % density)) {
        canvas.deleteImage(handle);
        return false;
    }
    mHandle = handle;
    mImageWidth = width / density;
    mImageHeight = height / density;
    mColumns = mFrameWidth >= 1 ? mImageWidth / mFrameWidth : 0;
    mRows = mFrameHeight >= 1 ? mImageHeight / mFrameHeight : 0;
    if (density > 1 && !isValid()) {
        detach(canvas);
        return false;
    }
    mDensity = density;
    canvas.setImageDensity(mHandle, density);
    return true;
}

bool KImageResource::denseName(const char* fileName, char* out, std::size_t size) {
    // "Murlan.png" -> "Murlan@2x.png": the suffix goes before the extension.
    const char* dot = std::strrchr(fileName, '.');
    const std::size_t stem = dot ? static_cast<std::size_t>(dot - fileName) : std::strlen(fileName);
    const int written = std::snprintf(out, size, "%.*s@%dx%s", static_cast<int>(stem), fileName,
                                      kDenseDensity, dot ? dot : "");
    return written > 0 && static_cast<std::size_t>(written) < size;
}

void KImageResource::detach(KCanvas& canvas) {
    if (mHandle > 0) {
        canvas.setImageDensity(mHandle, 1);
        canvas.deleteImage(mHandle);
    }
    mHandle = 0;
    mDensity = 1;
}

bool KImageResource::isValid() const {
    if (mHandle <= 0 || mFrameWidth <= 0 || mFrameHeight <= 0 || mImageWidth <= 0 ||
        mImageHeight <= 0)
        return false;
    // In 64 bits: a grid of two large counts must not wrap.
    return static_cast<long long>(mColumns) * mRows >= mFrameCount;
}

void KImageResource::drawFrame(KCanvas& canvas, int x, int y, int i) const {
    drawFramePart(canvas, i, 0, 0, mFrameWidth, mFrameHeight, x, y);
}

void KImageResource::drawFramePart(KCanvas& canvas, int i, int sx, int sy, int sw, int sh, int dx,
                                   int dy) const {
    if (!isValid() || i < 0 || i >= mFrameCount || mColumns < 1) return;
    // A part that reaches beyond the frame would show its neighbour in the
    // sheet: cut it at the frame's edges and move the destination along.
    if (sx < 0) {
        dx -= sx;
        sw += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        sh += sy;
        sy = 0;
    }
    if (sw > mFrameWidth - sx) sw = mFrameWidth - sx;
    if (sh > mFrameHeight - sy) sh = mFrameHeight - sy;
    if (sw <= 0 || sh <= 0) return;
    const int left = mFrameWidth * (i % mColumns) + sx;
    const int top = mFrameHeight * (i / mColumns) + sy;
    canvas.drawImage(mHandle, left, top, sw, sh, dx, dy);
}

}  // namespace KAMO
