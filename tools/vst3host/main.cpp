// vst3host: a small VST 3 host for trying a bundle without a DAW.
//
//   vst3host info BUNDLE [--presets FOLDER]
//   vst3host render BUNDLE --midi IN.mid --out OUT.wav [--set NAME=TEXT ...]
//                   [--program N] [--rate R] [--block N] [--double]
//                   [--state IN.state] [--save-state OUT.state]
//   vst3host editor BUNDLE [--screenshot FILE.png] [--after-ms N] [--scale F] [--size WxH]

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
#include "tools/plughost/NamedParameter.h"
#include "tools/plughost/WavWriter.h"
#include "tools/vst3host/Vst3EditorHost.h"
#include "tools/vst3host/Vst3Instance.h"
#include "tools/vst3host/Vst3PresetFolder.h"
#include "tools/vst3host/Vst3SongRenderer.h"

#include <travesty/edit_controller.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

const char* const kUsage =
    "usage: vst3host info BUNDLE [--presets FOLDER]\n"
    "       vst3host render BUNDLE --midi IN.mid --out OUT.wav [--set NAME=TEXT ...]\n"
    "                       [--program N] [--rate R] [--block N] [--double]\n"
    "                       [--state IN.state] [--save-state OUT.state]\n"
    "       vst3host editor BUNDLE [--screenshot FILE.png] [--after-ms N] [--scale F]\n"
    "                       [--size WxH]\n"
    "  BUNDLE is a VST 3 bundle folder (build/Murlan.vst3); its first audio module is used.\n"
    "  info lists the factory's classes, the parameters, the programs and the preset files a\n"
    "  host finds (in ~/.vst3/presets/VENDOR/PLUGIN and the system's preset folders, or in\n"
    "  FOLDER). render plays a MIDI\n"
    "  file (bends through the plug-in's MIDI mapping); TEXT is what the parameter shows.\n"
    "  --state loads a component state (the bytes a host stores in a session) before the\n"
    "  settings; --save-state writes the state after them, as a host saving the session.\n"
    "  editor opens the plug-in's view in a window of its own; --size then resizes it as a\n"
    "  user dragging its corner would (the view answers the nearest size it takes).\n";

std::string flagsText(std::int32_t flags) {
    return plughost::flagWords(static_cast<std::uint32_t>(flags),
                               {{V3_PARAM_CAN_AUTOMATE, "automatable"},
                                {V3_PARAM_IS_LIST, "list"},
                                {V3_PARAM_IS_HIDDEN, "hidden"},
                                {V3_PARAM_READ_ONLY, "read-only"},
                                {V3_PARAM_PROGRAM_CHANGE, "program-change"}});
}

std::string hexId(const std::uint8_t* id) {
    char text[33];
    for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02X", id[i]);
    return text;
}

int info(vst3host::Vst3Instance& plugin, const plughost::CommandLine& line) {
    std::cout << "factory vendor: " << plugin.factoryVendor() << "\n";
    for (const vst3host::ClassInfo& c : plugin.classes())
        std::cout << "class " << hexId(c.id) << " '" << c.name << "' " << c.category << " ["
                  << c.subCategories << "] vendor '" << c.vendor << "' version " << c.version
                  << " sdk '" << c.sdkVersion << "'\n";
    std::cout << "controller: " << (plugin.singleObject() ? "the component itself" : "own class")
              << "\n";
    for (const vst3host::ParameterInfo& p : plugin.parameters()) {
        const double value = plugin.normalised(p.id);
        std::printf("param %6u  %-12s %-8s %-6s steps %-3d default %.6f  now %.6f = %s%s\n", p.id,
                    p.title.c_str(), p.shortTitle.c_str(), p.units.c_str(), p.stepCount,
                    p.defaultValue, value, plugin.text(p.id, value).c_str(),
                    flagsText(p.flags).c_str());
    }
    const std::vector<std::string> programs = plugin.programNames();
    for (std::size_t i = 0; i < programs.size(); ++i)
        std::cout << "program " << i << ": " << programs[i] << "\n";
    v3_param_id bend = 0;
    if (plugin.bendParameter(bend)) std::cout << "pitch bend -> param " << bend << "\n";
    if (plugin.classes().empty()) return 0;
    const vst3host::ClassInfo& first = plugin.classes().front();
    const std::vector<std::string> folders =
        line.has("presets")
            ? std::vector<std::string>{line.value("presets")}
            : vst3host::presetFolders(first.vendor.empty() ? plugin.factoryVendor() : first.vendor,
                                      first.name);
    for (const std::string& folder : folders)
        for (const vst3host::PresetFile& preset : vst3host::presetsIn(folder, hexId(first.id)))
            std::cout << "preset file: " << preset.label << " (" << preset.state.size()
                      << " bytes of state) in " << folder << "\n";
    return 0;
}

int render(vst3host::Vst3Instance& plugin, const plughost::CommandLine& line) {
    if (!line.has("midi") || !line.has("out")) {
        std::cerr << kUsage;
        return 2;
    }
    vst3host::Vst3RenderOptions options;
    double program = -1.0;
    std::string error;
    if (!plughost::readRenderSizes(line, "vst3host", options, std::cerr)) return 2;
    if (!line.number("program", 0.0, 1e6, program, &error)) {
        std::cerr << "vst3host: " << error << "\n";
        return 2;
    }
    plughost::MidiSong song;
    plughost::WavWriter wav;
    if (!plughost::openSongAndWav(line, "vst3host", options.rate, song, wav, std::cerr)) return 1;
    if (line.has("state")) {
        std::ifstream in(line.value("state"), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        if (!in.is_open() || plugin.setState(bytes) != V3_OK) {
            std::cerr << "vst3host: the plug-in refuses the state in " << line.value("state")
                      << "\n";
            return 1;
        }
    }
    options.doubles = line.has("double");
    vst3host::ParameterInfo programInfo;
    if (program >= 0.0 && plugin.programParameter(programInfo)) {
        const double value = programInfo.stepCount > 0 ? program / programInfo.stepCount : 0.0;
        plugin.setNormalised(programInfo.id, value);
        options.changes.push_back({0, programInfo.id, value});
    }
    for (const std::string& setting : line.values("set")) {
        v3_param_id id = 0;
        double value = 0.0;
        if (!plughost::readNamedSetting(plugin, setting, id, value)) {
            std::cerr << "vst3host: cannot set \"" << setting << "\" (NAME=TEXT)\n";
            return 2;
        }
        // As a host does: the controller hears it, the processor gets it
        // in the first block.
        plugin.setNormalised(id, value);
        options.changes.push_back({0, id, value});
    }
    if (line.has("save-state")) {
        const std::vector<std::uint8_t> bytes = plugin.state();
        std::ofstream out(line.value("save-state"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (bytes.empty() || !out.flush()) {
            std::cerr << "vst3host: cannot save the state to " << line.value("save-state") << "\n";
            return 1;
        }
    }
    vst3host::Vst3RenderStats stats;
    if (!vst3host::renderSong(plugin, song, options, wav, stats, &error) || !wav.close()) {
        std::cerr << "vst3host: " << error << "\n";
        return 1;
    }
    plughost::reportLevels(std::cout, stats)
        << (options.doubles ? "  (64-bit)" : "  (32-bit)") << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command != "info" && command != "render" && command != "editor") {
        std::cerr << kUsage;
        return command == "help" || command == "--help" ? 0 : 2;
    }
    plughost::CommandLine line(plughost::CommandLine::joined({plughost::kSongOptions,
                                                              plughost::kRenderSizeOptions,
                                                              plughost::kEditorOptions,
                                                              {{"set", true},
                                                               {"program", true},
                                                               {"double", false},
                                                               {"state", true},
                                                               {"save-state", true},
                                                               {"presets", true}}}));
    std::string error;
    if (!line.parse(std::vector<std::string>(argv + 2, argv + argc), &error) ||
        line.positionals().size() != 1) {
        std::cerr << "vst3host: " << error << "\n" << kUsage;
        return 2;
    }
    auto plugin = vst3host::Vst3Instance::load(line.positionals()[0], &error);
    if (!plugin) {
        std::cerr << "vst3host: " << error << "\n";
        return 1;
    }
    if (command == "info") return info(*plugin, line);
    if (command == "render") return render(*plugin, line);
    return plughost::runEditorCommand<vst3host::Vst3EditorHost>(*plugin, line, "vst3host",
                                                                std::cerr);
}
