// claphost: a small CLAP host for trying a plug-in without a DAW.
//
//   claphost info PLUGIN.clap
//   claphost render PLUGIN.clap --midi IN.mid --out OUT.wav [--set NAME=TEXT ...]
//                   [--rate R] [--block N] [--double] [--midi-notes]
//   claphost editor PLUGIN.clap [--screenshot FILE.png] [--after-ms N] [--scale F]
//                   [--size WxH]
//   claphost state PLUGIN.clap [--set NAME=TEXT ...]

#include "tools/claphost/ClapEditorHost.h"
#include "tools/claphost/ClapInstance.h"
#include "tools/claphost/ClapSongRenderer.h"
#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
#include "tools/plughost/NamedParameter.h"
#include "tools/plughost/WavWriter.h"

#include <cstdio>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: claphost info PLUGIN.clap\n"
    "       claphost render PLUGIN.clap --midi IN.mid --out OUT.wav [--set NAME=TEXT ...]\n"
    "                       [--rate R] [--block N] [--double] [--midi-notes]\n"
    "       claphost editor PLUGIN.clap [--screenshot FILE.png] [--after-ms N] [--scale F]\n"
    "                       [--size WxH]\n"
    "       claphost state PLUGIN.clap [--set NAME=TEXT ...]\n"
    "  The factory's first plug-in is used. info lists its descriptor, ports and parameters.\n"
    "  render plays a MIDI file (notes as CLAP note events, or MIDI with --midi-notes); TEXT\n"
    "  is what the parameter shows. editor opens the gui in a window of its own; --size then\n"
    "  resizes it as a user dragging its corner would (to the nearest size it takes). state saves\n"
    "  the state, loads it into a fresh instance and checks that it saves the same again.\n"
    "  Every command ends by listing host calls made on threads the headers do not allow.\n";

std::string flagsText(std::uint32_t flags) {
    return plughost::flagWords(flags, {{CLAP_PARAM_IS_STEPPED, "stepped"},
                                       {CLAP_PARAM_IS_AUTOMATABLE, "automatable"},
                                       {CLAP_PARAM_IS_HIDDEN, "hidden"},
                                       {CLAP_PARAM_IS_READONLY, "read-only"}});
}

int info(claphost::ClapInstance& plugin) {
    const clap_plugin_descriptor_t& d = plugin.descriptor();
    std::cout << "id '" << d.id << "' name '" << d.name << "' vendor '"
              << (d.vendor ? d.vendor : "") << "' version '" << (d.version ? d.version : "")
              << "'\nfeatures:";
    for (const char* const* f = d.features; f && *f; ++f) std::cout << " " << *f;
    std::cout << "\n";
    const clap_plugin_t* p = plugin.plugin();
    if (const clap_plugin_audio_ports_t* ports = plugin.audioPorts())
        for (int input = 1; input >= 0; --input)
            for (std::uint32_t i = 0; i < ports->count(p, input != 0); ++i) {
                clap_audio_port_info_t port{};
                if (ports->get(p, i, input != 0, &port))
                    std::cout << (input ? "audio in " : "audio out ") << port.id << " '"
                              << port.name << "' " << port.channel_count << " channels "
                              << (port.port_type ? port.port_type : "") << "\n";
            }
    if (const clap_plugin_note_ports_t* ports = plugin.notePorts())
        for (std::uint32_t i = 0; i < ports->count(p, true); ++i) {
            clap_note_port_info_t port{};
            if (ports->get(p, i, true, &port))
                std::cout << "note in " << port.id << " '" << port.name << "' dialects "
                          << port.supported_dialects << " preferred " << port.preferred_dialect
                          << "\n";
        }
    for (const claphost::ParameterInfo& i : plugin.parameters()) {
        const double value = plugin.value(i.id);
        std::printf("param %3u  %-10s %-8s %10.4f .. %-10.4f default %-10.4f now %s%s\n", i.id,
                    i.name.c_str(), i.module.c_str(), i.minimum, i.maximum, i.defaultValue,
                    plugin.text(i.id, value).c_str(), flagsText(i.flags).c_str());
    }
    return 0;
}

bool applySettings(claphost::ClapInstance& plugin, const plughost::CommandLine& line,
                   claphost::ClapRenderOptions* options) {
    claphost::EventQueue now;
    for (const std::string& setting : line.values("set")) {
        clap_id id = 0;
        double plain = 0.0;
        if (!plughost::readNamedSetting(plugin, setting, id, plain)) {
            std::cerr << "claphost: cannot set \"" << setting << "\" (NAME=TEXT)\n";
            return false;
        }
        // As a host does before processing: a flush with the values.
        now.value(0, id, plain);
        if (options) options->changes.push_back({0, id, plain});
    }
    plugin.flush(now);
    return true;
}

int render(claphost::ClapInstance& plugin, const plughost::CommandLine& line) {
    if (!line.has("midi") || !line.has("out")) {
        std::cerr << kUsage;
        return 2;
    }
    claphost::ClapRenderOptions options;
    if (!plughost::readRenderSizes(line, "claphost", options, std::cerr)) return 2;
    if (!applySettings(plugin, line, nullptr)) return 2;
    plughost::MidiSong song;
    plughost::WavWriter wav;
    if (!plughost::openSongAndWav(line, "claphost", options.rate, song, wav, std::cerr)) return 1;
    options.doubles = line.has("double");
    options.midiNotes = line.has("midi-notes");
    std::string error;
    claphost::ClapRenderStats stats;
    if (!claphost::renderSong(plugin, song, options, wav, stats, &error) || !wav.close()) {
        std::cerr << "claphost: " << error << "\n";
        return 1;
    }
    plughost::reportLevels(std::cout, stats)
        << (options.doubles ? "  (64-bit)" : "  (32-bit)")
        << (stats.channelsAlike ? "" : "  channels differ") << "\n";
    return 0;
}

int state(claphost::ClapInstance& plugin, const std::string& path,
          const plughost::CommandLine& line) {
    if (!applySettings(plugin, line, nullptr)) return 2;
    const std::vector<std::uint8_t> saved = plugin.saveState();
    std::string error;
    auto fresh = claphost::ClapInstance::load(path, &error);
    if (saved.empty() || !fresh) {
        std::cerr << "claphost: " << (saved.empty() ? "the plug-in saved no state" : error) << "\n";
        return 1;
    }
    const bool loaded = fresh->loadState(saved, 7);
    const bool same = loaded && fresh->saveState() == saved;
    std::cout << "state " << saved.size() << " bytes, " << (loaded ? "loaded" : "refused") << ", "
              << (same ? "saved again the same" : "saved again differently") << "\n";
    return same ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command != "info" && command != "render" && command != "editor" && command != "state") {
        std::cerr << kUsage;
        return command == "help" || command == "--help" ? 0 : 2;
    }
    plughost::CommandLine line(
        plughost::CommandLine::joined({plughost::kSongOptions,
                                       plughost::kRenderSizeOptions,
                                       plughost::kEditorOptions,
                                       {{"set", true}, {"double", false}, {"midi-notes", false}}}));
    std::string error;
    if (!line.parse(std::vector<std::string>(argv + 2, argv + argc), &error) ||
        line.positionals().size() != 1) {
        std::cerr << "claphost: " << error << "\n" << kUsage;
        return 2;
    }
    const std::string path = line.positionals()[0];
    auto plugin = claphost::ClapInstance::load(path, &error);
    if (!plugin) {
        std::cerr << "claphost: " << error << "\n";
        return 1;
    }
    int status = 0;
    if (command == "info") status = info(*plugin);
    if (command == "render") status = render(*plugin, line);
    if (command == "editor")
        status = plughost::runEditorCommand<claphost::ClapEditorHost>(*plugin, line, "claphost",
                                                                      std::cerr);
    if (command == "state") status = state(*plugin, path, line);
    for (const std::string& wrong : plugin->callsOnWrongThreads())
        std::cerr << "claphost: the plug-in called " << wrong << "\n";
    return status == 0 && !plugin->callsOnWrongThreads().empty() ? 1 : status;
}
