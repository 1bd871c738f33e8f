// The factory library in a VST 3 host's preset list: one .vstpreset file
// per sound, found where hosts look, labelled "Category - Name", whose state
// loads that sound into the current program alone.

#include "Vst3TestSupport.h"

#include "framework/KPresetLibrary.h"
#include "framework/ProgramBank.h"
#include "synth/Murlan.h"
#include "tools/vst3host/Vst3PresetFolder.h"

#include <cstdio>
#include <cstring>
#include <map>

#if defined(MURLAN_VST3_BUNDLE) && defined(MURLAN_VST3_PRESETS)

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

class Vst3Library : public vst3test::Vst3Fixture {};

}  // namespace

TEST_F(Vst3Library, EverySoundIsAPresetFileThatLoadsIntoTheCurrentProgramAlone) {
    Murlan synth(quietHost);
    const KAMO::KPresetLibrary& library = synth.soundLibrary();
    auto plugin = load();
    ASSERT_NE(plugin, nullptr);
    char id[33];
    for (int i = 0; i < 16; ++i) std::snprintf(id + 2 * i, 3, "%02X", plugin->classes()[0].id[i]);

    // As the host lists them: every sound once, by category and name.
    std::map<std::string, std::vector<std::uint8_t>> listed;
    for (const vst3host::PresetFile& preset : vst3host::presetsIn(MURLAN_VST3_PRESETS, id))
        listed[preset.label] = preset.state;
    ASSERT_EQ(listed.size(), library.sounds().size());
    for (const KAMO::KLibrarySound& sound : library.sounds())
        EXPECT_EQ(listed[sound.category + " - " + sound.name], sound.record) << sound.name;

    vst3host::ParameterInfo program;
    ASSERT_TRUE(plugin->programParameter(program));
    plugin->setNormalised(program.id, 4.0 / program.stepCount);
    const std::vector<std::uint8_t> before = plugin->state();
    const std::size_t record = library.sounds()[0].record.size();
    ASSERT_EQ(before.size(), 10 * record + 4);

    // A value outside [0, 1] in a record of the right length: refused whole.
    std::vector<std::uint8_t> wrong = library.sounds()[0].record;
    const double high = 1.5;
    std::memcpy(&wrong[KAMO::ProgramBank::kFirstValueOffset], &high, sizeof high);
    EXPECT_NE(plugin->setState(wrong), V3_OK);
    EXPECT_EQ(plugin->state(), before);

    const KAMO::KLibrarySound& sound = library.sounds()[library.sounds().size() / 2];
    ASSERT_EQ(plugin->setState(listed[sound.category + " - " + sound.name]), V3_OK);
    const std::vector<std::uint8_t> after = plugin->state();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t p = 0; p < 10; ++p) {
        const auto from = static_cast<std::ptrdiff_t>(p * record);
        const std::vector<std::uint8_t> now(after.begin() + from, after.begin() + from + record);
        const std::vector<std::uint8_t> was(before.begin() + from, before.begin() + from + record);
        EXPECT_EQ(now, p == 4 ? sound.record : was) << "program " << p;
    }
    EXPECT_EQ(std::vector<std::uint8_t>(after.end() - 4, after.end()),
              std::vector<std::uint8_t>(before.end() - 4, before.end()))
        << "the current program";
}

#endif
