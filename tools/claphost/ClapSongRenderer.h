#pragma once
// Plays a MidiSong through a CLAP instance the way plughost's SongRenderer
// plays it through a VST 2.4 one: the same blocks (split where the tempo
// changes), every message at its exact frame (notes as note events of the
// CLAP dialect or as MIDI, the rest as MIDI), a transport at every block
// carrying what the VST 2.4 host's transport says there, and parameter
// changes at their frames. Same engine and same events then give the same
// samples on both faces.

#include "tools/plughost/AudioSink.h"
#include "tools/plughost/MidiSong.h"

#include <clap/events.h>

#include <cstdint>
#include <string>
#include <vector>

namespace claphost {

class ClapInstance;

struct ParameterChange {
    std::int64_t frame = 0;
    clap_id id = 0;
    double plain = 0.0;
};

struct ClapRenderOptions {
    int block = 512;
    double rate = 48000.0;
    double tailSeconds = 2.0;
    bool doubles = false;
    // Notes as MIDI messages rather than CLAP note events.
    bool midiNotes = false;
    // In time order.
    std::vector<ParameterChange> changes;
    // When set, every sample of the first channel as the plug-in wrote it.
    std::vector<double>* capture = nullptr;
};

struct ClapRenderStats {
    std::int64_t frames = 0;
    double peak = 0.0;
    double rms = 0.0;
    bool finite = true;
    // Every channel of the port carried the same samples.
    bool channelsAlike = true;
};

// The transport a VST 2.4 host gives at quarter `ppq` of `song` and frame
// `frame`, in CLAP's fixed-point units.
clap_event_transport_t transportAt(const plughost::MidiSong& song, double ppq, double rate,
                                   std::int64_t frame);

// Activates, renders the song plus the tail into `sink`, deactivates.
bool renderSong(ClapInstance& instance, const plughost::MidiSong& song,
                const ClapRenderOptions& options, plughost::AudioSink& sink, ClapRenderStats& stats,
                std::string* error = nullptr);

}  // namespace claphost
