#pragma once
// What the editor-core tests share: a canvas that records what reaches it
// (text at its computed anchor), the real instrument, and a virtual display
// for the tests that open windows.

#include "editor/KCanvas.h"
#include "editor/KEditorSkin.h"
#include "synth/Murlan.h"

#include <memory>
#include <string>
#include <vector>

namespace EditorTest {

struct Op {
    enum Kind { Fill, FillAlpha, Text, Image, CreateImage, DeleteImage, CreateFont };
    Kind kind;
    int v[7];     // the operation's numbers in argument order
    int clip[4];  // the clip in force
    std::string text;
};

// Images it creates report imageWidth x imageHeight.
class RecordingCanvas : public KAMO::KCanvas {
public:
    explicit RecordingCanvas(float scale = 1.0f) : KCanvas(nullptr, 540, 395, scale) {}

    void fillRect(int x, int y, int w, int h, const unsigned char* c) override;
    void fillRectAlpha(int x, int y, int w, int h, const unsigned char* c) override;
    void drawImage(int handle, int sx, int sy, int sw, int sh, int dx, int dy) override;
    int createImage(const unsigned char*, int) override;
    bool imageSize(int, int* width, int* height) override;
    void deleteImage(int handle) override;
    int createFont(const char* family, const unsigned char*, int size) override;

    std::vector<Op> ofKind(Op::Kind kind) const;
    int count(Op::Kind kind) const { return static_cast<int>(ofKind(kind).size()); }

    std::vector<Op> ops;
    int imageWidth = 1080;
    int imageHeight = 395;

protected:
    void paintText(const char* text, float ax, float ay, int align, const KAMO::KFont&) override;

private:
    void add(Op::Kind kind, std::initializer_list<int> values, const char* text = nullptr);
    int mHandles = 0;
};

struct TestMurlan : Murlan {
    TestMurlan() : Murlan(nullptr) {}
};

std::unique_ptr<KAMO::KEditorSkin> buildSkin(KAMO::KEffect* effect, const std::string& text);
std::string murlanSkinText();

// True when the X display named by DISPLAY can be opened (the test script
// runs the tests on a private Xvfb). Also readies Xlib for threads.
bool haveDisplay();

}  // namespace EditorTest

#define REQUIRE_DISPLAY()                                               \
    do {                                                                \
        if (!EditorTest::haveDisplay()) GTEST_SKIP() << "no X display"; \
    } while (0)
