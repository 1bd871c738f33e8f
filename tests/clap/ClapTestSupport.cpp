#include "ClapTestSupport.h"

#include <clap/fixedpoint.h>

#include <algorithm>
#include <cmath>

namespace claptest {

#if defined(MURLAN_CLAP_BINARY) && defined(MURLAN_PLUGIN)

std::unique_ptr<claphost::ClapInstance> ClapFixture::load() {
    return loadFace<claphost::ClapInstance>(MURLAN_CLAP_BINARY);
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

// A position in quarters as a CLAP host can tell it (fixed point).
double quantised(double quarters) {
    const double factor = static_cast<double>(CLAP_BEATTIME_FACTOR);
    return static_cast<double>(std::llround(quarters * factor)) / factor;
}

}  // namespace

std::vector<double> renderVst(plughost::PluginInstance& plugin, const plughost::MidiSong& song,
                              const std::vector<Change>& changes, bool doubles,
                              double tailSeconds) {
    std::vector<facetest::Vst24Change> vst;
    for (const Change& c : changes) vst.push_back({c.frame, c.index, c.normalised});
    facetest::Vst24Options options;
    options.rate = kRate;
    options.block = kBlock;
    options.doubles = doubles;
    options.tailSeconds = tailSeconds;
    options.quarters = &quantised;
    return facetest::renderVst24(plugin, song, vst, options);
}

std::vector<double> renderClap(claphost::ClapInstance& plugin, const plughost::MidiSong& song,
                               const std::vector<Change>& changes, bool doubles, bool midiNotes,
                               double tailSeconds, bool* channelsAlike) {
    claphost::ClapRenderOptions options;
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
    claphost::ClapRenderStats stats;
    std::vector<double> out =
        facetest::renderInMemory(claphost::renderSong, plugin, song, options, stats);
    if (channelsAlike) *channelsAlike = stats.channelsAlike;
    return out;
}

#endif

}  // namespace claptest
