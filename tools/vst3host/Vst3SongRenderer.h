#pragma once
// Plays a MidiSong through a VST 3 instance the way plughost's SongRenderer
// plays it through a VST 2.4 one: the same blocks (split where the tempo
// changes), note messages as note events at their exact frames, pitch bends
// as points of the parameter the plug-in maps the bend to (IMidiMapping), a
// process context at every block carrying what the VST 2.4 host's transport
// says there, and parameter changes as points at their frames. Same engine
// and same events then give the same samples on both faces.

#include "tools/plughost/AudioSink.h"
#include "tools/plughost/BlockPlayer.h"
#include "tools/plughost/MidiSong.h"

#include <travesty/base.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vst3host {

class Vst3Instance;

// Values are normalised, as the processor gets them.
using ParameterChange = plughost::ParameterChange<v3_param_id>;
using Vst3RenderOptions = plughost::AdapterRenderOptions<v3_param_id>;
using Vst3RenderStats = plughost::BlockStats;

// Sets up, activates, renders the song plus the tail into `sink`, deactivates.
bool renderSong(Vst3Instance& instance, const plughost::MidiSong& song,
                const Vst3RenderOptions& options, plughost::AudioSink& sink, Vst3RenderStats& stats,
                std::string* error = nullptr);

}  // namespace vst3host
