#pragma once
// What the editor-core tests share: a byte source over a string, a canvas
// that records what reaches it (including where text is anchored), an
// instrument on a host callback that logs edits, and a virtual display for
// the tests that open windows.

#include "editor/KCanvas.h"
#include "editor/KEditorSkin.h"
#include "shell/Vst2.h"
#include "synth/Murlan.h"
#include "xp/InputReader.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace EditorTest {

class StringSource : public XP::InputReader {
public:
    explicit StringSource(std::string text) : mText(std::move(text)) {}
    bool isOpen() const override { return true; }
    std::uint64_t read(void* destination, std::uint64_t maximum) override;

private:
    std::string mText;
    std::size_t mPosition = 0;
};

struct Op {
    enum Kind { Fill, FillAlpha, Line, Circle, Text, Image, CreateImage, DeleteImage, CreateFont };
    Kind kind;
    int v[7] = {0, 0, 0, 0, 0, 0, 0};
    std::string text;
    // Clip in force when the operation came.
    int clip[4] = {0, 0, 0, 0};
};

// Records the canvas operations. Text goes through the real anchoring and is
// recorded at the anchor; images are invented with the size set below.
class RecordingCanvas : public KAMO::KCanvas {
public:
    RecordingCanvas(int width = 540, int height = 395) : KCanvas(nullptr, width, height) {}

    void fillRect(int x, int y, int w, int h, const unsigned char* colour) override;
    void fillRectAlpha(int x, int y, int w, int h, const unsigned char* colour) override;
    void drawLine(const unsigned char* colour, double x1, double y1, double x2, double y2,
                  double width) override;
    void fillCircle(const unsigned char* colour, double cx, double cy, double r) override;
    void drawImage(int handle, int sx, int sy, int sw, int sh, int dx, int dy) override;
    int createImage(const unsigned char* data, int size) override;
    bool imageSize(int handle, int* width, int* height) override;
    void deleteImage(int handle) override;
    int createFont(const char* family, const unsigned char* data, int size) override;

    std::vector<Op> ofKind(Op::Kind kind) const;
    int count(Op::Kind kind) const { return static_cast<int>(ofKind(kind).size()); }
    void clear() { ops.clear(); }

    std::vector<Op> ops;
    // Every image created from now on reports this size.
    int imageWidth = 1080;
    int imageHeight = 395;

protected:
    void paintText(const char* text, float ax, float ay, int align,
                   const KAMO::KFont& font) override;

private:
    void add(Op::Kind kind, std::initializer_list<int> values, const char* text = nullptr);
    int mNextHandle = 0;
};

// A host callback that logs automate / begin / end edits, thread-safely.
struct HostEdit {
    int opcode;
    int index;
    float value;
};
class HostLog {
public:
    static HostLog& instance();
    void add(int opcode, int index, float value);
    std::vector<HostEdit> take();

private:
    std::mutex mMutex;
    std::vector<HostEdit> mEdits;
};
VstIntPtr loggingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                      float opt);

// The real instrument, its commands recorded as well as run.
class TestMurlan : public Murlan {
public:
    TestMurlan() : Murlan(loggingHost) {}
    void executeCommand(int id, bool shift, bool ctrl) override {
        commandIds.push_back(id);
        Murlan::executeCommand(id, shift, ctrl);
    }
    std::vector<int> commandIds;
};

// The skin built from `text` for `effect`, or null.
std::unique_ptr<KAMO::KEditorSkin> buildSkin(KAMO::KEffect* effect, const std::string& text);
// The plug-in's own skin text.
std::string murlanSkinText();

// True when an X display can be opened; starts a private Xvfb first when
// no display is named. Also readies Xlib for threads.
bool haveDisplay();

} // namespace EditorTest

// In a test body: skips the test when no X display can be had.
#define REQUIRE_DISPLAY()                                                   \
    do {                                                                    \
        if (!EditorTest::haveDisplay()) GTEST_SKIP() << "no X display";    \
    } while (0)
