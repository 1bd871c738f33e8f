// plughost render PLUGIN.so --midi IN.mid --out OUT.wav [options]: plays a
// Standard MIDI File through the plug-in into a 32-bit float WAV file.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
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
    "         [--double|--float] [--tempo BPM] [--program N] [--preset FILE.fxp|FILE.fxb|NAME]\n"
    "         [--set Name=Text ...] [--tail SECONDS]\n"
    "  OUT.flac or OUT.ogg writes compressed audio (24-bit FLAC, Ogg Vorbis), else float WAV.\n"
    "  --preset loads a program or bank file, or a program file of the plug-in's own\n"
    "  library by name (PLUGINPresets/ beside it); --set then changes that.\n"
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

}  // namespace

int runRender(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line(CommandLine::joined({kSongOptions,
                                          kRenderSizeOptions,
                                          kSettingOptions,
                                          {{"double", false},
                                           {"float", false},
                                           {"tempo", true},
                                           {"program", true},
                                           {"tail", true}}}));
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
    options.precision = line.has("double")  ? RenderOptions::Double
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
    auto plugin = loadOrReport(host, line.positionals()[0], err);
    if (!plugin) return 1;
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
    if (const int status = applyPresetAndSettings(*plugin, line, &out, err)) return status;
    WavWriter wav;
    if (!wav.open(line.value("out"), plugin->numOutputs(),
                  static_cast<int>(std::lround(options.rate)), &error)) {
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
    out << "Wrote " << line.value("out") << ": " << stats.frames << " frames (" << std::fixed
        << std::setprecision(2) << stats.frames / options.rate << " s), " << stats.channels
        << (stats.channels == 1 ? " channel, " : " channels, ") << std::setprecision(0)
        << options.rate << " Hz, " << (stats.usedDouble ? "double" : "float") << " precision\n";
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
