#pragma once
// What the faces' song renderers share with each other: their options, the
// blocks
// a sequencer plays a song in (split where the tempo changes), and the
// first output channel of each block measured, kept when asked and written
// to the sink as mono floats. The face's own part is how one block of
// events reaches its plug-in.

#include "tools/plughost/AudioSink.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/RenderSizes.h"
#include "tools/plughost/SignalLevel.h"
#include "tools/plughost/TempoMap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plughost {

// What every face's song renderer is asked for.
struct BlockOptions : RenderSizes {
    double tailSeconds = 2.0;
    // When set, every sample of the first channel as the plug-in wrote it.
    std::vector<double>* capture = nullptr;
};

// A parameter's new value from `frame` on, in the face's own terms.
template <typename Id>
struct ParameterChange {
    std::int64_t frame = 0;
    Id id = 0;
    double value = 0.0;
};

// What the adapter faces with a choice of sample size and parameter
// changes in their events are asked for.
template <typename Id>
struct AdapterRenderOptions : BlockOptions {
    bool doubles = false;
    // In time order.
    std::vector<ParameterChange<Id>> changes;
};

// What every face's song renderer measures of the first output channel.
struct BlockStats {
    std::int64_t frames = 0;
    double peak = 0.0;
    double rms = 0.0;
    bool finite = true;
};

// Plays `song` plus `options.tailSeconds` in blocks of `options.block` at
// `options.rate`: `play(pos, len, ppq, frameOf)` processes the `len` frames
// from `pos` (the song at quarter `ppq`; `frameOf` holds each message's
// frame) and returns the block's first output channel, which goes to
// `options.capture` when set. Fills the frames and level of `stats`; false
// when the sink fails.
template <typename T, typename Play>
bool playBlocks(const MidiSong& song, const BlockOptions& options, AudioSink& sink,
                BlockStats& stats, Play&& play) {
    const TempoMap& map = song.tempoMap();
    std::vector<std::int64_t> frameOf;
    const std::int64_t total = song.messageFrames(map, options.rate, options.tailSeconds, frameOf);
    std::vector<float> mono(static_cast<std::size_t>(options.block));
    SignalLevel level;
    for (std::int64_t pos = 0; pos < total;) {
        double ppq = 0.0;
        const std::int64_t len = map.nextBlock(pos, total, options.block, options.rate, ppq);
        const T* out = play(pos, len, ppq, frameOf);
        for (std::int64_t i = 0; i < len; ++i) {
            const double v = static_cast<double>(out[i]);
            level.add(v);
            mono[static_cast<std::size_t>(i)] = static_cast<float>(v);
            if (options.capture) options.capture->push_back(v);
        }
        if (!sink.write(mono.data(), static_cast<int>(len), 1)) return false;
        pos += len;
    }
    stats.frames = total;
    stats.peak = level.peak;
    stats.rms = level.rms(static_cast<double>(total));
    stats.finite = level.finite;
    return true;
}

}  // namespace plughost
