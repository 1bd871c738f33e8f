#include "ClapTestSupport.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/AudioSink.h"
#include "tools/plughost/CommandLine.h"
#include "tools/plughost/TempoMap.h"
#include "tools/plughost/VstEventList.h"

#include <clap/fixedpoint.h>

#include <algorithm>
#include <cmath>

namespace claptest {

#if defined(MURLAN_CLAP_BINARY) && defined(MURLAN_PLUGIN)

std::unique_ptr<claphost::ClapInstance> ClapFixture::load() {
    std::string error;
    auto instance = claphost::ClapInstance::load(MURLAN_CLAP_BINARY, &error);
    EXPECT_TRUE(instance) << error;
    return instance;
}

std::unique_ptr<plughost::PluginInstance> ClapFixture::loadVst() {
    std::string error;
    auto vst = vstHost.load(MURLAN_PLUGIN, &error);
    EXPECT_TRUE(vst) << error;
    return vst;
}

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

void applySettings(plughost::PluginInstance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings) {
    for (const auto& s : settings)
        EXPECT_TRUE(plugin.string2Parameter(plugin.findParameter(s.first), s.second.c_str()))
            << s.first;
}

void applySettings(claphost::ClapInstance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings) {
    claphost::EventQueue events;
    for (const auto& s : settings) {
        clap_id id = 0;
        double plain = 0.0;
        ASSERT_TRUE(plugin.findParameter(s.first, id)) << s.first;
        ASSERT_TRUE(plugin.valueOfText(id, s.second, plain)) << s.first << "=" << s.second;
        events.value(0, id, plain);
    }
    plugin.flush(events);
}

namespace {

double quantised(double quarters) {
    const double factor = static_cast<double>(CLAP_BEATTIME_FACTOR);
    return static_cast<double>(std::llround(quarters * factor)) / factor;
}

template <typename T>
void renderVstWith(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                   const std::vector<Change>& changes, double tailSeconds,
                   std::vector<double>& out) {
    constexpr double kAfter = plughost::TempoMap::kAfter;
    plughost::PluginHost& host = plugin.host();
    const plughost::TempoMap& map = song.tempoMap();
    std::vector<std::int64_t> frameOf;
    const std::int64_t total = song.messageFrames(map, kRate, tailSeconds, frameOf);
    const auto& messages = song.messages();
    plughost::AudioBuffers<T> buffers(0, 1, kBlock);
    plughost::VstEventList events(kBlock);
    host.setPlaying(true);
    plugin.resume();
    std::size_t next = 0, nextChange = 0;
    std::int64_t pos = 0;
    while (pos < total) {
        double ppq = 0.0;
        const std::int64_t len = map.nextBlock(pos, total, kBlock, kRate, ppq);
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
            host.setPosition(static_cast<double>(pos), quantised(ppq),
                             quantised(map.barStartAt(ppq + kAfter)));
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

std::vector<double> renderVst(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                              const std::vector<Change>& changes, bool doubles,
                              double tailSeconds) {
    std::vector<double> out;
    if (doubles)
        renderVstWith<double>(plugin, song, changes, tailSeconds, out);
    else
        renderVstWith<float>(plugin, song, changes, tailSeconds, out);
    return out;
}

std::vector<double> renderClap(claphost::ClapInstance& plugin, const plughost::MidiSong& song,
                               const std::vector<Change>& changes, bool doubles, bool midiNotes,
                               double tailSeconds, bool* channelsAlike) {
    claphost::ClapRenderOptions options;
    options.rate = kRate;
    options.block = kBlock;
    options.doubles = doubles;
    options.midiNotes = midiNotes;
    options.tailSeconds = tailSeconds;
    // Plain values, as a host automates them: every range is linear.
    const std::vector<claphost::ParameterInfo> params = plugin.parameters();
    for (const Change& c : changes) {
        const claphost::ParameterInfo& p = params.at(static_cast<std::size_t>(c.index));
        options.changes.push_back(
            {c.frame, p.id, p.minimum + c.normalised * (p.maximum - p.minimum)});
    }
    std::vector<double> out;
    options.capture = &out;
    plughost::MemorySink sink;
    claphost::ClapRenderStats stats;
    std::string error;
    EXPECT_TRUE(claphost::renderSong(plugin, song, options, sink, stats, &error)) << error;
    EXPECT_TRUE(stats.finite);
    if (channelsAlike) *channelsAlike = stats.channelsAlike;
    return out;
}

long firstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i] && !(a[i] != a[i] && b[i] != b[i])) return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(n);
}

#endif

}  // namespace claptest
