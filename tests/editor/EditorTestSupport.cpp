#include "EditorTestSupport.h"

#include "editor/KEditorSkinBuilder.h"
#include "xp/MemoryReader.h"
#include "xp/ResourceTable.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace EditorTest {

void RecordingCanvas::add(Op::Kind kind, std::initializer_list<int> values, const char* text) {
    Op op{kind, {}, {clipX(), clipY(), clipWidth(), clipHeight()}, text ? text : ""};
    std::copy(values.begin(), values.end(), op.v);
    ops.push_back(op);
}

void RecordingCanvas::fillRect(int x, int y, int w, int h, const unsigned char* c) {
    if (c) add(Op::Fill, {x, y, w, h, c[0], c[1], c[2]});
}
void RecordingCanvas::fillRectAlpha(int x, int y, int w, int h, const unsigned char* c) {
    if (c) add(Op::FillAlpha, {x, y, w, h, c[3]});
}
void RecordingCanvas::drawImage(int handle, int sx, int sy, int sw, int sh, int dx, int dy) {
    add(Op::Image, {handle, sx, sy, sw, sh, dx, dy});
}
int RecordingCanvas::createImage(const unsigned char*, int) {
    add(Op::CreateImage, {});
    return ++mHandles;
}
bool RecordingCanvas::imageSize(int, int* width, int* height) {
    *width = imageWidth;
    *height = imageHeight;
    return true;
}
void RecordingCanvas::deleteImage(int handle) { add(Op::DeleteImage, {handle}); }
int RecordingCanvas::createFont(const char* family, const unsigned char*, int size) {
    add(Op::CreateFont, {size}, family);
    return 1;
}
void RecordingCanvas::paintText(const char* text, float ax, float ay, int align,
                                const KAMO::KFont&) {
    add(Op::Text, {int(ax), int(ay), align}, text);
}

std::vector<Op> RecordingCanvas::ofKind(Op::Kind kind) const {
    std::vector<Op> out;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(out),
                 [kind](const Op& op) { return op.kind == kind; });
    return out;
}

std::unique_ptr<KAMO::KEditorSkin> buildSkin(KAMO::KEffect* effect, const std::string& text) {
    XP::MemoryReader source(text);
    return std::unique_ptr<KAMO::KEditorSkin>(KAMO::KEditorSkinBuilder(effect).buildSkin(source));
}

std::string murlanSkinText() {
    std::uint64_t size = 0;
    const unsigned char* data = XP::findResource("MurlanSkin.txt", &size);
    return data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

bool haveDisplay() {
    static const bool available = [] {
        XInitThreads();
        const char* name = std::getenv("DISPLAY");
        // A server started just before the tests may need a moment to answer.
        for (int attempt = 0; name && *name && attempt < 50; ++attempt) {
            if (Display* display = XOpenDisplay(nullptr)) {
                XCloseDisplay(display);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }();
    return available;
}

}  // namespace EditorTest
