#pragma once
// Colours, fonts, font files and sprite-sheet images that the skin declares
// once and controls refer to by name. Font files and images need the
// editor's drawing context: they are attached when the editor window has
// created its canvas and detached before the canvas goes away.

#include "framework/KIdBase.h"

#include <cstddef>

namespace KAMO {

class KCanvas;
class KFont;

class KEditorResource : public KIdBase {
public:
    KEditorResource() = default;
    ~KEditorResource() override = default;
    KEditorResource(const KEditorResource&) = delete;
    KEditorResource& operator=(const KEditorResource&) = delete;

    virtual void attach(KCanvas& /*canvas*/) {}
    virtual void detach(KCanvas& /*canvas*/) {}
    // The canvas has just changed its factor: what was made for the old one
    // is made again where the new one wants something else.
    virtual void rescale(KCanvas& /*canvas*/) {}
};

class KColourResource : public KEditorResource {
public:
    // Components keep their low 8 bits.
    KColourResource(int red, int green, int blue, int alpha = 255);

    // Four bytes red, green, blue, alpha; lives as long as the resource.
    const unsigned char* colour() const { return mColour; }

private:
    unsigned char mColour[4];
};

class KFontResource : public KEditorResource {
public:
    // Takes ownership of the font (may be null).
    explicit KFontResource(KFont* font);
    ~KFontResource() override;

    const KFont* font() const { return mFont; }

private:
    KFont* mFont;
};

// A TrueType block of the resource table, registered with the drawing
// context under a family name. The registration lives as long as the
// context, so detach has nothing to undo.
class KFontTypeResource : public KEditorResource {
public:
    static constexpr int kTextLength = 63;

    KFontTypeResource(const char* family, const char* fileName);

    void attach(KCanvas& canvas) override;

    const char* family() const { return mFamily; }
    const char* fileName() const { return mFileName; }

private:
    char mFileName[kTextLength + 1];
    char mFamily[kTextLength + 1];
};

// A PNG block holding equally sized frames, laid out row by row. On a
// canvas drawn at a factor above 1 the sheet's twin at twice the density is
// used when there is one ("Name@2x.png" beside "Name.png": the same frame
// grid at twice the pixel size); sizes stay in skin pixels either way.
class KImageResource : public KEditorResource {
public:
    static constexpr int kTextLength = 63;
    static constexpr int kDenseDensity = 2;

    // The name of the dense twin of a sheet; false when it does not fit.
    static bool denseName(const char* fileName, char* out, std::size_t size);

    KImageResource(const char* fileName, int frameWidth, int frameHeight, int frameCount);
    ~KImageResource() override = default;

    // Creates the image once; a second attach without detach changes nothing.
    void attach(KCanvas& canvas) override;
    void detach(KCanvas& canvas) override;
    // Changes sheets when the factor crosses 1 (dense above, plain at 1).
    void rescale(KCanvas& canvas) override;

    // Valid when decoded, with positive sizes and enough cells for every frame.
    bool isValid() const;

    // Frame i at (x, y); nothing when the image is not valid or i is not a
    // frame of it.
    void drawFrame(KCanvas& canvas, int x, int y, int i) const;
    // The part (sx, sy, sw, sh) of frame i, cut at the frame's edges, at
    // (dx, dy).
    void drawFramePart(KCanvas& canvas, int i, int sx, int sy, int sw, int sh, int dx,
                       int dy) const;

    const char* fileName() const { return mFileName; }
    int handle() const { return mHandle; }
    int frameWidth() const { return mFrameWidth; }
    int frameHeight() const { return mFrameHeight; }
    int frameCount() const { return mFrameCount; }
    int imageWidth() const { return mImageWidth; }
    int imageHeight() const { return mImageHeight; }
    int rows() const { return mRows; }
    int columns() const { return mColumns; }
    // Image pixels per skin pixel of the sheet in use.
    int density() const { return mDensity; }

private:
    bool attachSheet(KCanvas& canvas, int density);

    char mFileName[kTextLength + 1];
    int mHandle = 0;
    int mFrameWidth;
    int mFrameHeight;
    int mFrameCount;
    int mImageWidth = 0;
    int mImageHeight = 0;
    int mRows = 0;
    int mColumns = 0;
    int mDensity = 1;
};

}  // namespace KAMO
