// Murlan.clap as a host finds it: only the entry exported, one instrument
// with its names and features, its ports, the parameters as the VST 2.4
// face has them in the units CLAP hosts show, and the state (the VST 2.4
// bank chunk and the program): what restores it and what it refuses.

#include "ClapTestSupport.h"
#include "faces/FaceStates.h"

#include <clap/plugin-features.h>

#include <cmath>
#include <cstdio>
#include <set>

#if defined(MURLAN_CLAP_BINARY) && defined(MURLAN_PLUGIN)

using claptest::kParameterCount;

namespace {

class ClapPlugin : public claptest::ClapFixture {
protected:
    // What a host does to set values outside processing.
    static void set(claphost::ClapInstance& plugin, clap_id id, double plain) {
        claphost::EventQueue events;
        events.value(0, id, plain);
        plugin.flush(events);
    }
};

}  // namespace

TEST_F(ClapPlugin, ExportsTheEntryAloneAndDescribesOneMonoInstrumentWithItsPorts) {
    EXPECT_EQ(facetest::exportedSymbols(MURLAN_CLAP_BINARY), std::set<std::string>{"clap_entry"});
    auto plugin = load();
    ASSERT_TRUE(plugin);
    const clap_plugin_descriptor_t& d = plugin->descriptor();
    EXPECT_STREQ(d.name, "Murlan");
    EXPECT_STREQ(d.vendor, "KAMO");
    auto vst = loadVst();
    ASSERT_TRUE(vst);
    // 3100 is "3.1".
    EXPECT_EQ(std::string(d.version), std::to_string(vst->vendorVersion() / 1000) + "." +
                                          std::to_string(vst->vendorVersion() / 100 % 10));
    std::set<std::string> features;
    for (const char* const* f = d.features; *f; ++f) features.insert(*f);
    EXPECT_EQ(features,
              (std::set<std::string>{CLAP_PLUGIN_FEATURE_INSTRUMENT,
                                     CLAP_PLUGIN_FEATURE_SYNTHESIZER, CLAP_PLUGIN_FEATURE_MONO}));

    const clap_plugin_t* p = plugin->plugin();
    ASSERT_TRUE(plugin->audioPorts() && plugin->notePorts());
    EXPECT_EQ(plugin->audioPorts()->count(p, true), 0u);
    ASSERT_EQ(plugin->audioPorts()->count(p, false), 1u);
    clap_audio_port_info_t out{};
    ASSERT_TRUE(plugin->audioPorts()->get(p, 0, false, &out));
    EXPECT_FALSE(plugin->audioPorts()->get(p, 1, false, &out));
    EXPECT_EQ(out.channel_count, 2u);
    EXPECT_TRUE(out.flags & CLAP_AUDIO_PORT_IS_MAIN);
    EXPECT_TRUE(out.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS);
    ASSERT_EQ(plugin->notePorts()->count(p, true), 1u);
    EXPECT_EQ(plugin->notePorts()->count(p, false), 0u);
    clap_note_port_info_t notes{};
    ASSERT_TRUE(plugin->notePorts()->get(p, 0, true, &notes));
    EXPECT_EQ(notes.supported_dialects, CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI);
}

TEST_F(ClapPlugin, ParametersAreTheEffectsByIndexInTheirOwnUnitsWithTextBothWays) {
    auto plugin = load();
    auto vst = loadVst();
    ASSERT_TRUE(plugin && vst);
    const std::vector<claphost::ParameterInfo> params = plugin->parameters();
    ASSERT_EQ(params.size(), static_cast<std::size_t>(kParameterCount));
    for (int i = 0; i < kParameterCount; ++i) {
        const claphost::ParameterInfo& p = params[static_cast<std::size_t>(i)];
        EXPECT_EQ(p.id, static_cast<clap_id>(i));
        EXPECT_EQ(p.name, vst->paramName(i));
        EXPECT_TRUE(p.flags & CLAP_PARAM_IS_AUTOMATABLE);
        EXPECT_LT(p.minimum, p.maximum);
        EXPECT_TRUE(std::isfinite(p.minimum) && std::isfinite(p.maximum));
        EXPECT_EQ(plugin->value(p.id), p.defaultValue) << p.name;
        // Every text the plug-in shows reads back as the value it shows,
        // and shows as the VST 2.4 face does with the unit behind it.
        for (double n : {0.0, 0.3, 1.0}) {
            const double plain = p.minimum + n * (p.maximum - p.minimum);
            const std::string text = plugin->text(p.id, plain);
            double back = -1.0;
            ASSERT_TRUE(plugin->valueOfText(p.id, text, back)) << p.name << " " << text;
            EXPECT_EQ(plugin->text(p.id, back), text);
            vst->setParameter(i, static_cast<float>(n));
            const std::string label = vst->paramLabel(i);
            EXPECT_EQ(text, vst->paramDisplay(i) + (label.empty() ? "" : " " + label));
        }
    }
    // Units where a parameter has them: cents, seconds, partials, choices.
    EXPECT_EQ(params[0].minimum, -99.0);
    EXPECT_EQ(params[0].maximum, 99.0);
    EXPECT_TRUE(params[0].flags & CLAP_PARAM_IS_STEPPED);
    EXPECT_EQ(params[5].minimum, 1.0);
    EXPECT_EQ(params[5].maximum, 6.0);
    EXPECT_EQ(params[17].maximum, 5.0);  // six waves
    EXPECT_TRUE(params[17].flags & CLAP_PARAM_IS_STEPPED);
    EXPECT_FALSE(params[1].flags & CLAP_PARAM_IS_STEPPED);
    double plain = 0.0;
    EXPECT_FALSE(plugin->valueOfText(kParameterCount, "1", plain));
    EXPECT_EQ(plugin->text(kParameterCount, 0.0), "");
}

TEST_F(ClapPlugin, StateIsTheVst24BankChunkAndTheProgramAndRestoresEverything) {
    auto plugin = load();
    auto vst = loadVst();
    ASSERT_TRUE(plugin && vst);
    // The same edits on both faces: program 3 (through a saved state, the
    // one way a CLAP host switches programs), some values there.
    vst->setProgram(3);
    ASSERT_TRUE(plugin->loadState(facetest::withProgram(vst->getChunk(false), 3)));
    // Values between two steps of the stepped ones, so that rounding
    // cannot tell the faces apart.
    const float values[] = {0.2f, 0.6f, 0.7f};
    const std::vector<claphost::ParameterInfo> params = plugin->parameters();
    for (int i = 0; i < 3; ++i) {
        const claphost::ParameterInfo& p = params[static_cast<std::size_t>(i * 7)];
        set(*plugin, p.id, p.minimum + values[i] * (p.maximum - p.minimum));
        vst->setParameter(i * 7, values[i]);
    }
    const std::vector<std::uint8_t> state = plugin->saveState();
    EXPECT_EQ(state, facetest::withProgram(vst->getChunk(false), 3));

    auto other = load();
    ASSERT_TRUE(other);
    const int rescans = other->rescans();
    ASSERT_TRUE(other->loadState(state, 5));  // a stream that reads 5 bytes at a time
    EXPECT_EQ(other->saveState(), state);
    for (int i = 0; i < kParameterCount; ++i)
        EXPECT_EQ(other->value(static_cast<clap_id>(i)), plugin->value(static_cast<clap_id>(i)));
    EXPECT_GT(other->rescans(), rescans) << "the host reads the values again";
    EXPECT_TRUE(other->callsOnWrongThreads().empty());
}

TEST_F(ClapPlugin, AShortLongOrUnsoundStateIsRefusedAndChangesNothing) {
    auto source = load();
    auto plugin = load();
    ASSERT_TRUE(source && plugin);
    set(*source, 0, 40.0);
    const std::vector<std::uint8_t> good = source->saveState();
    const std::vector<std::uint8_t> before = plugin->saveState();
    ASSERT_NE(good, before);

    // The value the change moved, wherever it sits, is one that is spoilt.
    const std::size_t at = facetest::placeOfChangedDouble(before, good, (40.0 + 99.0) / 198.0);
    ASSERT_NE(at, facetest::noPlace);
    for (const std::vector<std::uint8_t>& bad : facetest::spoiltStates(good, at)) {
        EXPECT_FALSE(plugin->loadState(bad));
        EXPECT_EQ(plugin->saveState(), before);
    }
    EXPECT_FALSE(plugin->loadState({}));
    // A stream that fails half way.
    const clap_istream_t broken{
        nullptr, [](const clap_istream_t*, void*, std::uint64_t) { return std::int64_t{-1}; }};
    const auto* state = static_cast<const clap_plugin_state_t*>(
        plugin->plugin()->get_extension(plugin->plugin(), CLAP_EXT_STATE));
    EXPECT_FALSE(state->load(plugin->plugin(), &broken));
    EXPECT_EQ(plugin->saveState(), before);
    EXPECT_TRUE(plugin->loadState(good));
    EXPECT_EQ(plugin->saveState(), good);
}

#endif
