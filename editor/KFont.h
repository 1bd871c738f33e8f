#pragma once
// A text style: colour, size and font family. Fonts belong to the skin's
// font resources; controls and the canvas only refer to them.

namespace KAMO {

class KFont {
public:
    // The colour is four bytes red, green, blue, alpha (a colour resource's
    // layout); null leaves it opaque black.
    KFont(const unsigned char* colour, double size, const char* family);
    virtual ~KFont();
    KFont(const KFont&) = delete;
    KFont& operator=(const KFont&) = delete;

    virtual double fontSize() const { return mSize; }

    const unsigned char* colour() const { return mColour; }
    // Never null; "" when no family was given.
    const char* family() const { return mFamily; }

private:
    unsigned char mColour[4] = {0, 0, 0, 255};
    double mSize;
    char* mFamily;
};

}  // namespace KAMO
