// The bundle as a host finds it: only the module entries exported, one
// instrument class with its names, the component that is its own
// controller, its buses, and the parameters as the VST 2.4 face has them.

#include "Vst3TestSupport.h"

#include <MurlanVersion.h>
#include <travesty/edit_controller.h>

#include <cstdio>
#include <set>

#if defined(MURLAN_VST3_BUNDLE) && defined(MURLAN_PLUGIN)

using vst3host::ParameterInfo;
using vst3test::kParameterCount;

namespace {

class Vst3Module : public vst3test::Vst3Fixture {};

}  // namespace

TEST_F(Vst3Module, ExportsOnlyTheModuleEntriesAndOffersOneInstrumentClass) {
    const std::string binary = vst3host::Vst3Instance::binaryOf(MURLAN_VST3_BUNDLE);
    EXPECT_EQ(binary, std::string(MURLAN_VST3_BUNDLE) + "/Contents/x86_64-linux/Murlan.so");
    EXPECT_EQ(facetest::exportedSymbols(binary),
              (std::set<std::string>{"GetPluginFactory", "ModuleEntry", "ModuleExit"}));

    auto plugin = load();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->factoryVendor(), "KAMO");
    ASSERT_EQ(plugin->classes().size(), 1u);
    const vst3host::ClassInfo& c = plugin->classes()[0];
    EXPECT_EQ(c.name, "Murlan");
    EXPECT_EQ(c.category, "Audio Module Class");
    EXPECT_EQ(c.subCategories, "Instrument|Synth");
    EXPECT_EQ(c.vendor, "KAMO");
    EXPECT_EQ(c.version, MURLAN_VERSION);
    EXPECT_FALSE(c.sdkVersion.empty());
    EXPECT_TRUE(plugin->singleObject());
}

TEST_F(Vst3Module, HasOneMonoOutputAndOneEventInputAndBothSampleSizes) {
    auto plugin = load();
    ASSERT_TRUE(plugin);
    v3_component** component = plugin->component();
    auto* c = v3_cpp_obj(component);
    EXPECT_EQ(c->get_bus_count(component, V3_AUDIO, V3_INPUT), 0);
    EXPECT_EQ(c->get_bus_count(component, V3_AUDIO, V3_OUTPUT), 1);
    EXPECT_EQ(c->get_bus_count(component, V3_EVENT, V3_INPUT), 1);
    EXPECT_EQ(c->get_bus_count(component, V3_EVENT, V3_OUTPUT), 0);
    v3_bus_info bus{};
    ASSERT_EQ(c->get_bus_info(component, V3_AUDIO, V3_OUTPUT, 0, &bus), V3_OK);
    EXPECT_EQ(bus.channel_count, 1);
    EXPECT_NE(c->get_bus_info(component, V3_AUDIO, V3_OUTPUT, 1, &bus), V3_OK);

    v3_audio_processor** processor = plugin->processor();
    auto* p = v3_cpp_obj(processor);
    v3_speaker_arrangement stereo = V3_SPEAKER_L | V3_SPEAKER_R, mono = V3_SPEAKER_M;
    EXPECT_NE(p->set_bus_arrangements(processor, nullptr, 0, &stereo, 1), V3_OK);
    EXPECT_EQ(p->set_bus_arrangements(processor, nullptr, 0, &mono, 1), V3_OK);
    v3_speaker_arrangement now = 0;
    ASSERT_EQ(p->get_bus_arrangement(processor, V3_OUTPUT, 0, &now), V3_OK);
    EXPECT_EQ(now, static_cast<v3_speaker_arrangement>(V3_SPEAKER_M));
    EXPECT_EQ(p->can_process_sample_size(processor, V3_SAMPLE_32), V3_OK);
    EXPECT_EQ(p->can_process_sample_size(processor, V3_SAMPLE_64), V3_OK);
}

TEST_F(Vst3Module, ParametersAreTheEffectsByIndexWithTheProgramAndTheHiddenBend) {
    auto plugin = load();
    auto vst = loadVst();
    ASSERT_TRUE(plugin && vst);
    const std::vector<ParameterInfo> list = plugin->parameters();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(kParameterCount + 2));
    for (int i = 0; i < kParameterCount; ++i) {
        const ParameterInfo& p = list[static_cast<std::size_t>(i)];
        EXPECT_EQ(p.id, static_cast<v3_param_id>(i));
        EXPECT_EQ(p.title, vst->paramName(i));
        EXPECT_EQ(p.shortTitle, vst->paramName(i));
        EXPECT_EQ(p.units, vst->paramLabel(i));
        EXPECT_EQ(p.defaultValue, plugin->normalised(p.id)) << p.title;
        EXPECT_FLOAT_EQ(static_cast<float>(p.defaultValue), vst->getParameter(i)) << p.title;
        EXPECT_TRUE(p.flags & V3_PARAM_CAN_AUTOMATE);
        EXPECT_FALSE(p.flags & (V3_PARAM_IS_HIDDEN | V3_PARAM_PROGRAM_CHANGE));
    }
    v3_param_id id = 0;
    ASSERT_TRUE(plugin->findParameter("Partial2", id));
    EXPECT_EQ(list[id].stepCount, 5);  // partials 1 to 6
    ASSERT_TRUE(plugin->findParameter("LFOWave", id));
    EXPECT_EQ(list[id].stepCount, 5);  // six waves
    EXPECT_TRUE(list[id].flags & V3_PARAM_IS_LIST);
    ASSERT_TRUE(plugin->findParameter("MainLvl", id));
    EXPECT_EQ(list[id].stepCount, 0);

    // One unit per group under the root, which holds the program list.
    auto* units = v3_cpp_obj(plugin->units());
    ASSERT_EQ(units->get_unit_count(plugin->units()), 6);
    const char* const groups[] = {"Murlan", "Osc 1", "Osc 2", "Osc 3", "LFO", "Global"};
    for (int u = 0; u < 6; ++u) {
        v3_unit_info unit{};
        ASSERT_EQ(units->get_unit_info(plugin->units(), u, &unit), V3_OK);
        EXPECT_EQ(unit.id, u);
        EXPECT_EQ(unit.parent_unit_id, u == 0 ? -1 : 0);
        EXPECT_EQ(vst3host::narrow(unit.name, 128), groups[u]);
        EXPECT_EQ(unit.program_list_id, u == 0 ? 1 : -1);
    }
    EXPECT_EQ(list[0].unit, 1);   // Detune1
    EXPECT_EQ(list[5].unit, 2);   // Partial2
    EXPECT_EQ(list[17].unit, 4);  // LFOWave
    EXPECT_EQ(list[22].unit, 5);  // MainLvl

    ParameterInfo program;
    ASSERT_TRUE(plugin->programParameter(program));
    EXPECT_EQ(program.stepCount, vst->numPrograms() - 1);
    EXPECT_TRUE(program.flags & V3_PARAM_IS_LIST);
    EXPECT_EQ(program.unit, 0);
    v3_param_id bend = 0;
    ASSERT_TRUE(plugin->bendParameter(bend));
    const ParameterInfo& bendInfo = list.back();
    EXPECT_EQ(bendInfo.id, bend);
    EXPECT_TRUE(bendInfo.flags & V3_PARAM_IS_HIDDEN);
    EXPECT_EQ(plugin->normalised(bend), 0.5);
    // Only the bend is mapped: other controllers stay MIDI the host keeps.
    v3_param_id none = 0;
    auto* mapping = v3_cpp_obj(plugin->midiMapping());
    EXPECT_NE(mapping->get_midi_controller_assignment(plugin->midiMapping(), 0, 0, 1, &none),
              V3_OK);
    EXPECT_NE(mapping->get_midi_controller_assignment(plugin->midiMapping(), 1, 0, 129, &none),
              V3_OK);

    const std::vector<std::string> names = plugin->programNames();
    ASSERT_EQ(names.size(), static_cast<std::size_t>(vst->numPrograms()));
    for (int i = 0; i < vst->numPrograms(); ++i) EXPECT_EQ(names[i], vst->programNameIndexed(i));
}

TEST_F(Vst3Module, TextsAndRealValuesComeFromTheEffectsOwnMappings) {
    auto plugin = load();
    auto vst = loadVst();
    ASSERT_TRUE(plugin && vst);
    const double values[] = {0.0, 0.125, 0.5, 0.75, 1.0};
    for (int i = 0; i < kParameterCount; ++i) {
        const auto id = static_cast<v3_param_id>(i);
        for (double v : values) {
            vst->setParameter(i, static_cast<float>(v));
            const std::string shown = plugin->text(id, v);
            EXPECT_EQ(shown, vst->paramDisplay(i)) << vst->paramName(i) << " at " << v;
            // What a text says is what the effect reads from it.
            double back = -1.0;
            ASSERT_TRUE(plugin->valueOfText(id, shown, back)) << shown;
            EXPECT_EQ(plugin->text(id, back), shown);
        }
    }
    auto* c = v3_cpp_obj(plugin->controller());
    v3_param_id id = 0;
    ASSERT_TRUE(plugin->findParameter("Detune1", id));
    // 148.5 steps of 1 cent from -99, snapped as the effect snaps them.
    EXPECT_DOUBLE_EQ(c->normalised_parameter_to_plain(plugin->controller(), id, 0.75), 50.0);
    EXPECT_DOUBLE_EQ(c->plain_parameter_to_normalised(plugin->controller(), id, -99.0), 0.0);
    ASSERT_TRUE(plugin->findParameter("Partial2", id));
    EXPECT_DOUBLE_EQ(c->normalised_parameter_to_plain(plugin->controller(), id, 1.0), 6.0);
    ParameterInfo program;
    ASSERT_TRUE(plugin->programParameter(program));
    EXPECT_DOUBLE_EQ(c->normalised_parameter_to_plain(plugin->controller(), program.id, 1.0), 9.0);
    EXPECT_EQ(plugin->text(program.id, 0.0), vst->programNameIndexed(0));
    double value = 0.0;
    EXPECT_FALSE(plugin->valueOfText(12345, "1", value));
    ASSERT_TRUE(plugin->findParameter("LFOWave", id));
    EXPECT_FALSE(plugin->valueOfText(id, "NoSuchWave", value));
}

#endif
