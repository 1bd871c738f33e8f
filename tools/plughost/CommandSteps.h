#pragma once
// Steps several subcommands take alike. Each reports its problem to `err`
// itself, so that the commands word it and exit on it the same way.

#include "tools/plughost/BlockPlayer.h"
#include "tools/plughost/CommandLine.h"
#include "tools/plughost/EditorImage.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/RenderSizes.h"
#include "tools/plughost/WavWriter.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>

namespace plughost {

// The options the steps below read, for the lists of the commands that
// take them: --preset and --set; --midi and --out; --rate and --block (the
// sample rate and block size every rendering command takes); and
// --screenshot, --after-ms, --scale and --size.
extern const CommandLine::Options kSettingOptions;
extern const CommandLine::Options kSongOptions;
extern const CommandLine::Options kRenderSizeOptions;
extern const CommandLine::Options kEditorOptions;

// The plug-in at `path`, or null once the reason it did not load is told.
std::unique_ptr<PluginInstance> loadOrReport(PluginHost& host, const std::string& path,
                                             std::ostream& err);

// --preset, then each --set in order. Answers 0, or the exit status after
// the report: 1 for a preset that cannot be applied, 2 for a setting that
// names no parameter or is not Name=Text. What the plug-in shows after each
// setting goes to `report` when given.
int applyPresetAndSettings(PluginInstance& plugin, const CommandLine& line, std::ostream* report,
                           std::ostream& err);

// --rate and --block of a host's render command into `sizes` (left as they
// are where not given), the problem told after `tool`.
bool readRenderSizes(const CommandLine& line, const char* tool, RenderSizes& sizes,
                     std::ostream& err);

// The song of --midi loaded and the mono WAV file of --out opened at
// `rate`, or false once the problem is told after `tool`.
bool openSongAndWav(const CommandLine& line, const char* tool, double rate, MidiSong& song,
                    WavWriter& wav, std::ostream& err);

// --after-ms and --scale of a host's editor command, the problem told
// after `tool`. Without --after-ms the editor stays 1000 ms for a
// --screenshot and otherwise until interrupted (`afterMs` negative).
bool readEditorTimes(const CommandLine& line, const char* tool, double& afterMs, double& scale,
                     std::ostream& err);

// --size WxH of a host's editor command (0 x 0 without it), the problem
// told after `tool`.
bool readEditorSize(const CommandLine& line, const char* tool, int& width, int& height,
                    std::ostream& err);

// What a face host's render reports of the output: its frames, peak and
// RMS, on a line the caller ends.
std::ostream& reportLevels(std::ostream& out, const BlockStats& stats);

// The word of each flag that `flags` has set, each after a space: how the
// hosts' info lists a parameter's flags.
struct FlagWord {
    std::uint64_t flag;
    const char* word;
};
std::string flagWords(std::uint64_t flags, std::initializer_list<FlagWord> words);

// Serves the open `window` for `afterMs` (until interrupted when negative),
// then saves its --screenshot. Answers the exit status.
template <class Window>
int showEditor(Window& window, const CommandLine& line, double afterMs, const char* tool,
               std::ostream& err) {
    if (afterMs < 0.0) {
        for (;;) window.pump(1000);  // until interrupted
    }
    window.pump(static_cast<int>(afterMs));
    if (line.has("screenshot")) {
        EditorImage image;
        std::string error;
        if (!window.screenshot(image) || !image.savePng(line.value("screenshot"), &error)) {
            err << tool << ": no screenshot: " << error << "\n";
            return 1;
        }
    }
    return 0;
}

// The editor command of a face host: --after-ms, --scale and --size read,
// `open(window, scale, &error)` opening the plug-in's editor in a `Window`
// of its own, which is then resized as a user dragging its corner would
// and served as showEditor does. Answers the exit status.
template <class Window, class Open>
int runEditorCommand(const CommandLine& line, const char* tool, std::ostream& err, Open&& open) {
    double afterMs = 0.0, scale = 0.0;
    int width = 0, height = 0;
    if (!readEditorTimes(line, tool, afterMs, scale, err) ||
        !readEditorSize(line, tool, width, height, err))
        return 2;
    Window window;
    std::string error;
    if (!open(window, scale, &error)) {
        err << tool << ": " << error << "\n";
        return 1;
    }
    if (width > 0 && !window.userResize(width, height))
        err << tool << ": the editor does not take another size\n";
    return showEditor(window, line, afterMs, tool, err);
}

// The same for a `Window` that opens as `window.open(plugin, &error, scale)`.
template <class Window, class Plugin>
int runEditorCommand(Plugin& plugin, const CommandLine& line, const char* tool, std::ostream& err) {
    return runEditorCommand<Window>(line, tool, err,
                                    [&](Window& window, double scale, std::string* error) {
                                        return window.open(plugin, error, scale);
                                    });
}

}  // namespace plughost
