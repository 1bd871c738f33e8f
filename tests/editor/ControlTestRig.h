#pragma once
// What the control tests share: a canvas that records every primitive with
// its colour, font and box, sprite-sheet images that draw through it, and a
// real instrument on a fake host that logs what the controls report.

#include "editor/ControlSetup.h"
#include "editor/KCanvas.h"
#include "editor/KEditorResource.h"
#include "editor/KEditorSkin.h"
#include "editor/KFont.h"
#include "shell/Vst2.h"
#include "synth/Murlan.h"

#include <memory>
#include <string>
#include <vector>

namespace ControlTest {

struct DrawOp {
    enum Kind { FillRect, FillRectAlpha, HLine, VLine, Line, Circle, Text, Image };
    DrawOp(Kind k, std::vector<double> values, const unsigned char* c)
        : kind(k), v(std::move(values)), colour(c) {}
    Kind kind;
    std::vector<double> v;  // the numeric arguments in call order
    const unsigned char* colour = nullptr;
    std::string text;
    const KAMO::KFont* font = nullptr;
    int align = -1;
};

class RecordingCanvas : public KAMO::KCanvas {
public:
    RecordingCanvas() : KCanvas(nullptr, 540, 395) {}
    using C = const unsigned char*;
    void fillRect(int x, int y, int w, int h, C c) override {
        add(DrawOp::FillRect, c, x, y, w, h);
    }
    void fillRectAlpha(int x, int y, int w, int h, C c) override {
        add(DrawOp::FillRectAlpha, c, x, y, w, h);
    }
    void drawHLine(int x1, int y, int x2, C c) override { add(DrawOp::HLine, c, x1, y, x2); }
    void drawVLine(int x, int y1, int y2, C c) override { add(DrawOp::VLine, c, x, y1, y2); }
    void drawLine(C c, double x1, double y1, double x2, double y2, double w) override {
        add(DrawOp::Line, c, x1, y1, x2, y2, w);
    }
    void fillCircle(C c, double cx, double cy, double r) override {
        add(DrawOp::Circle, c, cx, cy, r);
    }
    void drawText(const char* text, int x, int y, int w, int h, const KAMO::KFont* font,
                  int align) override {
        add(DrawOp::Text, nullptr, x, y, w, h);
        ops.back().text = text, ops.back().font = font, ops.back().align = align;
    }
    void drawImage(int handle, int sx, int sy, int sw, int sh, int dx, int dy) override {
        add(DrawOp::Image, nullptr, handle, sx, sy, sw, sh, dx, dy);
    }
    // Images are invented: every one reports the sheet size set last.
    int createImage(const unsigned char*, int) override { return ++mHandles; }
    bool imageSize(int, int* w, int* h) override { return *w = sheetWidth, *h = sheetHeight, true; }
    void deleteImage(int) override {}

    std::vector<DrawOp> ofKind(DrawOp::Kind kind) const {
        std::vector<DrawOp> out;
        for (const DrawOp& op : ops)
            if (op.kind == kind) out.push_back(op);
        return out;
    }
    int count(DrawOp::Kind kind) const { return static_cast<int>(ofKind(kind).size()); }

    std::vector<DrawOp> ops;
    int sheetWidth = 0, sheetHeight = 0;

private:
    template <typename... T>
    void add(DrawOp::Kind kind, C c, T... v) {
        ops.emplace_back(kind, std::vector<double>{static_cast<double>(v)...}, c);
    }
    int mHandles = 0;
};

// Automate, begin-edit and end-edit calls as the fake host saw them.
struct HostCall {
    int opcode;
    int index;
    float value;
};
std::vector<HostCall>& hostLog();
VstIntPtr fakeHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt);

// The instrument with its commands recorded instead of run.
struct CommandCall {
    int id;
    bool shift, ctrl;
};
class RecordingMurlan : public Murlan {
public:
    RecordingMurlan() : Murlan(fakeHost) {}
    void executeCommand(int id, bool shift, bool ctrl) override {
        commands.push_back({id, shift, ctrl});
    }
    std::vector<CommandCall> commands;
};

// An effect, a skin without a window, a recording canvas and some resources.
class Rig {
public:
    Rig();
    KAMO::ControlSetup setup(int x, int y, int w, int h, int page = 1);
    int index(const char* name) const { return effect.findParameter(name); }
    double stored(const char* name);
    // Stores a value in the current program without telling anybody.
    void store(const char* name, double value);
    // A sheet of `frames` frames in one row, attached to the canvas.
    KAMO::KImageResource* image(int frameWidth, int frameHeight, int frames);
    // Frame indices drawn from `image`, in order.
    std::vector<int> framesDrawn(const KAMO::KImageResource* image) const;
    int lastFrame(const KAMO::KImageResource* image) const;

    const unsigned char red[4] = {255, 0, 0, 255};
    const unsigned char green[4] = {0, 255, 0, 255};
    const unsigned char blue[4] = {0, 0, 255, 255};
    const unsigned char grey[4] = {128, 128, 128, 60};
    KAMO::KFont font{nullptr, 12.0, "KSans"};
    KAMO::KFont overFont{nullptr, 12.0, "KSans"};
    RecordingMurlan effect;
    KAMO::KEditorSkin skin{&effect};
    RecordingCanvas canvas;

private:
    std::vector<std::unique_ptr<KAMO::KImageResource>> mImages;
};

}  // namespace ControlTest
