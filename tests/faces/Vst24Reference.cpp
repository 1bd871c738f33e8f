#include "Vst24Reference.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/CommandLine.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/TempoMap.h"
#include "tools/plughost/VstEventList.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace facetest {

namespace {

template <typename T>
void renderWith(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                const std::vector<Vst24Change>& changes, const Vst24Options& o,
                std::vector<double>& out) {
    constexpr double kAfter = plughost::TempoMap::kAfter;
    auto quarters = [&](double q) { return o.quarters ? o.quarters(q) : q; };
    plughost::PluginHost& host = plugin.host();
    const plughost::TempoMap& map = song.tempoMap();
    std::vector<std::int64_t> frameOf;
    const std::int64_t total = song.messageFrames(map, o.rate, o.tailSeconds, frameOf);
    const auto& messages = song.messages();
    plughost::AudioBuffers<T> buffers(0, 1, o.block);
    plughost::VstEventList events(o.block);
    host.setPlaying(true);
    plugin.resume();
    std::size_t next = 0, nextChange = 0;
    std::int64_t pos = 0;
    while (pos < total) {
        double ppq = 0.0;
        const std::int64_t len = map.nextBlock(pos, total, o.block, o.rate, ppq);
        buffers.clear();
        std::int64_t from = pos;
        while (from < pos + len) {
            for (; nextChange < changes.size() && changes[nextChange].frame <= from; ++nextChange)
                plugin.setParameter(changes[nextChange].index,
                                    static_cast<float>(changes[nextChange].normalised));
            std::int64_t to = pos + len;
            if (nextChange < changes.size() && changes[nextChange].frame < to)
                to = changes[nextChange].frame;
            events.clear();
            for (; next < messages.size() && frameOf[next] < to; ++next)
                events.addMidi(
                    static_cast<VstInt32>(std::max<std::int64_t>(frameOf[next] - from, 0)),
                    messages[next].bytes[0], messages[next].bytes[1], messages[next].bytes[2]);
            host.setTempo(map.tempoAtPpq(ppq + kAfter));
            host.setTimeSignature(map.numeratorAt(ppq + kAfter), map.denominatorAt(ppq + kAfter));
            host.setPosition(static_cast<double>(pos), quarters(ppq),
                             quarters(map.barStartAt(ppq + kAfter)));
            host.advance(static_cast<VstInt32>(from - pos));
            if (events.size() > 0) plugin.processEvents(events);
            T* outputs[1] = {buffers.output(0) + (from - pos)};
            plugin.process(static_cast<T**>(nullptr), outputs, static_cast<VstInt32>(to - from));
            from = to;
        }
        for (std::int64_t i = 0; i < len; ++i)
            out.push_back(static_cast<double>(buffers.output(0)[i]));
        pos += len;
    }
    plugin.suspend();
    host.setPlaying(false);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> demoSettings() {
    plughost::CommandLine line({{"set", true}});
    std::string error;
    EXPECT_TRUE(line.parse({"@" MURLAN_SOURCE_DIR "/examples/demo.args"}, &error)) << error;
    std::vector<std::pair<std::string, std::string>> settings;
    for (const std::string& s : line.values("set")) {
        const auto equals = s.find('=');
        settings.emplace_back(s.substr(0, equals), s.substr(equals + 1));
    }
    return settings;
}

std::vector<double> renderVst24(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                                const std::vector<Vst24Change>& changes,
                                const Vst24Options& options) {
    std::vector<double> out;
    if (options.doubles)
        renderWith<double>(plugin, song, changes, options, out);
    else
        renderWith<float>(plugin, song, changes, options, out);
    return out;
}

long firstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i] && !(a[i] != a[i] && b[i] != b[i])) return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(n);
}

}  // namespace facetest
