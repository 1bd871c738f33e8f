// The VST 3 face driving the instrument: the same samples as the VST 2.4
// face for the same song, settings, bends, tempo changes and parameter
// changes (each at its frame), on both sample sizes; odd host input left
// harmless.

#include "Vst3TestSupport.h"

#include "tools/plughost/AudioBuffers.h"

#include <cmath>
#include <limits>

#if defined(MURLAN_VST3_BUNDLE) && defined(MURLAN_PLUGIN)

using vst3host::ParameterChange;
using vst3test::kBlock;
using vst3test::kRate;

namespace {

class Vst3Rendering : public vst3test::Vst3Fixture {
protected:
    // One face each, fresh, given the demo's settings, then the song.
    void compare(const plughost::MidiSong& song, const std::vector<ParameterChange>& changes,
                 bool doubles, double tail) {
        auto vst = loadDemoVst();
        auto plugin = load();
        ASSERT_TRUE(vst && plugin);
        vst3host::Vst3RenderOptions options;
        options.doubles = doubles;
        options.tailSeconds = tail;
        vst3test::applySettings(*plugin, vst3test::demoSettings(), options);
        for (const ParameterChange& c : changes) options.changes.push_back(c);

        const std::vector<double> expected =
            vst3test::renderVst(*vst, song, changes, doubles, tail);
        const std::vector<double> got = vst3test::renderVst3(*plugin, song, options);
        ASSERT_GT(expected.size(), static_cast<std::size_t>(kRate));
        EXPECT_EQ(vst3test::firstDifference(expected, got), -1);
        double peak = 0.0;
        for (double v : got) peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.05);
    }

    // Changes in the middle of blocks, several in one block, on stepped,
    // decibel and choice parameters.
    static std::vector<ParameterChange> changes() {
        return {{7000, 0, 0.75},    {30001, 19, 0.5},   {30100, 18, 0.25},
                {30101, 22, 0.375}, {61234, 17, 0.625}, {90000, 3, 0.125},
                {90511, 11, 0.5},   {120003, 21, 0.75}, {150000, 4, 0.5}};
    }
};

}  // namespace

TEST_F(Vst3Rendering, TheDemoSoundsAsFromTheVst24FaceInFloats) {
    plughost::MidiSong song;
    std::string error;
    ASSERT_TRUE(song.load(MURLAN_SOURCE_DIR "/examples/demo.mid", &error)) << error;
    compare(song, {}, false, 2.0);
}

TEST_F(Vst3Rendering, TheDemoSoundsAsFromTheVst24FaceInDoubles) {
    plughost::MidiSong song;
    std::string error;
    ASSERT_TRUE(song.load(MURLAN_SOURCE_DIR "/examples/demo.mid", &error)) << error;
    compare(song, {}, true, 2.0);
}

TEST_F(Vst3Rendering, ParameterChangesBendsAndTempoChangesSoundAsFromTheVst24Face) {
    compare(scenario(), changes(), false, 1.0);
}

TEST_F(Vst3Rendering, ParameterChangesBendsAndTempoChangesSoundAsFromTheVst24FaceInDoubles) {
    compare(scenario(), changes(), true, 1.0);
}

TEST_F(Vst3Rendering, AChangeTakesEffectAtItsFrameAndNotBefore) {
    const plughost::MidiSong song = scenario();
    std::vector<double> plain, changed;
    {
        auto plugin = load();
        ASSERT_TRUE(plugin);
        plain = vst3test::renderVst3(*plugin, song, {});
    }
    {
        auto plugin = load();
        ASSERT_TRUE(plugin);
        vst3host::Vst3RenderOptions options;
        options.changes.push_back({30001, 22, 1.0});  // MainLvl to its top in block 58
        changed = vst3test::renderVst3(*plugin, song, options);
    }
    EXPECT_EQ(vst3test::firstDifference(plain, changed), 30001);
}

namespace {

class Vst3OddInput : public vst3test::Vst3Fixture {
protected:
    void SetUp() override {
        plugin = load();
        ASSERT_TRUE(plugin);
        ASSERT_TRUE(plugin->setup(kRate, kBlock, false));
        ASSERT_TRUE(plugin->setActive(true));
        buffers.resize(0, 1, kBlock);
    }
    bool finite() {
        for (int i = 0; i < kBlock; ++i)
            if (!std::isfinite(buffers.output(0)[i])) return false;
        return true;
    }
    v3_result run(int frames, vst3host::ParamChanges* changes, vst3host::EventList* events,
                  v3_process_context* context = nullptr) {
        buffers.fillOutputs(std::numeric_limits<float>::quiet_NaN());
        return plugin->process(frames, reinterpret_cast<void**>(buffers.outputs()), 1, changes,
                               events, context);
    }

    std::unique_ptr<vst3host::Vst3Instance> plugin;
    plughost::AudioBuffers<float> buffers;
};

}  // namespace

TEST_F(Vst3OddInput, UnknownIdsAndNanValuesChangeNothing) {
    const std::vector<std::uint8_t> before = plugin->state();
    vst3host::ParamChanges changes;
    changes.add(23, 0, 0.5);
    changes.add(0xFFFFFFFFu, 10, 0.5);
    changes.add(0x7FFFFFFFu, 20, 1.0);
    changes.add(5, 30, std::numeric_limits<double>::quiet_NaN());
    changes.add(0x10000, 40, std::numeric_limits<double>::quiet_NaN());  // the program
    EXPECT_EQ(run(kBlock, &changes, nullptr), V3_OK);
    EXPECT_TRUE(finite());
    EXPECT_EQ(plugin->state(), before);
    EXPECT_NE(plugin->setNormalised(5, std::numeric_limits<double>::quiet_NaN()), V3_OK);
    EXPECT_NE(plugin->setNormalised(4242, 0.5), V3_OK);
    EXPECT_EQ(plugin->state(), before);
}

TEST_F(Vst3OddInput, OffsetsBeyondTheBlockAndValuesBeyondTheRangeAreKeptWithinThem) {
    vst3host::ParamChanges changes;
    changes.add(22, -40, 7.5);          // MainLvl, before the block, above the range
    changes.add(19, kBlock + 9, -3.0);  // LFODepth, after it, below
    vst3host::EventList events;
    events.noteOn(-5, 0, 69, 1.0f);
    events.noteOn(kBlock * 4, 0, 72, 0.5f);
    events.noteOff(kBlock + 1, 0, 72, 0.0f);
    events.noteOn(3, 0, 200, 1.0f);  // no such key
    EXPECT_EQ(run(kBlock, &changes, &events), V3_OK);
    EXPECT_TRUE(finite());
    EXPECT_EQ(plugin->normalised(22), 1.0);
    EXPECT_EQ(plugin->normalised(19), 0.0);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(run(kBlock, nullptr, nullptr), V3_OK);
        ASSERT_TRUE(finite());
    }
}

TEST_F(Vst3OddInput, EmptyCallsRenderNothingAndStillTakeParameterChanges) {
    const std::vector<std::uint8_t> before = plugin->state();
    vst3host::EventList events;
    events.noteOn(0, 0, 69, 1.0f);
    EXPECT_EQ(run(0, nullptr, &events), V3_OK);
    EXPECT_EQ(plugin->process(0, nullptr, 0, nullptr, nullptr, nullptr), V3_OK);
    EXPECT_EQ(plugin->process(-7, nullptr, 0, nullptr, nullptr, nullptr), V3_OK);
    EXPECT_EQ(plugin->state(), before);
    // Hosts flush parameter changes with calls of no frames.
    vst3host::ParamChanges changes;
    changes.add(19, 0, 0.5);
    EXPECT_EQ(run(0, &changes, nullptr), V3_OK);
    EXPECT_EQ(plugin->normalised(19), 0.5);
    // No outputs at all.
    EXPECT_EQ(plugin->process(kBlock, nullptr, 0, nullptr, &events, nullptr), V3_OK);
}

TEST_F(Vst3OddInput, NullAndOutOfRangeArgumentsAreRefusedWithoutHarm) {
    const std::vector<std::uint8_t> before = plugin->state();
    auto* component = v3_cpp_obj(plugin->component());
    auto* processor = v3_cpp_obj(plugin->processor());
    auto* controller = v3_cpp_obj(plugin->controller());
    EXPECT_NE(component->get_state(plugin->component(), nullptr), V3_OK);
    EXPECT_NE(component->set_state(plugin->component(), nullptr), V3_OK);
    EXPECT_NE(component->get_bus_info(plugin->component(), V3_AUDIO, V3_OUTPUT, 0, nullptr), V3_OK);
    EXPECT_NE(component->get_bus_info(plugin->component(), 7, V3_OUTPUT, 0, nullptr), V3_OK);
    EXPECT_NE(processor->set_bus_arrangements(plugin->processor(), nullptr, 0, nullptr, 1), V3_OK);
    EXPECT_NE(processor->setup_processing(plugin->processor(), nullptr), V3_OK);
    EXPECT_NE(processor->process(plugin->processor(), nullptr), V3_OK);
    v3_param_info info{};
    EXPECT_NE(controller->get_parameter_info(plugin->controller(), -1, &info), V3_OK);
    // One past the last: the instrument's parameters, then the program and the bend.
    const int count = vst3test::kParameterCount + 2;
    EXPECT_EQ(controller->get_parameter_count(plugin->controller()), count);
    EXPECT_NE(controller->get_parameter_info(plugin->controller(), count, &info), V3_OK);
    EXPECT_NE(controller->get_parameter_info(plugin->controller(), 0, nullptr), V3_OK);
    v3_str_128 text = {};
    EXPECT_NE(controller->get_parameter_string_for_value(plugin->controller(), 99, 0.5, text),
              V3_OK);
    double value = 0.0;
    EXPECT_NE(controller->get_parameter_value_for_string(plugin->controller(), 0, nullptr, &value),
              V3_OK);
    EXPECT_EQ(controller->create_view(plugin->controller(), "no such view"), nullptr);
    EXPECT_EQ(controller->create_view(plugin->controller(), nullptr), nullptr);
    EXPECT_TRUE(std::isfinite(controller->normalised_parameter_to_plain(
        plugin->controller(), 3, std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(plugin->state(), before);
    EXPECT_EQ(run(kBlock, nullptr, nullptr), V3_OK);
    EXPECT_TRUE(finite());
}

namespace {

// Lists that claim more than they hold: every read counted.
int gReads = 0;
const v3_event_list_cpp* gEvents = nullptr;
const v3_param_changes_cpp* gChanges = nullptr;
const v3_param_value_queue_cpp* gQueue = nullptr;

}  // namespace

// The calls a host makes are bounded by what they can read: a null id is
// refused, and the counts a list gives are no promise of what it holds.
TEST_F(Vst3OddInput, NullIdsAndListsLongerThanTheirEventsAreReadOnlyAsFarAsTheyGo) {
    void* out = reinterpret_cast<void*>(1);
    auto queryOf = [](auto** object) {
        return static_cast<v3_funknown*>(static_cast<void*>(*object))->query_interface;
    };
    EXPECT_EQ(queryOf(plugin->component())(plugin->component(), nullptr, &out), V3_NO_INTERFACE);
    EXPECT_EQ(out, nullptr);
    v3_plugin_factory** factory = plugin->factory();
    ASSERT_TRUE(factory);
    out = reinterpret_cast<void*>(1);
    EXPECT_NE(v3_cpp_obj(factory)->create_instance(factory, plugin->classes()[0].id, nullptr, &out),
              V3_OK);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(v3_cpp_obj(factory)->create_instance(factory, nullptr, v3_component_iid, &out),
              V3_OK);
    EXPECT_NE(queryOf(factory)(factory, nullptr, &out), V3_OK);

    vst3host::EventList events;
    events.noteOn(0, 0, 69, 1.0f);
    events.noteOn(1, 0, 72, 1.0f);
    static v3_event_list_cpp lyingEvents;
    gEvents = static_cast<const v3_event_list_cpp*>(events.table);
    lyingEvents = *gEvents;
    lyingEvents.list.get_event_count = [](void*) -> std::uint32_t { return 0xFFFFFFFFu; };
    lyingEvents.list.get_event = [](void* o, std::int32_t i, v3_event* e) {
        ++gReads;
        return gEvents->list.get_event(o, i, e);
    };
    events.table = &lyingEvents;

    vst3host::ParamChanges changes;
    changes.add(19, 0, 0.5);
    static v3_param_changes_cpp lyingChanges;
    static v3_param_value_queue_cpp lyingQueue;
    gChanges = static_cast<const v3_param_changes_cpp*>(changes.table);
    lyingChanges = *gChanges;
    lyingChanges.changes.get_param_count = [](void*) -> std::int32_t { return 0x7FFFFFFF; };
    lyingChanges.changes.get_param_data = [](void* o, std::int32_t i) {
        ++gReads;
        return gChanges->changes.get_param_data(o, i);
    };
    changes.table = &lyingChanges;
    auto* queue = changes.queues.front().get();
    gQueue = static_cast<const v3_param_value_queue_cpp*>(queue->table);
    lyingQueue = *gQueue;
    lyingQueue.queue.get_point_count = [](void*) -> std::int32_t { return 0x7FFFFFFF; };
    lyingQueue.queue.get_point = [](void* o, std::int32_t i, std::int32_t* at, double* v) {
        ++gReads;
        return gQueue->queue.get_point(o, i, at, v);
    };
    queue->table = &lyingQueue;

    gReads = 0;
    EXPECT_EQ(run(kBlock, &changes, &events), V3_OK);
    EXPECT_LE(gReads, 3 + 2 + 2);  // each list's own, and the read that fails
    EXPECT_TRUE(finite());
    EXPECT_EQ(plugin->normalised(19), 0.5);
    double peak = 0.0;
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(run(kBlock, nullptr, nullptr), V3_OK);
        for (int f = 0; f < kBlock; ++f)
            peak = std::max(peak, double(std::fabs(buffers.output(0)[f])));
    }
    EXPECT_GT(peak, 0.01) << "the notes the lists held were played";
}

#endif
