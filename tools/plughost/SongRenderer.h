#pragma once
// Plays a MidiSong through a plug-in instance the way a sequencer does:
// blocks of the configured size, every message at its exact frame through
// effProcessEvents, the transport (tempo, quarter position, sample position,
// playing) updated before every block. Blocks are split where the tempo
// changes and where one call would carry more events than the list holds.

#include "tools/plughost/AudioSink.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/RenderSizes.h"

#include <cstdint>
#include <string>

namespace plughost {

class PluginInstance;

struct RenderOptions : RenderSizes {
    enum Precision { Auto, Float, Double };
    Precision precision = Auto;  // Auto: double when the plug-in offers it
    double tempo = 0.0;          // > 0: constant tempo instead of the song's map
    double tailSeconds = 2.0;    // rendered after the last event
    bool progress = false;       // progress bar on stderr
    int maxEventsPerCall = 512;
};

struct RenderStats {
    std::int64_t frames = 0;
    int channels = 0;
    bool usedDouble = false;
    double peak = 0.0;  // largest magnitude over all channels
    double rms = 0.0;   // over all channels
    std::int64_t eventsSent = 0;
    std::int64_t processCalls = 0;
    std::int64_t processNanos = 0;  // thread CPU time spent inside process calls
    bool finite = true;             // no NaN or infinity in the output
};

class SongRenderer {
public:
    SongRenderer(PluginInstance& plugin, const RenderOptions& options);

    // Sample rate and block size, as a host does right after opening.
    // Call before setting programs or parameters.
    void prepare();
    // Resumes, renders the song plus the tail into `sink` (may be null),
    // suspends. False with `error` set when the precision asked for is not
    // offered or the sink fails.
    bool render(const MidiSong& song, AudioSink* sink, RenderStats& stats,
                std::string* error = nullptr);
    // True when the options pick the double path for this plug-in.
    bool usesDouble() const;

private:
    template <typename T>
    bool renderWith(const MidiSong& song, AudioSink* sink, RenderStats& stats, std::string* error);

    PluginInstance& plugin_;
    RenderOptions options_;
};

}  // namespace plughost
