// lv2host: a small lilv/suil host for trying an LV2 bundle without a DAW.
//
//   lv2host render BUNDLE --midi IN.mid --out OUT.wav [--set SYMBOL=VALUE ...]
//                  [--rate R] [--block N] [--state IN.ttl] [--save-state OUT.ttl]
//   lv2host editor BUNDLE [--screenshot FILE.png] [--after-ms N] [--scale F] [--size WxH]

#include "tools/lv2host/Lv2Instance.h"
#include "tools/lv2host/Lv2SongRenderer.h"
#include "tools/lv2host/Lv2UiHost.h"
#include "tools/lv2host/Lv2World.h"
#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
#include "tools/plughost/WavWriter.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits.h>
#include <stdlib.h>

namespace {

const char* const kUsage =
    "usage: lv2host render BUNDLE --midi IN.mid --out OUT.wav [--set SYMBOL=VALUE ...]\n"
    "                      [--rate R] [--block N] [--state IN.ttl] [--save-state OUT.ttl]\n"
    "       lv2host editor BUNDLE [--screenshot FILE.png] [--after-ms N] [--scale F]\n"
    "                      [--size WxH]\n"
    "  BUNDLE is an LV2 bundle folder (build/Murlan.lv2); its own (first) plug-in is used.\n"
    "  render plays a MIDI file with a transport position at every block; VALUE is in the\n"
    "  port's own unit. --state restores a state saved by --save-state (Turtle, as a host\n"
    "  keeps it) before the settings; --save-state writes the state after them.\n"
    "  editor opens the plug-in's UI in a window of its own; --size then makes the window\n"
    "  that size and tells a UI that offers ui:resize.\n";

std::string absolute(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The state as a host keeps it: the ports and the plug-in's own properties,
// written as Turtle.
const char kStateUri[] = "urn:lv2host:state";

bool saveState(lv2host::Lv2World& world, lv2host::Lv2Instance& instance, const std::string& path) {
    LilvState* state = instance.saveState();
    char* text = state ? lilv_state_to_string(world.world(), world.mapFeature(),
                                              world.unmapFeature(), state, kStateUri, nullptr)
                       : nullptr;
    std::ofstream out(path);
    if (text) out << text;
    const bool saved = text && out.flush();
    lilv_free(text);
    lilv_state_free(state);
    return saved;
}

bool loadState(lv2host::Lv2World& world, lv2host::Lv2Instance& instance, const std::string& path) {
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LilvState* state =
        text.empty() ? nullptr
                     : lilv_state_new_from_string(world.world(), world.mapFeature(), text.c_str());
    if (state) instance.restoreState(state);
    lilv_state_free(state);
    return state != nullptr;
}

int render(const plughost::CommandLine& line) {
    if (line.positionals().size() != 1 || !line.has("midi") || !line.has("out")) {
        std::cerr << kUsage;
        return 2;
    }
    std::string error;
    lv2host::Lv2RenderOptions options;
    if (!plughost::readRenderSizes(line, "lv2host", options, std::cerr)) return 2;
    lv2host::Lv2World world;
    const LilvPlugin* plugin = world.loadBundle(absolute(line.positionals()[0]), "", &error);
    auto instance =
        plugin ? lv2host::Lv2Instance::create(world, plugin, options.rate, options.block, &error)
               : nullptr;
    plughost::MidiSong song;
    if (!instance || !song.load(line.value("midi"), &error)) {
        std::cerr << "lv2host: " << error << "\n";
        return 1;
    }
    if (line.has("state") && !loadState(world, *instance, line.value("state"))) {
        std::cerr << "lv2host: no state of the plug-in in " << line.value("state") << "\n";
        return 1;
    }
    for (const std::string& setting : line.values("set")) {
        const auto equals = setting.find('=');
        char* end = nullptr;
        const float value =
            equals == std::string::npos ? 0.0f : std::strtof(setting.c_str() + equals + 1, &end);
        if (equals == std::string::npos || !end || *end ||
            !instance->setControl(setting.substr(0, equals), value)) {
            std::cerr << "lv2host: cannot set \"" << setting << "\" (SYMBOL=VALUE)\n";
            return 2;
        }
    }
    if (line.has("save-state") && !saveState(world, *instance, line.value("save-state"))) {
        std::cerr << "lv2host: cannot save the state to " << line.value("save-state") << "\n";
        return 1;
    }
    plughost::WavWriter wav;
    if (!wav.open(line.value("out"), 1, static_cast<int>(options.rate), &error)) {
        std::cerr << "lv2host: " << error << "\n";
        return 1;
    }
    lv2host::Lv2RenderStats stats;
    if (!lv2host::renderSong(*instance, song, options, wav, stats) || !wav.close()) {
        std::cerr << "lv2host: writing the audio failed\n";
        return 1;
    }
    plughost::reportLevels(std::cout, stats) << "\n";
    return 0;
}

int editor(const plughost::CommandLine& line) {
    if (line.positionals().size() != 1) {
        std::cerr << kUsage;
        return 2;
    }
    lv2host::Lv2World world;
    return plughost::runEditorCommand<lv2host::Lv2UiHost>(
        line, "lv2host", std::cerr,
        [&](lv2host::Lv2UiHost& window, double scale, std::string* error) {
            const LilvPlugin* plugin = world.loadBundle(absolute(line.positionals()[0]), "", error);
            return plugin && window.open(world, plugin, error, static_cast<float>(scale));
        });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (std::strcmp(argv[1], "render") != 0 && std::strcmp(argv[1], "editor") != 0)) {
        std::cerr << kUsage;
        return argc >= 2 && (!std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help")) ? 0
                                                                                               : 2;
    }
    const bool isRender = std::strcmp(argv[1], "render") == 0;
    plughost::CommandLine line(isRender
                                   ? plughost::CommandLine::joined(
                                         {plughost::kSongOptions,
                                          plughost::kRenderSizeOptions,
                                          {{"set", true}, {"state", true}, {"save-state", true}}})
                                   : plughost::kEditorOptions);
    std::string error;
    if (!line.parse(std::vector<std::string>(argv + 2, argv + argc), &error)) {
        std::cerr << "lv2host: " << error << "\n" << kUsage;
        return 2;
    }
    return isRender ? render(line) : editor(line);
}
