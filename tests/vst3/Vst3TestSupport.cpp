#include "Vst3TestSupport.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/AudioSink.h"
#include "tools/plughost/CommandLine.h"
#include "tools/plughost/TempoMap.h"
#include "tools/plughost/VstEventList.h"

#include <algorithm>

namespace vst3test {

#if defined(MURLAN_VST3_BUNDLE) && defined(MURLAN_PLUGIN)

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

std::unique_ptr<vst3host::Vst3Instance> Vst3Fixture::load() {
    std::string error;
    auto instance = vst3host::Vst3Instance::load(MURLAN_VST3_BUNDLE, &error);
    EXPECT_TRUE(instance) << error;
    return instance;
}

std::unique_ptr<plughost::PluginInstance> Vst3Fixture::loadVst() {
    std::string error;
    auto vst = vstHost.load(MURLAN_PLUGIN, &error);
    EXPECT_TRUE(vst) << error;
    return vst;
}

void applySettings(plughost::PluginInstance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings) {
    for (const auto& s : settings) {
        const VstInt32 index = plugin.findParameter(s.first);
        EXPECT_TRUE(plugin.string2Parameter(index, s.second.c_str())) << s.first;
    }
}

void applySettings(vst3host::Vst3Instance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings,
                   vst3host::Vst3RenderOptions& options) {
    for (const auto& s : settings) {
        v3_param_id id = 0;
        double value = 0.0;
        ASSERT_TRUE(plugin.findParameter(s.first, id)) << s.first;
        ASSERT_TRUE(plugin.valueOfText(id, s.second, value)) << s.first << "=" << s.second;
        EXPECT_EQ(plugin.setNormalised(id, value), V3_OK);
        options.changes.push_back({0, id, value});
    }
}

namespace {

template <typename T>
void renderVstWith(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                   const std::vector<vst3host::ParameterChange>& changes, double tailSeconds,
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
                plugin.setParameter(static_cast<VstInt32>(changes[nextChange].id),
                                    static_cast<float>(changes[nextChange].value));
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
            host.setPosition(static_cast<double>(pos), ppq, map.barStartAt(ppq + kAfter));
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
                              const std::vector<vst3host::ParameterChange>& changes, bool doubles,
                              double tailSeconds) {
    std::vector<double> out;
    if (doubles)
        renderVstWith<double>(plugin, song, changes, tailSeconds, out);
    else
        renderVstWith<float>(plugin, song, changes, tailSeconds, out);
    return out;
}

std::vector<double> renderVst3(vst3host::Vst3Instance& plugin, const plughost::MidiSong& song,
                               vst3host::Vst3RenderOptions options) {
    options.rate = kRate;
    options.block = kBlock;
    std::stable_sort(options.changes.begin(), options.changes.end(),
                     [](const auto& a, const auto& b) { return a.frame < b.frame; });
    std::vector<double> out;
    options.capture = &out;
    plughost::MemorySink sink;
    vst3host::Vst3RenderStats stats;
    std::string error;
    EXPECT_TRUE(vst3host::renderSong(plugin, song, options, sink, stats, &error)) << error;
    EXPECT_TRUE(stats.finite);
    return out;
}

long firstDifference(const std::vector<double>& a, const std::vector<double>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i] && !(a[i] != a[i] && b[i] != b[i])) return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(n);
}

#endif

}  // namespace vst3test
