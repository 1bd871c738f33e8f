#pragma once
// Plays a MidiSong through an LV2 instance the way plughost's SongRenderer
// plays it through a VST 2.4 one: the same blocks (split where the tempo
// changes), every message at its exact frame, and a time:Position at the
// start of every block carrying what the VST host's transport says there.
// Same engine and same events then give the same samples on both faces.

#include "tools/plughost/AudioSink.h"
#include "tools/plughost/BlockPlayer.h"
#include "tools/plughost/MidiSong.h"

namespace lv2host {

class Lv2Instance;

struct Lv2RenderOptions : plughost::BlockOptions {
    // false: one position at the start only; the plug-in keeps time itself.
    bool positionEveryBlock = true;
    // Send the tempo as a double (exact) rather than the usual float.
    bool tempoAsDouble = true;
};

using Lv2RenderStats = plughost::BlockStats;

// Activates, renders the song plus the tail into `sink`, deactivates.
bool renderSong(Lv2Instance& instance, const plughost::MidiSong& song,
                const Lv2RenderOptions& options, plughost::AudioSink& sink, Lv2RenderStats& stats);

}  // namespace lv2host
