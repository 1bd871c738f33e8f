#include "EditorTestSupport.h"

#include "editor/KEditorSkinBuilder.h"
#include "xp/ResourceTable.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

namespace EditorTest {

std::uint64_t StringSource::read(void* destination, std::uint64_t maximum) {
    const std::uint64_t n = std::min<std::uint64_t>(maximum, mText.size() - mPosition);
    std::memcpy(destination, mText.data() + mPosition, n);
    mPosition += n;
    return n;
}

void RecordingCanvas::add(Op::Kind kind, std::initializer_list<int> values, const char* text) {
    Op op;
    op.kind = kind;
    int i = 0;
    for (int v : values) op.v[i++] = v;
    if (text) op.text = text;
    op.clip[0] = clipX();
    op.clip[1] = clipY();
    op.clip[2] = clipWidth();
    op.clip[3] = clipHeight();
    ops.push_back(op);
}

void RecordingCanvas::fillRect(int x, int y, int w, int h, const unsigned char* colour) {
    if (colour) add(Op::Fill, {x, y, w, h, colour[0], colour[1], colour[2]});
}

void RecordingCanvas::fillRectAlpha(int x, int y, int w, int h, const unsigned char* colour) {
    if (colour) add(Op::FillAlpha, {x, y, w, h, colour[3]});
}

void RecordingCanvas::drawLine(const unsigned char* colour, double x1, double y1, double x2,
                               double y2, double) {
    if (colour)
        add(Op::Line, {int(std::lround(x1)), int(std::lround(y1)), int(std::lround(x2)),
                       int(std::lround(y2))});
}

void RecordingCanvas::fillCircle(const unsigned char* colour, double cx, double cy, double r) {
    if (colour) add(Op::Circle, {int(std::lround(cx)), int(std::lround(cy)), int(std::lround(r))});
}

void RecordingCanvas::drawImage(int handle, int sx, int sy, int sw, int sh, int dx, int dy) {
    if (handle >= 1) add(Op::Image, {handle, sx, sy, sw, sh, dx, dy});
}

int RecordingCanvas::createImage(const unsigned char*, int) {
    add(Op::CreateImage, {});
    return ++mNextHandle;
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
    for (const Op& op : ops)
        if (op.kind == kind) out.push_back(op);
    return out;
}

HostLog& HostLog::instance() {
    static HostLog log;
    return log;
}

void HostLog::add(int opcode, int index, float value) {
    std::lock_guard<std::mutex> lock(mMutex);
    mEdits.push_back({opcode, index, value});
}

std::vector<HostEdit> HostLog::take() {
    std::lock_guard<std::mutex> lock(mMutex);
    std::vector<HostEdit> out;
    out.swap(mEdits);
    return out;
}

VstIntPtr loggingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterAutomate:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        HostLog::instance().add(opcode, index, opt);
        return 1;
    default: return 0;
    }
}

std::unique_ptr<KAMO::KEditorSkin> buildSkin(KAMO::KEffect* effect, const std::string& text) {
    StringSource source(text);
    KAMO::KEditorSkinBuilder builder(effect);
    return std::unique_ptr<KAMO::KEditorSkin>(builder.buildSkin(source));
}

std::string murlanSkinText() {
    std::uint64_t size = 0;
    const unsigned char* data = XP::findResource("MurlanSkin.txt", &size);
    return data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

namespace {

pid_t gXvfb = 0;

void stopXvfb() {
    if (gXvfb > 0) {
        kill(gXvfb, SIGTERM);
        waitpid(gXvfb, nullptr, 0);
        gXvfb = 0;
    }
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// A private server on the first free display number, for runs without one.
void startXvfb() {
    for (int n = 97; n < 160; ++n) {
        const std::string number = std::to_string(n);
        if (exists("/tmp/.X11-unix/X" + number) || exists("/tmp/.X" + number + "-lock")) continue;
        const std::string name = ":" + number;
        char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>(name.c_str()),
                        const_cast<char*>("-screen"), const_cast<char*>("0"),
                        const_cast<char*>("1024x768x24"), const_cast<char*>("-nolisten"),
                        const_cast<char*>("tcp"), nullptr};
        pid_t pid = 0;
        if (posix_spawnp(&pid, "Xvfb", nullptr, nullptr, argv, environ) != 0) return;
        for (int i = 0; i < 100 && !exists("/tmp/.X11-unix/X" + number); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (waitpid(pid, nullptr, WNOHANG) != 0) continue; // lost the race for it
        gXvfb = pid;
        std::atexit(&stopXvfb);
        setenv("DISPLAY", name.c_str(), 1);
        return;
    }
}

} // namespace

bool haveDisplay() {
    static const bool available = [] {
        XInitThreads();
        const char* name = std::getenv("DISPLAY");
        if (!name || !*name) startXvfb();
        Display* display = XOpenDisplay(nullptr);
        if (!display) return false;
        XCloseDisplay(display);
        return true;
    }();
    return available;
}

} // namespace EditorTest
