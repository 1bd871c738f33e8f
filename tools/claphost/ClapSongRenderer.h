#pragma once
// Plays a MidiSong through a CLAP instance the way plughost's SongRenderer
// plays it through a VST 2.4 one: the same blocks (split where the tempo
// changes), every message at its exact frame (notes as note events of the
// CLAP dialect or as MIDI, the rest as MIDI), a transport at every block
// carrying what the VST 2.4 host's transport says there, and parameter
// changes at their frames. Same engine and same events then give the same
// samples on both faces.

#include "tools/plughost/AudioSink.h"
#include "tools/plughost/BlockPlayer.h"
#include "tools/plughost/MidiSong.h"

#include <clap/events.h>

#include <cstdint>
#include <string>
#include <vector>

namespace claphost {

class ClapInstance;

// Values are plain, as the plug-in's parameters range.
using ParameterChange = plughost::ParameterChange<clap_id>;

struct ClapRenderOptions : plughost::AdapterRenderOptions<clap_id> {
    // Notes as MIDI messages rather than CLAP note events.
    bool midiNotes = false;
};

struct ClapRenderStats : plughost::BlockStats {
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
