// plughost render PLUGIN.so --midi IN.mid --out OUT.wav [options]: plays a
// Standard MIDI File through the plug-in into a 32-bit float WAV file.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/ProgressBar.h"
#include "tools/plughost/SongRenderer.h"
#include "tools/plughost/Subcommands.h"
#include "tools/plughost/WavWriter.h"

#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>

namespace plughost {

namespace {

const char* const kUsage =
    "usage: plughost render PLUGIN.so --midi IN.mid --out OUT.wav [--rate 48000] [--block 512]\n"
    "         [--double|--float] [--tempo BPM] [--program N] [--set Name=Text ...] [--tail SECONDS]\n"
    "  --tempo plays the whole file at BPM instead of its own tempo map.\n"
    "  --set Name=#0.25 sets a normalised value for plug-ins that do not parse texts;\n"
    "  --set 5=Text addresses parameter 5 by its index.\n"
    "  @FILE inserts the options written in FILE.";

// Renders of this length or more show progress on a terminal.
constexpr double kLongRenderSeconds = 10.0;

std::string level(double linear) {
    std::ostringstream s;
    s << std::fixed << std::setprecision(6) << linear << " linear, ";
    if (linear > 0.0)
        s << std::setprecision(2) << 20.0 * std::log10(linear) << " dBFS";
    else
        s << "-inf dBFS";
    return s.str();
}

// --set Name=Text: the name as effGetParamName shows it (any letter case),
// the text as the plug-in's own display would read it.
// Reports what the plug-in shows afterwards: some plug-ins accept any text
// and keep their value when they cannot read it.
bool applySetting(PluginInstance& plugin, const std::string& setting, std::ostream& out,
                  std::string* error) {
    const auto eq = setting.find('=');
    if (eq == std::string::npos || eq == 0) {
        *error = "--set " + setting + ": expected Name=Text";
        return false;
    }
    const std::string name = setting.substr(0, eq);
    const std::string text = setting.substr(eq + 1);
    VstInt32 index = -1;
    if (name.find_first_not_of("0123456789") == std::string::npos) {
        index = static_cast<VstInt32>(std::atoi(name.c_str()));
        if (index >= plugin.numParams()) index = -1;
    } else {
        index = plugin.findParameter(name);
    }
    if (index < 0 && plugin.parametersCutFrom(name).size() > 1) {
        *error = "--set " + setting + ": \"" + name +
                 "\" is ambiguous: the plug-in cuts its parameter names and several read \"" +
                 plugin.paramName(plugin.parametersCutFrom(name).front()) +
                 "\"; give the index instead (--set INDEX=Text)";
        return false;
    }
    if (index < 0) {
        *error = "--set " + setting + ": the plug-in has no parameter \"" + name + "\"; it has:";
        for (VstInt32 i = 0; i < plugin.numParams(); ++i) *error += " " + plugin.paramName(i);
        return false;
    }
    if (!text.empty() && text[0] == '#') {
        char* end = nullptr;
        const double v = std::strtod(text.c_str() + 1, &end);
        if (*end != 0 || !(v >= 0.0 && v <= 1.0)) {
            *error = "--set " + setting + ": a normalised value must be a number from 0 to 1";
            return false;
        }
        plugin.setParameter(index, static_cast<float>(v));
    } else if (!plugin.string2Parameter(index, text.c_str())) {
        *error = "--set " + setting + ": the plug-in did not accept the text \"" + text +
                 "\" (try Name=#value for a normalised value)";
        return false;
    }
    const std::string label = plugin.paramLabel(index);
    out << "Set " << plugin.paramName(index) << ": " << plugin.paramDisplay(index)
        << (label.empty() ? "" : " ") << label << "\n";
    return true;
}

}  // namespace

int runRender(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line({{"midi", true}, {"out", true}, {"rate", true}, {"block", true},
                      {"double", false}, {"float", false}, {"tempo", true}, {"program", true},
                      {"set", true}, {"tail", true}});
    std::string error;
    if (!line.parse(args, &error) || line.positionals().size() != 1 || !line.has("midi") ||
        !line.has("out")) {
        if (!error.empty()) err << error << "\n";
        err << kUsage << "\n";
        return 2;
    }
    RenderOptions options;
    double block = options.block, program = -1;
    if (!line.number("rate", 1000, 1536000, options.rate, &error) ||
        !line.number("block", 1, 65536, block, &error) ||
        !line.number("tempo", 1, 1000, options.tempo, &error) ||
        !line.number("tail", 0, 3600, options.tailSeconds, &error) ||
        !line.number("program", 0, 1e9, program, &error)) {
        err << error << "\n";
        return 2;
    }
    if (line.has("double") && line.has("float")) {
        err << "--double and --float exclude each other\n";
        return 2;
    }
    options.block = static_cast<int>(block);
    options.precision = line.has("double") ? RenderOptions::Double
                        : line.has("float") ? RenderOptions::Float
                                            : RenderOptions::Auto;

    MidiSong song;
    if (!song.load(line.value("midi"), &error)) {
        err << error << "\n";
        return 1;
    }
    PluginHost host;
    host.setSampleRate(options.rate);
    host.setBlockSize(options.block);
    auto plugin = host.load(line.positionals()[0], &error);
    if (!plugin) {
        err << error << "\n";
        return 1;
    }
    if (plugin->numOutputs() < 1) {
        err << "the plug-in has no outputs\n";
        return 1;
    }
    {
        TempoMap map = song.tempoMap();
        if (options.tempo > 0) map.setConstantTempo(options.tempo);
        options.progress = ProgressBar::isTerminal(stderr) &&
                           map.secondsAt(song.endPpq()) + options.tailSeconds >= kLongRenderSeconds;
    }
    SongRenderer renderer(*plugin, options);
    renderer.prepare();
    if (program >= 0) {
        if (program >= plugin->numPrograms()) {
            err << "--program " << program << ": the plug-in has " << plugin->numPrograms()
                << " programs\n";
            return 2;
        }
        plugin->setProgram(static_cast<VstInt32>(program));
    }
    for (const std::string& setting : line.values("set")) {
        if (!applySetting(*plugin, setting, out, &error)) {
            err << error << "\n";
            return 2;
        }
    }
    WavWriter wav;
    if (!wav.open(line.value("out"), plugin->numOutputs(), static_cast<int>(std::lround(options.rate)),
                  &error)) {
        err << error << "\n";
        return 1;
    }
    RenderStats stats;
    const bool ok = renderer.render(song, &wav, stats, &error);
    const bool closed = wav.close();
    plugin.reset();
    if (!ok || !closed) {
        err << (error.empty() ? "writing " + line.value("out") + " failed" : error) << "\n";
        return 1;
    }
    out << "Wrote " << line.value("out") << ": " << stats.frames << " frames ("
        << std::fixed << std::setprecision(2) << stats.frames / options.rate << " s), "
        << stats.channels << (stats.channels == 1 ? " channel, " : " channels, ")
        << std::setprecision(0) << options.rate << " Hz, "
        << (stats.usedDouble ? "double" : "float") << " precision\n";
    out << "Events: " << stats.eventsSent << " in " << stats.processCalls << " process calls\n";
    out << "Peak: " << level(stats.peak) << "\n";
    out << "RMS:  " << level(stats.rms) << "\n";
    if (!stats.finite) {
        err << "the output contains NaN or infinite samples\n";
        return 1;
    }
    return 0;
}

}  // namespace plughost
