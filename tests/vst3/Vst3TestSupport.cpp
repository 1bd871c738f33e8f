#include "Vst3TestSupport.h"

#include <algorithm>

namespace vst3test {

#if defined(MURLAN_VST3_BUNDLE) && defined(MURLAN_PLUGIN)

std::unique_ptr<vst3host::Vst3Instance> Vst3Fixture::load() {
    return loadFace<vst3host::Vst3Instance>(MURLAN_VST3_BUNDLE);
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

std::vector<double> renderVst(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                              const std::vector<vst3host::ParameterChange>& changes, bool doubles,
                              double tailSeconds) {
    std::vector<facetest::Vst24Change> vst;
    for (const auto& c : changes) vst.push_back({c.frame, static_cast<int>(c.id), c.value});
    facetest::Vst24Options options;
    options.rate = kRate;
    options.block = kBlock;
    options.doubles = doubles;
    options.tailSeconds = tailSeconds;
    return facetest::renderVst24(plugin, song, vst, options);
}

std::vector<double> renderVst3(vst3host::Vst3Instance& plugin, const plughost::MidiSong& song,
                               vst3host::Vst3RenderOptions options) {
    std::stable_sort(options.changes.begin(), options.changes.end(),
                     [](const auto& a, const auto& b) { return a.frame < b.frame; });
    vst3host::Vst3RenderStats stats;
    return facetest::renderInMemory(vst3host::renderSong, plugin, song, options, stats);
}

#endif

}  // namespace vst3test
