#pragma once
// What the adapter faces' tests compare with: a song played through the
// VST 2.4 plug-in as plughost's SongRenderer plays it, each block cut where
// a parameter change falls, the parameter set there and the transport
// moved on to that frame, which is what every adapter face does with a
// change inside a block; and the demo's settings they are all given.

#include "tools/plughost/MidiSong.h"
#include "tools/plughost/PluginInstance.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace facetest {

struct Vst24Change {
    std::int64_t frame;
    int index;
    double normalised;
};

struct Vst24Options {
    double rate = 48000.0;
    int block = 512;
    bool doubles = false;
    double tailSeconds = 2.0;
    // How the host's format carries a position in quarters (the identity
    // when it carries doubles).
    double (*quarters)(double) = nullptr;
};

// NAME=TEXT pairs of examples/demo.args, which each face is given alike.
std::vector<std::pair<std::string, std::string>> demoSettings();

// The first output's samples; changes in time order.
std::vector<double> renderVst24(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                                const std::vector<Vst24Change>& changes,
                                const Vst24Options& options);

// Index of the first sample that differs, -1 when none (lengths included).
long firstDifference(const std::vector<double>& a, const std::vector<double>& b);

}  // namespace facetest
