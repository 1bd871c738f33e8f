#pragma once
// A link area: a left release over it hands the URL to the desktop's link
// opener. It never takes the capture, so a press elsewhere that is released
// over the link opens it, and a press on it released elsewhere does not.

#include "editor/controls/KEditorControl.h"

#include <string>

namespace KAMO {

class KImageResource;

class KUrl : public KEditorControl {
public:
    // The shell command is limited to this many bytes, terminator included.
    static constexpr int kCommandSize = 128;
    // URLs are measured up to this many characters.
    static constexpr int kMaxMeasured = 256;

    KUrl(const ControlSetup& setup, const char* url);

    int cursorAt(int x, int y) override;
    bool leftUp(bool shift, bool ctrl, int x, int y) override;

    const char* url() const { return mUrl.c_str(); }

    // Writes the opener command for `url` into `out` (kCommandSize bytes) and
    // answers whether there is anything to run. The URL is passed as one
    // single-quoted shell word, so that quotes, "$", backticks or ";" in it
    // cannot start anything else; when the command must be cut, the trailing
    // " &" goes first and then the end of the URL, never the closing quote.
    static bool buildCommand(char* out, const char* url);

protected:
    // Hands the command to the shell; runs on a short-lived worker thread.
    virtual void runCommand(const char* command);

private:
    void open();

    std::string mUrl;
};

// The link drawn as frame 0 of an image.
class KImgUrl : public KUrl {
public:
    KImgUrl(const ControlSetup& setup, KImageResource* image, const char* url);

    void draw(KCanvas& canvas) override;

private:
    KImageResource* mImage;
};

}  // namespace KAMO
