#include "tools/plughost/CommandSteps.h"

#include "tools/plughost/ParameterSetting.h"
#include "tools/plughost/PresetFiles.h"

#include <cstdio>

namespace plughost {

const CommandLine::Options kSettingOptions = {{"preset", true}, {"set", true}};
const CommandLine::Options kSongOptions = {{"midi", true}, {"out", true}};
const CommandLine::Options kRenderSizeOptions = {{"rate", true}, {"block", true}};
const CommandLine::Options kEditorOptions = {
    {"screenshot", true}, {"after-ms", true}, {"scale", true}, {"size", true}};

std::unique_ptr<PluginInstance> loadOrReport(PluginHost& host, const std::string& path,
                                             std::ostream& err) {
    std::string error;
    auto plugin = host.load(path, &error);
    if (!plugin) err << error << "\n";
    return plugin;
}

int applyPresetAndSettings(PluginInstance& plugin, const CommandLine& line, std::ostream* report,
                           std::ostream& err) {
    std::string error;
    if (line.has("preset") && !applyPresetOption(plugin, line.value("preset"), &error)) {
        err << error << "\n";
        return 1;
    }
    for (const std::string& setting : line.values("set"))
        if (!applyParameterSetting(plugin, setting, report, &error)) {
            err << error << "\n";
            return 2;
        }
    return 0;
}

namespace {

// `ok`, the problem told after `tool` when not.
bool told(bool ok, const char* tool, const std::string& error, std::ostream& err) {
    if (!ok) err << tool << ": " << error << "\n";
    return ok;
}

}  // namespace

bool readRenderSizes(const CommandLine& line, const char* tool, RenderSizes& sizes,
                     std::ostream& err) {
    std::string error;
    double block = sizes.block;
    const bool read = line.number("rate", 1000.0, 1000000.0, sizes.rate, &error) &&
                      line.number("block", 1.0, 65536.0, block, &error);
    sizes.block = static_cast<int>(block);
    return told(read, tool, error, err);
}

bool openSongAndWav(const CommandLine& line, const char* tool, double rate, MidiSong& song,
                    WavWriter& wav, std::ostream& err) {
    std::string error;
    return told(song.load(line.value("midi"), &error) &&
                    wav.open(line.value("out"), 1, static_cast<int>(rate), &error),
                tool, error, err);
}

std::ostream& reportLevels(std::ostream& out, const BlockStats& stats) {
    return out << "frames " << stats.frames << "  peak " << stats.peak << "  rms " << stats.rms;
}

std::string flagWords(std::uint64_t flags, std::initializer_list<FlagWord> words) {
    std::string text;
    for (const FlagWord& w : words)
        if (flags & w.flag) text += std::string(" ") + w.word;
    return text;
}

bool readEditorTimes(const CommandLine& line, const char* tool, double& afterMs, double& scale,
                     std::ostream& err) {
    std::string error;
    afterMs = line.has("screenshot") ? 1000.0 : -1.0;
    scale = 0.0;
    return told(line.number("after-ms", 0.0, 1e9, afterMs, &error) &&
                    line.number("scale", 0.0, 16.0, scale, &error),
                tool, error, err);
}

bool readEditorSize(const CommandLine& line, const char* tool, int& width, int& height,
                    std::ostream& err) {
    width = height = 0;
    if (!line.has("size")) return true;
    const std::string text = line.value("size");
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &rest) != 3 || x != 'x' ||
        width < 1 || height < 1 || width > 16384 || height > 16384) {
        err << tool << ": --size wants WIDTHxHEIGHT, not " << text << "\n";
        width = height = 0;
        return false;
    }
    return true;
}

}  // namespace plughost
