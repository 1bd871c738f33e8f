#pragma once
// What the VST 3 tests share: the built bundle loaded through vst3host, the
// built VST 2.4 plug-in loaded through plughost, the demo's settings given
// to both, and renderers that play a song with parameter changes through
// each face in the same calls, so that their samples can be compared.

#include "faces/FaceFixture.h"
#include "faces/Vst24Reference.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/PluginInstance.h"
#include "tools/vst3host/Vst3Instance.h"
#include "tools/vst3host/Vst3SongRenderer.h"

#include <memory>
#include <string>
#include <vector>

namespace vst3test {

using facetest::kBlock;
using facetest::kRate;
// The instrument's own parameters; the face adds the program and the bend.
using facetest::kParameterCount;

// NAME=TEXT pairs of examples/demo.args, shared by the adapter faces' tests.
using facetest::demoSettings;

class Vst3Fixture : public facetest::FaceFixture {
protected:
    // A fresh instance of the bundle's plug-in, not set up.
    std::unique_ptr<vst3host::Vst3Instance> load();
};

// Settings as each host gives them: texts through string2parameter; for
// VST 3 the controller's text conversion, the value set on the controller
// and sent again as a point at frame 0 of the first block.
using facetest::applySettings;
void applySettings(vst3host::Vst3Instance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings,
                   vst3host::Vst3RenderOptions& options);

// Plays `song` through the VST 2.4 face as plughost's SongRenderer does,
// and cuts each block where a change falls, setting the parameter there
// with the transport moved on to that frame (what the VST 3 face does).
std::vector<double> renderVst(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                              const std::vector<vst3host::ParameterChange>& changes, bool doubles,
                              double tailSeconds);
std::vector<double> renderVst3(vst3host::Vst3Instance& plugin, const plughost::MidiSong& song,
                               vst3host::Vst3RenderOptions options);

using facetest::firstDifference;

}  // namespace vst3test
