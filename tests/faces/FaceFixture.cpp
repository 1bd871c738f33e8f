#include "FaceFixture.h"

#include "Vst24Reference.h"

#include "tools/plughost/EditorHost.h"

#include <cstdio>

namespace facetest {

std::set<std::string> exportedSymbols(const std::string& binary) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + binary + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char address[64], kind[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) names.insert(name);
    }
    pclose(pipe);
    return names;
}

#if defined(MURLAN_PLUGIN)

plughost::MidiSong FaceFixture::scenario() {
    plughost::MidiSong song;
    song.tempoMap().addTempo(0.0, 100.0);
    song.tempoMap().addTempo(3.3, 141.0);
    song.tempoMap().addTimeSignature(4.0, 3, 4);
    const int notes[] = {57, 64, 69, 62, 71, 60};
    for (int i = 0; i < 6; ++i) {
        const double at = 0.1 + i * 1.05;
        song.addMessage(at, 0x90, static_cast<std::uint8_t>(notes[i]), 100);
        song.addMessage(at + 1.2, 0x80, static_cast<std::uint8_t>(notes[i]), 0);
        song.addMessage(at + 0.37, 0xE0, static_cast<std::uint8_t>(i * 20), 80);
        song.addMessage(at + 0.71, 0xE0, 0, 64);
    }
    song.sort();
    song.extendTo(8.0);
    return song;
}

void applySettings(plughost::PluginInstance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings) {
    for (const auto& s : settings)
        EXPECT_TRUE(plugin.string2Parameter(plugin.findParameter(s.first), s.second.c_str()))
            << s.first;
}

std::unique_ptr<plughost::PluginInstance> FaceFixture::loadVst() {
    std::string error;
    auto vst = vstHost.load(MURLAN_PLUGIN, &error);
    EXPECT_TRUE(vst) << error;
    return vst;
}

std::unique_ptr<plughost::PluginInstance> FaceFixture::loadDemoVst() {
    auto vst = loadVst();
    if (vst) {
        vst->setSampleRate(static_cast<float>(kRate));
        vst->setBlockSize(kBlock);
        applySettings(*vst, demoSettings());
    }
    return vst;
}

plughost::EditorImage FaceFixture::vstShot(float scale) {
    auto vst = loadVst();
    plughost::EditorHost vstWindow;
    std::string error;
    EXPECT_TRUE(vst && vstWindow.open(*vst, &error, scale)) << error;
    plughost::EditorImage image = settledShot(vstWindow);
    vstWindow.close();
    return image;
}

#endif

}  // namespace facetest
