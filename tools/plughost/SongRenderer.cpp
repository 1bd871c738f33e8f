#include "tools/plughost/SongRenderer.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/PluginInstance.h"
#include "tools/plughost/ProgressBar.h"
#include "tools/plughost/SignalLevel.h"
#include "tools/plughost/VstEventList.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace plughost {

namespace {
std::int64_t threadNanos() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

constexpr double kAfter = TempoMap::kAfter;
}  // namespace

SongRenderer::SongRenderer(PluginInstance& plugin, const RenderOptions& options)
    : plugin_(plugin), options_(options) {
    if (options_.block < 1) options_.block = 1;
    if (options_.maxEventsPerCall < 1) options_.maxEventsPerCall = 1;
    if (!(options_.rate > 0.0)) options_.rate = 48000.0;
}

void SongRenderer::prepare() {
    plugin_.setSampleRate(static_cast<float>(options_.rate));
    plugin_.setBlockSize(options_.block);
}

bool SongRenderer::usesDouble() const {
    switch (options_.precision) {
    case RenderOptions::Double:
        return true;
    case RenderOptions::Float:
        return false;
    default:
        return plugin_.canDouble();
    }
}

bool SongRenderer::render(const MidiSong& song, AudioSink* sink, RenderStats& stats,
                          std::string* error) {
    stats = RenderStats();
    if (usesDouble()) {
        if (!plugin_.canDouble()) {
            if (error) *error = "the plug-in has no double-precision processing";
            return false;
        }
        return renderWith<double>(song, sink, stats, error);
    }
    if (!plugin_.canFloat()) {
        if (error) *error = "the plug-in has no processReplacing";
        return false;
    }
    return renderWith<float>(song, sink, stats, error);
}

template <typename T>
bool SongRenderer::renderWith(const MidiSong& song, AudioSink* sink, RenderStats& stats,
                              std::string* error) {
    const double rate = options_.rate;
    TempoMap map = song.tempoMap();
    if (options_.tempo > 0.0) map.setConstantTempo(options_.tempo);

    const auto& messages = song.messages();
    std::vector<std::int64_t> frameOf;
    const std::int64_t total = song.messageFrames(map, rate, options_.tailSeconds, frameOf);

    const int nIn = std::max(plugin_.numInputs(), 0);
    const int nOut = std::max(plugin_.numOutputs(), 0);
    AudioBuffers<T> buffers(nIn, nOut, options_.block);
    std::vector<float> interleaved(static_cast<std::size_t>(options_.block) *
                                   std::size_t(std::max(nOut, 1)));
    VstEventList events(options_.maxEventsPerCall);
    const std::size_t capacity = static_cast<std::size_t>(events.capacity());
    PluginHost& host = plugin_.host();

    stats.channels = nOut;
    stats.usedDouble = std::is_same<T, double>::value;
    SignalLevel level;
    bool ok = true;

    host.setPlaying(true);
    plugin_.resume();
    ProgressBar bar(stderr, options_.progress, total);
    std::size_t next = 0;
    std::int64_t pos = 0;
    while (pos < total) {
        double ppq = 0.0;
        std::int64_t len = map.nextBlock(pos, total, options_.block, rate, ppq);
        std::size_t end = next;
        while (end < messages.size() && frameOf[end] < pos + len) ++end;
        if (end - next > capacity) {
            // Too many for one call: end the block before the first event
            // that does not fit. Events beyond the list's size on one single
            // frame cannot be split and move to the next frame.
            const std::int64_t cut = frameOf[next + capacity];
            if (cut > pos) {
                len = cut - pos;
                end = next;
                while (end < messages.size() && frameOf[end] < cut) ++end;
            } else {
                end = next + capacity;
                len = 1;
            }
        }
        events.clear();
        for (std::size_t k = next; k < end; ++k) {
            const MidiMessage& m = messages[k];
            events.addMidi(static_cast<VstInt32>(std::max<std::int64_t>(frameOf[k] - pos, 0)),
                           m.bytes[0], m.bytes[1], m.bytes[2]);
        }
        next = end;

        host.setTempo(map.tempoAtPpq(ppq + kAfter));
        host.setTimeSignature(map.numeratorAt(ppq + kAfter), map.denominatorAt(ppq + kAfter));
        host.setPosition(static_cast<double>(pos), ppq, map.barStartAt(ppq + kAfter));
        if (events.size() > 0) {
            plugin_.processEvents(events);
            stats.eventsSent += events.size();
        }
        buffers.clear();
        const std::int64_t t0 = threadNanos();
        plugin_.process(buffers.inputs(), buffers.outputs(), static_cast<VstInt32>(len));
        stats.processNanos += threadNanos() - t0;
        ++stats.processCalls;
        host.advance(static_cast<VstInt32>(len));

        for (int c = 0; c < nOut; ++c) {
            const T* out = buffers.output(c);
            for (std::int64_t i = 0; i < len; ++i) {
                const double v = static_cast<double>(out[i]);
                level.add(v);
                interleaved[static_cast<std::size_t>(i * nOut + c)] = static_cast<float>(v);
            }
        }
        if (sink && ok && !sink->write(interleaved.data(), static_cast<int>(len), nOut)) {
            ok = false;
            if (error) *error = "writing the audio failed";
        }
        pos += len;
        bar.update(pos);
    }
    bar.finish();
    plugin_.suspend();
    host.setPlaying(false);

    stats.frames = total;
    stats.peak = level.peak;
    stats.rms = level.rms(double(total) * nOut);
    stats.finite = level.finite;
    return ok;
}

}  // namespace plughost
