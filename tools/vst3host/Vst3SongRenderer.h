#pragma once
// Plays a MidiSong through a VST 3 instance the way plughost's SongRenderer
// plays it through a VST 2.4 one: the same blocks (split where the tempo
// changes), note messages as note events at their exact frames, pitch bends
// as points of the parameter the plug-in maps the bend to (IMidiMapping), a
// process context at every block carrying what the VST 2.4 host's transport
// says there, and parameter changes as points at their frames. Same engine
// and same events then give the same samples on both faces.

#include "tools/plughost/AudioSink.h"
#include "tools/plughost/MidiSong.h"

#include <travesty/base.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vst3host {

class Vst3Instance;

struct ParameterChange {
    std::int64_t frame = 0;
    v3_param_id id = 0;
    double value = 0.0;
};

struct Vst3RenderOptions {
    int block = 512;
    double rate = 48000.0;
    double tailSeconds = 2.0;
    bool doubles = false;
    // In time order.
    std::vector<ParameterChange> changes;
    // When set, every sample as the plug-in wrote it (the sink gets floats).
    std::vector<double>* capture = nullptr;
};

struct Vst3RenderStats {
    std::int64_t frames = 0;
    double peak = 0.0;
    double rms = 0.0;
    bool finite = true;
};

// Sets up, activates, renders the song plus the tail into `sink`, deactivates.
bool renderSong(Vst3Instance& instance, const plughost::MidiSong& song,
                const Vst3RenderOptions& options, plughost::AudioSink& sink, Vst3RenderStats& stats,
                std::string* error = nullptr);

}  // namespace vst3host
