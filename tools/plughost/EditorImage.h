#pragma once
// An RGB picture for editor screenshots: grabbed from an X window of any
// visual, compared pixel by pixel in tests, read from and written to PNG.

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

namespace plughost {

class EditorImage {
public:
    struct Rgb {
        std::uint8_t r, g, b;
        bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
        bool operator!=(const Rgb& o) const { return !(*this == o); }
    };
    static_assert(sizeof(Rgb) == 3, "PNG rows are packed RGB");

    EditorImage() = default;
    EditorImage(int width, int height) : width_(width), height_(height), pixels_(width * height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }
    // Black outside the picture.
    Rgb at(int x, int y) const;
    void set(int x, int y, Rgb colour);
    // Pixels of the rectangle that differ from `other` at the same place.
    int countDifferences(const EditorImage& other, int x, int y, int w, int h) const;
    // Pixels of the rectangle within `tolerance` (per channel) of `colour`.
    int countNear(Rgb colour, int tolerance, int x, int y, int w, int h) const;

    // The window's contents, converted through its visual's colour masks
    // (a 32-bit ARGB window reads as well as a 24-bit one). False when the
    // window cannot be read.
    bool grab(_XDisplay* display, unsigned long window);

    bool savePng(const std::string& path, std::string* error = nullptr) const;
    bool loadPng(const std::string& path, std::string* error = nullptr);
    // A PNG held in memory (the plug-in's compiled-in images, for instance).
    bool loadPng(const unsigned char* data, std::size_t size, std::string* error = nullptr);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

}  // namespace plughost
