#include "tools/plughost/EditorImage.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace plughost {

EditorImage::Rgb EditorImage::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0};
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void EditorImage::set(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

int EditorImage::countDifferences(const EditorImage& other, int x, int y, int w, int h) const {
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (at(i, j) != other.at(i, j)) ++n;
    return n;
}

int EditorImage::countNear(Rgb colour, int tolerance, int x, int y, int w, int h) const {
    int n = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            const Rgb p = at(i, j);
            if (std::abs(p.r - colour.r) <= tolerance && std::abs(p.g - colour.g) <= tolerance &&
                std::abs(p.b - colour.b) <= tolerance)
                ++n;
        }
    return n;
}

namespace {

// The simplified libpng interface wants a zeroed record of its version.
png_image emptyPng() {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    return png;
}

// The 8-bit value of the bits of `pixel` under `mask`.
std::uint8_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    const unsigned long v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>(v * 255 / max);
}

}  // namespace

bool EditorImage::grab(_XDisplay* display, unsigned long window) {
    XWindowAttributes attributes;
    if (!display || !XGetWindowAttributes(display, window, &attributes)) return false;
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return false;
    const Visual* visual = attributes.visual;
    *this = EditorImage(attributes.width, attributes.height);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            set(x, y,
                {channel(p, visual->red_mask), channel(p, visual->green_mask),
                 channel(p, visual->blue_mask)});
        }
    XDestroyImage(image);
    return true;
}

bool EditorImage::savePng(const std::string& path, std::string* error) const {
    png_image png = emptyPng();
    png.width = static_cast<png_uint_32>(width_);
    png.height = static_cast<png_uint_32>(height_);
    png.format = PNG_FORMAT_RGB;
    if (empty() || !png_image_write_to_file(&png, path.c_str(), 0, pixels_.data(), 0, nullptr)) {
        if (error) *error = path + ": " + (empty() ? "nothing to write" : png.message);
        return false;
    }
    return true;
}

namespace {

// Reads the pixels of a PNG whose header has been read; only a complete
// picture replaces the size and pixels given.
bool finishLoad(png_image& png, int& width, int& height, std::vector<EditorImage::Rgb>& pixels,
                std::string* error) {
    png.format = PNG_FORMAT_RGB;
    std::vector<EditorImage::Rgb> read(static_cast<std::size_t>(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, read.data(), 0, nullptr)) {
        if (error) *error = png.message;
        png_image_free(&png);
        return false;
    }
    width = static_cast<int>(png.width);
    height = static_cast<int>(png.height);
    pixels.swap(read);
    return true;
}

}  // namespace

bool EditorImage::loadPng(const std::string& path, std::string* error) {
    png_image png = emptyPng();
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        if (error) *error = path + ": " + png.message;
        return false;
    }
    return finishLoad(png, width_, height_, pixels_, error);
}

bool EditorImage::loadPng(const unsigned char* data, std::size_t size, std::string* error) {
    png_image png = emptyPng();
    if (!data || !png_image_begin_read_from_memory(&png, data, size)) {
        if (error) *error = data ? png.message : "no data";
        return false;
    }
    return finishLoad(png, width_, height_, pixels_, error);
}

}  // namespace plughost
