// The factory library as LV2 presets: listed for the plug-in in its
// categories, and each one, applied through lilv, giving the values and the
// samples the VST 2.4 face gives with the same sound.

#include "Lv2TestSupport.h"

#include "framework/KPresetLibrary.h"
#include "lv2/Lv2PresetTurtle.h"
#include "synth/Murlan.h"
#include "tools/lv2host/Lv2SongRenderer.h"
#include "tools/plughost/PresetFiles.h"
#include "tools/plughost/SongRenderer.h"

#include <lv2/presets/presets.h>

#include <algorithm>
#include <filesystem>

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_PLUGIN) && defined(MURLAN_FXP_FOLDER)

using lv2test::kBlock;
using lv2test::kRate;
using lv2test::Lv2Fixture;

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterGetSampleRate ? 48000 : 0;
}

class Lv2Preset : public Lv2Fixture {
protected:
    void SetUp() override {
        Lv2Fixture::SetUp();
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(MURLAN_SOURCE_DIR "/presets"))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        std::string error;
        for (const auto& file : files)
            ASSERT_TRUE(library.readFile(synth, file.string(), &error)) << error;
    }

    // A label or other single value of `subject`, "" when it has none.
    std::string valueOf(const LilvNode* subject, const char* predicate) {
        LilvNode* value = lilv_world_get(world.world(), subject, world.node(predicate), nullptr);
        const std::string text = value ? lilv_node_as_string(value) : "";
        lilv_node_free(value);
        return text;
    }

    // Two notes gliding into each other, a release and a tail: short, but
    // through every stage of a sound.
    static plughost::MidiSong phrase() {
        plughost::MidiSong song;
        song.tempoMap().setConstantTempo(120.0);
        song.addMessage(0.0, 0x90, 48, 100);
        song.addMessage(0.75, 0x90, 55, 100);
        song.addMessage(1.0, 0x80, 48, 0);
        song.addMessage(1.5, 0x80, 55, 0);
        song.extendTo(2.0);
        return song;
    }

    Murlan synth{quietHost};
    KAMO::KPresetLibrary library;
};

}  // namespace

TEST_F(Lv2Preset, EverySoundIsListedForThePluginWithItsNameAndCategory) {
    LilvNodes* presets = lilv_plugin_get_related(plugin, world.node(LV2_PRESETS__Preset));
    ASSERT_TRUE(presets);
    EXPECT_EQ(lilv_nodes_size(presets), library.sounds().size());
    for (const KAMO::KLibrarySound& sound : library.sounds()) {
        LilvNode* uri = lilv_new_uri(world.world(), KAMO::lv2PresetUri(sound.name).c_str());
        EXPECT_TRUE(lilv_nodes_contains(presets, uri)) << sound.name;
        lilv_world_load_resource(world.world(), uri);
        EXPECT_EQ(valueOf(uri, LILV_NS_RDFS "label"), sound.name);
        LilvNode* bank = lilv_world_get(world.world(), uri, world.node(LV2_PRESETS__bank), nullptr);
        ASSERT_TRUE(bank) << sound.name;
        EXPECT_EQ(valueOf(bank, LILV_NS_RDFS "label"), sound.category);
        lilv_node_free(bank);
        lilv_node_free(uri);
    }
    lilv_nodes_free(presets);
}

TEST_F(Lv2Preset, EachPresetGivesTheValuesAndTheSamplesOfTheVstFaceReadingTheSameText) {
    const plughost::MidiSong song = phrase();
    for (const KAMO::KLibrarySound& sound : library.sounds()) {
        SCOPED_TRACE(sound.name);
        // As hosts do: the preset's own file first, then its state.
        const LilvNode* uri = world.node(KAMO::lv2PresetUri(sound.name).c_str());
        lilv_world_load_resource(world.world(), uri);
        LilvState* state = lilv_state_new_from_world(world.world(), world.mapFeature(), uri);
        ASSERT_TRUE(state);
        const char* label = lilv_state_get_label(state);
        EXPECT_STREQ(label ? label : "", sound.name.c_str());
        auto instance = instantiate();
        instance->restoreState(state);
        lilv_state_free(state);
        instance->run(0);  // the ports reach the effect

        // The values the effect holds, read as the parameters show them.
        const auto saved = lv2test::saveDirect(*instance);
        const auto* bank = saved.find(MURLAN_LV2_URI "#bank");
        ASSERT_TRUE(bank);
        for (int i = 0; i < synth.parameterCount(); ++i) {
            const int at = synth.programBank().valueOffset(i);
            const KAMO::KEffectParameter* p = synth.parameter(i);
            EXPECT_EQ(p->toReal(KAMO::ProgramBank::imageValue(bank->bytes.data(), at)),
                      p->toReal(KAMO::ProgramBank::imageValue(sound.record.data(), at)))
                << p->name();
        }

        // The VST face with the program file the build made of the same text.
        auto vst = loadVst();
        std::string error;
        ASSERT_TRUE(plughost::applyPresetOption(*vst, sound.name, &error)) << error;
        plughost::SongRenderer renderer(*vst, lv2test::vstRenderOptions(0.0));
        plughost::MemorySink vstSink, lv2Sink;
        plughost::RenderStats vstStats;
        ASSERT_TRUE(renderer.render(song, &vstSink, vstStats, &error)) << error;

        lv2host::Lv2RenderStats lv2Stats;
        ASSERT_TRUE(lv2host::renderSong(*instance, song, lv2test::lv2RenderOptions(0.0), lv2Sink,
                                        lv2Stats));
        ASSERT_EQ(vstSink.channels().size(), 1u);
        ASSERT_EQ(lv2Sink.channels().size(), 1u);
        const std::vector<float>& a = vstSink.channels()[0];
        const std::vector<float>& b = lv2Sink.channels()[0];
        ASSERT_EQ(a.size(), b.size());
        const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin());
        EXPECT_EQ(mismatch.first, a.end())
            << "first difference at sample " << (mismatch.first - a.begin());
        EXPECT_GT(*std::max_element(a.begin(), a.end()), 0.01f);
    }
}

#endif
