#pragma once
// What the CLAP tests share: the built Murlan.clap loaded through
// claphost, the built VST 2.4 plug-in through plughost, the demo's
// settings given to both, and a VST 2.4 rendering made in the calls the
// CLAP face makes, so that the samples of the two can be compared.

#include "faces/FaceFixture.h"
#include "faces/Vst24Reference.h"
#include "tools/claphost/ClapInstance.h"
#include "tools/claphost/ClapSongRenderer.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/PluginInstance.h"

#include <memory>
#include <string>
#include <vector>

namespace claptest {

using facetest::kBlock;
using facetest::kParameterCount;
using facetest::kRate;

// A change in the effect's own terms: frame, parameter index, normalised.
struct Change {
    std::int64_t frame;
    int index;
    double normalised;
};

class ClapFixture : public facetest::FaceFixture {
protected:
    std::unique_ptr<claphost::ClapInstance> load();
};

// NAME=TEXT pairs of examples/demo.args, given as each host gives them:
// string2parameter; for CLAP the plug-in's text conversion and a flush.
using facetest::applySettings;
using facetest::demoSettings;
void applySettings(claphost::ClapInstance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings);

// Plays `song` through the VST 2.4 face (facetest::renderVst24) with the
// transport a CLAP host can tell: quarters in fixed point.
std::vector<double> renderVst(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                              const std::vector<Change>& changes, bool doubles, double tailSeconds);
std::vector<double> renderClap(claphost::ClapInstance& plugin, const plughost::MidiSong& song,
                               const std::vector<Change>& changes, bool doubles, bool midiNotes,
                               double tailSeconds, bool* channelsAlike = nullptr);

using facetest::firstDifference;

}  // namespace claptest
