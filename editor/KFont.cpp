#include "editor/KFont.h"

#include <cstring>

namespace KAMO {

KFont::KFont(const unsigned char* colour, double size, const char* family) : mSize(size) {
    if (colour) std::memcpy(mColour, colour, sizeof(mColour));
    const char* text = family ? family : "";
    const std::size_t length = std::strlen(text);
    mFamily = new char[length + 1];
    std::memcpy(mFamily, text, length + 1);
}

KFont::~KFont() { delete[] mFamily; }

}  // namespace KAMO
