// Random skin texts through the editor factory of a real instrument, then a
// fixed workout of whatever was built: every page drawn onto a canvas that
// checks what reaches it, and every control clicked, dragged and released
// with each mouse button. The instrument gets a level, a counter and a
// waveform history on top of its own parameters and commands, so that the
// meter and wave controls can be built too. Checked on every input: a
// skin that builds has a usable size and page count, drawn texts are
// terminated, and nothing touches memory it does not own.

#include "editor/KCanvas.h"
#include "editor/KEditor.h"
#include "editor/KEditorSkin.h"
#include "editor/KEditorSkinBuilder.h"
#include "editor/KFont.h"
#include "editor/controls/KEditorControl.h"
#include "editor/controls/KUrl.h"
#include "framework/KEffectFeature.h"
#include "framework/KHistory.h"
#include "synth/Murlan.h"
#include "xp/MemorySource.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

VstIntPtr fakeHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

class FeaturedMurlan : public Murlan {
public:
    FeaturedMurlan() : Murlan(fakeHost) {
        mHistory.setUp(64, 1.0, 6400.0);
        for (int i = 0; i < 400; ++i) mHistory.add(std::sin(i * 0.1) * 1.5, -0.25 * i / 400.0);
        features().add(new KAMO::KDoubleFeature("Peak", &mPeak));
        features().add(new KAMO::KDoubleFeature("Low", &mLow));
        features().add(new KAMO::KIntFeature("Count", &mCount));
        features().add(new KAMO::KHistoryFeature("Hist", &mHistory));
    }

private:
    // Outside the 0..1 a meter shows, as a hot signal would be.
    double mPeak = 1.75;
    double mLow = -0.5;
    std::int32_t mCount = -7;
    KAMO::KHistory mHistory;
};

// Draws nowhere; hands out image and font handles as a real canvas would and
// checks the texts and fonts that reach it.
class CheckingCanvas : public KAMO::KCanvas {
public:
    CheckingCanvas(int width, int height) : KCanvas(nullptr, width, height) {}

    void drawImage(int handle, int, int, int, int, int, int) override {
        if (handle < 1 || handle > mImages) std::abort();
    }
    int createImage(const unsigned char* data, int size) override {
        if (!data || size <= 0) return 0;
        return ++mImages;
    }
    bool imageSize(int handle, int* width, int* height) override {
        if (handle < 1 || handle > mImages) return false;
        // An odd size, so that frame sizes rarely divide it.
        *width = 1081;
        *height = 397;
        return true;
    }
    void deleteImage(int) override {}
    int createFont(const char* family, const unsigned char* data, int size) override {
        if (!family || !data || size <= 0) return -1;
        if (std::strlen(family) > 4096) std::abort();
        return 1;
    }

protected:
    void paintText(const char* text, float ax, float ay, int, const KAMO::KFont& font) override {
        if (!text || std::strlen(text) > 65536) std::abort();
        if (!std::isfinite(ax) || !std::isfinite(ay)) std::abort();
        if (!(font.fontSize() > 0)) std::abort();
    }

private:
    int mImages = 0;
};

void workOut(KAMO::KEditorSkin& skin) {
    if (skin.width() < 1 || skin.height() < 1 || skin.pageCount() < 1) std::abort();
    CheckingCanvas canvas(skin.width(), skin.height());
    skin.attachCanvas(canvas);
    const int pages = skin.pageCount() < 4 ? skin.pageCount() : 4;
    for (int page = 0; page <= pages + 1; ++page) {
        skin.setCurrentPage(page);
        skin.requestFullRedraw();
        skin.draw(canvas);
        const int controls = skin.controls().count() < 64 ? skin.controls().count() : 64;
        for (int i = 0; i < controls; ++i) {
            const KAMO::KEditorControl* control = skin.controls().get(i);
            const int x = control->x() + control->width() / 2;
            const int y = control->y() + control->height() / 2;
            (void)skin.cursorKind(x, y);
            skin.leftDown(false, false, x, y);
            skin.mouseMove(false, x + 3, y - 40);
            skin.mouseMove(true, x - 9, y + 70);
            skin.leftUp(false, false, x - 9, y + 70);
            skin.leftDown(true, true, x, y);
            skin.leftUp(true, false, x, y);
            skin.rightDown(false, false, x, y);
            skin.rightUp(false, false, x, y);
            skin.draw(canvas);
        }
        skin.cancelCapture();
    }
    skin.detachCanvas(canvas);
}

// True when `command` is the link opener followed by exactly one shell word
// made of single-quoted runs joined by escaped quotes, and then nothing but
// a (possibly cut) background marker.
bool isOneQuotedWord(const char* command) {
    static const char kOpener[] = "xdg-open '";
    if (std::strncmp(command, kOpener, sizeof kOpener - 1) != 0) return false;
    const char* p = command + sizeof kOpener - 1;
    for (;;) {
        while (*p && *p != '\'') ++p;
        if (!*p) return false;  // unterminated quote
        ++p;
        if (std::strncmp(p, "\\''", 3) != 0) break;
        p += 3;
    }
    return std::strcmp(p, "") == 0 || std::strcmp(p, " ") == 0 || std::strcmp(p, " &") == 0;
}

}  // namespace

// Link controls hand their command to the shell; here nothing may run, but
// every command must keep its URL inside one quoted word.
extern "C" int system(const char* command) {
    if (!command || !isOneQuotedWord(command) || std::strlen(command) >= KAMO::KUrl::kCommandSize)
        std::abort();
    return -1;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The editor window talks to an X server when one is named; a fuzzer
    // must never open windows.
    unsetenv("DISPLAY");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FeaturedMurlan* effect = new FeaturedMurlan();
    MemorySource source(std::string(reinterpret_cast<const char*>(data), size), 61);
    KAMO::KEditor* editor = KAMO::createEditor(effect, source);
    if (editor) {
        ERect* rect = nullptr;
        if (!editor->getRect(&rect) || !rect || rect->right <= rect->left ||
            rect->bottom <= rect->top)
            std::abort();
        workOut(*editor->skin());
        delete editor;
    }
    // Controls may have changed the current program; each input starts alike.
    effect->programBank().resetPrograms();
    effect->setProgram(0);
    return 0;
}
