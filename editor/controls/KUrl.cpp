#include "editor/controls/KUrl.h"

#include "editor/KEditorResource.h"
#include "framework/KEffect.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace KAMO {

namespace {

const char kOpener[] = "xdg-open ";
const char kBackground[] = " &";
constexpr int kShortestUrl = 7;

// The URL as one shell word in single quotes; an embedded single quote
// becomes '\'' (close, escaped quote, reopen).
std::string quoted(const char* text, std::size_t length) {
    std::string word = "'";
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\'')
            word += "'\\''";
        else
            word += text[i];
    }
    word += '\'';
    return word;
}

}  // namespace

KUrl::KUrl(const ControlSetup& setup, const char* url)
    : KEditorControl(setup), mUrl(url ? url : "") {
    addHandlers(kCursorAt | kLeftUp);
    // Variables such as ${DocDir} are the effect's to answer, and fixed for
    // its life, so the link is expanded once.
    if (mEffect && mUrl.find("${") != std::string::npos) {
        char expanded[kMaxMeasured + 1] = {};
        mEffect->expandText(expanded, sizeof expanded, mUrl.c_str());
        mUrl = expanded;
    }
}

int KUrl::cursorAt(int, int) { return kCursorHand; }

bool KUrl::leftUp(bool, bool, int, int) {
    // The shell returns as soon as the opener runs in the background, so the
    // editor thread only waits for the shell to start it.
    try {
        std::thread worker([this] { open(); });
        worker.join();
    } catch (...) {
        // No thread to be had: the link stays unopened, as if the opener failed.
    }
    return false;
}

bool KUrl::buildCommand(char* out, const char* url) {
    out[0] = 0;
    if (!url || !url[0]) return false;
    std::size_t length = strnlen(url, kMaxMeasured);
    if (length <= static_cast<std::size_t>(kShortestUrl)) return false;

    const std::size_t limit = kCommandSize - 1;
    std::string command = kOpener + quoted(url, length);
    // Cut the URL itself, not its quoting, until the quoted word fits.
    while (command.size() > limit && length > 0) {
        --length;
        command = kOpener + quoted(url, length);
    }
    // Then as much of the background marker as still fits.
    const std::size_t room = limit - command.size();
    command.append(kBackground, std::min(room, std::strlen(kBackground)));
    std::memcpy(out, command.c_str(), command.size() + 1);
    return true;
}

void KUrl::open() {
    char command[kCommandSize];
    if (buildCommand(command, mUrl.c_str())) runCommand(command);
}

void KUrl::runCommand(const char* command) {
    // The opener's result is not ours to report: a missing opener or an
    // unknown scheme fails silently in the shell.
    const int ignored = std::system(command);
    (void)ignored;
}

KImgUrl::KImgUrl(const ControlSetup& setup, KImageResource* image, const char* url)
    : KUrl(setup, url), mImage(image) {}

void KImgUrl::draw(KCanvas& canvas) {
    if (mImage) mImage->drawFrame(canvas, 0, 0, 0);
}

}  // namespace KAMO
