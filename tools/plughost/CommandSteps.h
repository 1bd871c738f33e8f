#pragma once
// Steps several subcommands take alike. Each reports its problem to `err`
// itself, so that the commands word it and exit on it the same way.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/EditorImage.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/RenderSizes.h"
#include "tools/plughost/WavWriter.h"

#include <memory>
#include <ostream>
#include <string>

namespace plughost {

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

}  // namespace plughost
