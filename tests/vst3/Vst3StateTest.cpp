// The component state (the VST 2.4 bank chunk and the current program),
// what restores it and what it refuses, and programs switched by the host.

#include "Vst3TestSupport.h"
#include "faces/FaceStates.h"

#include <travesty/edit_controller.h>

#if defined(MURLAN_VST3_BUNDLE) && defined(MURLAN_PLUGIN)

using vst3host::HostEdit;
using vst3test::kBlock;
using vst3test::kParameterCount;
using vst3test::kRate;

namespace {

class Vst3State : public vst3test::Vst3Fixture {
protected:
    // Where the value of parameter `index` of the current program sits in
    // a state: the one place a change of it alters.
    static std::size_t offsetOf(vst3host::Vst3Instance& plugin, v3_param_id index) {
        const std::vector<std::uint8_t> before = plugin.state();
        const double old = plugin.normalised(index);
        const double now = old == 0.625 ? 0.375 : 0.625;
        plugin.setNormalised(index, now);
        const std::vector<std::uint8_t> after = plugin.state();
        plugin.setNormalised(index, old);
        return facetest::placeOfChangedDouble(before, after, now);
    }
    static bool restartedValues(vst3host::Vst3Instance& plugin) {
        for (const HostEdit& e : plugin.handler().edits())
            if (e.kind == HostEdit::Restart && (e.id & V3_RESTART_PARAM_VALUES_CHANGED))
                return true;
        return false;
    }
};

}  // namespace

TEST_F(Vst3State, IsTheVst24BankChunkAndTheProgramAndRestoresEverything) {
    auto plugin = load();
    auto vst = loadVst();
    ASSERT_TRUE(plugin && vst);
    vst3host::ParameterInfo program;
    ASSERT_TRUE(plugin->programParameter(program));
    // The same edits on both faces: program 3, some values there.
    ASSERT_EQ(plugin->setNormalised(program.id, 3.0 / 9.0), V3_OK);
    vst->setProgram(3);
    const float values[] = {0.25f, 0.5f, 0.75f};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(plugin->setNormalised(static_cast<v3_param_id>(i * 7), values[i]), V3_OK);
        vst->setParameter(i * 7, values[i]);
    }
    const std::vector<std::uint8_t> state = plugin->state();
    EXPECT_EQ(state, facetest::withProgram(vst->getChunk(false), 3));

    auto other = load();
    ASSERT_TRUE(other);
    other->handler().clear();
    ASSERT_EQ(other->setState(state, 5), V3_OK);  // a stream that reads 5 bytes at a time
    EXPECT_EQ(other->state(), state);
    EXPECT_EQ(other->normalised(program.id), 3.0 / 9.0);
    for (int i = 0; i < kParameterCount; ++i)
        EXPECT_EQ(other->normalised(static_cast<v3_param_id>(i)),
                  plugin->normalised(static_cast<v3_param_id>(i)));
    // The host hears it from its run loop, not from inside its own call.
    EXPECT_FALSE(restartedValues(*other));
    other->runLoop().fire();
    EXPECT_TRUE(restartedValues(*other));
}

TEST_F(Vst3State, AShortLongOrUnsoundStreamIsRefusedAndChangesNothing) {
    auto source = load();
    auto plugin = load();
    ASSERT_TRUE(source && plugin);
    ASSERT_EQ(source->setNormalised(0, 0.25), V3_OK);
    const std::vector<std::uint8_t> good = source->state();
    const std::vector<std::uint8_t> before = plugin->state();
    ASSERT_NE(good, before);

    const std::size_t at = offsetOf(*source, 0);
    ASSERT_NE(at, facetest::noPlace);
    for (const std::vector<std::uint8_t>& bad : facetest::spoiltStates(good, at)) {
        EXPECT_NE(plugin->setState(bad), V3_OK);
        EXPECT_EQ(plugin->state(), before);
    }
    EXPECT_NE(plugin->setState({}), V3_OK);
    EXPECT_EQ(plugin->state(), before);
    EXPECT_EQ(plugin->setState(good), V3_OK);
    EXPECT_EQ(plugin->state(), good);
}

TEST_F(Vst3State, AStateOfAnOlderReleaseGivesTheNewerParametersTheirDefaults) {
    auto source = load();
    auto plugin = load();
    ASSERT_TRUE(source && plugin);
    const v3_param_id last = kParameterCount - 1;
    ASSERT_EQ(source->setNormalised(0, 0.25), V3_OK);
    ASSERT_EQ(source->setNormalised(last, 0.75), V3_OK);
    ASSERT_EQ(plugin->setNormalised(last, 0.5), V3_OK);
    // The same bank as a release without the last parameter wrote it:
    // each record ends before that parameter's 8-byte value.
    const std::vector<std::uint8_t> today = source->state();
    const std::size_t programs = 10, record = (today.size() - 4) / programs;
    std::vector<std::uint8_t> older;
    for (std::size_t p = 0; p < programs; ++p)
        older.insert(older.end(), today.begin() + p * record, today.begin() + (p + 1) * record - 8);
    older.insert(older.end(), today.end() - 4, today.end());
    ASSERT_EQ(plugin->setState(older), V3_OK);
    EXPECT_EQ(plugin->normalised(0), 0.25);
    EXPECT_EQ(plugin->normalised(last), plugin->parameters()[last].defaultValue);
    // Cut inside a value, it is no state.
    older.erase(older.begin());
    EXPECT_NE(plugin->setState(older), V3_OK);
}

TEST_F(Vst3State, TheHostSwitchesProgramsThroughTheControllerOrTheProcessor) {
    auto plugin = load();
    ASSERT_TRUE(plugin);
    vst3host::ParameterInfo program;
    ASSERT_TRUE(plugin->programParameter(program));
    // Program 0 gets a value of its own.
    ASSERT_EQ(plugin->setNormalised(19, 0.5), V3_OK);
    plugin->handler().clear();
    ASSERT_EQ(plugin->setNormalised(program.id, 2.0 / 9.0), V3_OK);
    EXPECT_EQ(plugin->normalised(program.id), 2.0 / 9.0);
    EXPECT_EQ(plugin->normalised(19), 0.0);  // program 2 holds the default
    EXPECT_FALSE(restartedValues(*plugin));
    plugin->runLoop().fire();
    EXPECT_TRUE(restartedValues(*plugin));

    ASSERT_TRUE(plugin->setup(kRate, kBlock, false));
    ASSERT_TRUE(plugin->setActive(true));
    std::vector<float> out(kBlock);
    float* outputs[1] = {out.data()};
    vst3host::ParamChanges changes;
    changes.add(program.id, 100, 0.0);
    ASSERT_EQ(
        plugin->process(kBlock, reinterpret_cast<void**>(outputs), 1, &changes, nullptr, nullptr),
        V3_OK);
    EXPECT_EQ(plugin->normalised(program.id), 0.0);
    EXPECT_EQ(plugin->normalised(19), 0.5);
    plugin->handler().clear();
    plugin->runLoop().fire();
    EXPECT_TRUE(restartedValues(*plugin));
    // The host made the switch: it is not told of it as an edit.
    for (const HostEdit& e : plugin->handler().edits()) EXPECT_EQ(e.kind, HostEdit::Restart);
}

#endif
