// The CLAP face driving the instrument: the same samples as the VST 2.4
// face for the same song, settings, bends, tempo changes and parameter
// changes (each at its frame), on both sample sizes and in both note
// dialects; what a careless host sends left harmless.

#include "ClapTestSupport.h"

#include "tools/plughost/AudioBuffers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(MURLAN_CLAP_BINARY) && defined(MURLAN_PLUGIN)

using claptest::Change;
using claptest::kBlock;
using claptest::kRate;

namespace {

class ClapRendering : public claptest::ClapFixture {
protected:
    void compare(const plughost::MidiSong& song, const std::vector<Change>& changes, bool doubles,
                 bool midiNotes, double tail) {
        auto vst = loadDemoVst();
        auto plugin = load();
        ASSERT_TRUE(vst && plugin);
        claptest::applySettings(*plugin, claptest::demoSettings());

        const std::vector<double> expected =
            claptest::renderVst(*vst, song, changes, doubles, tail);
        bool alike = false;
        const std::vector<double> got =
            claptest::renderClap(*plugin, song, changes, doubles, midiNotes, tail, &alike);
        ASSERT_GT(expected.size(), static_cast<std::size_t>(kRate));
        EXPECT_EQ(claptest::firstDifference(expected, got), -1);
        EXPECT_TRUE(alike) << "both channels carry the one signal";
        double peak = 0.0;
        for (double v : got) peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.05);
        EXPECT_TRUE(plugin->callsOnWrongThreads().empty());
    }

    static plughost::MidiSong demo() {
        plughost::MidiSong song;
        std::string error;
        EXPECT_TRUE(song.load(MURLAN_SOURCE_DIR "/examples/demo.mid", &error)) << error;
        return song;
    }

    // Changes in the middle of blocks, several in one block, on stepped,
    // decibel and choice parameters.
    static std::vector<Change> changes() {
        return {{7000, 0, 0.75},    {30001, 19, 0.5},   {30100, 18, 0.25},
                {30101, 22, 0.375}, {61234, 17, 0.6},   {90000, 3, 0.125},
                {90511, 11, 0.4},   {120003, 21, 0.75}, {150000, 4, 0.5}};
    }
};

class ClapOddInput : public claptest::ClapFixture {
protected:
    void SetUp() override {
        plugin = load();
        ASSERT_TRUE(plugin);
        ASSERT_TRUE(plugin->activate(kRate, kBlock));
    }
    // One block with `events`; the output's first channel.
    std::vector<float> block(const claphost::EventQueue& events, std::uint32_t frames = kBlock,
                             clap_process_status* status = nullptr) {
        plughost::AudioBuffers<float> buffers(0, 2, static_cast<int>(frames));
        const clap_process_status s = plugin->process(frames, buffers.outputs(), 2, events);
        if (status) *status = s;
        return std::vector<float>(buffers.output(0), buffers.output(0) + frames);
    }
    // Nothing but the dither, which is far below this.
    static bool quiet(std::vector<float>::const_iterator from,
                      std::vector<float>::const_iterator to) {
        return std::all_of(from, to, [](float v) { return std::fabs(v) < 1e-4f; });
    }
    std::unique_ptr<claphost::ClapInstance> plugin;
};

}  // namespace

TEST_F(ClapRendering, TheDemoSoundsAsFromTheVst24FaceInFloatsWithNoteEvents) {
    compare(demo(), {}, false, false, 2.0);
}

TEST_F(ClapRendering, TheDemoSoundsAsFromTheVst24FaceInDoublesWithMidi) {
    compare(demo(), {}, true, true, 2.0);
}

TEST_F(ClapRendering, ParameterChangesBendsAndTempoChangesSoundAsFromTheVst24Face) {
    compare(scenario(), changes(), false, false, 1.0);
}

TEST_F(ClapRendering, ParameterChangesBendsAndTempoChangesSoundAsFromTheVst24FaceInDoubles) {
    compare(scenario(), changes(), true, true, 1.0);
}

TEST_F(ClapOddInput, EventsTheFaceCannotReadChangeNothingAndCountsAreBounded) {
    claphost::EventQueue events;
    // A note-on too short for its type, one of another event space, a key
    // out of range, an unknown parameter, a NaN value, a value for one key.
    clap_event_note_t note{};
    note.header = {sizeof note - 8, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_ON, 0};
    note.key = 60;
    note.channel = 0;
    note.velocity = 1.0;
    events.raw(&note, sizeof note);
    note.header.size = sizeof note;
    note.header.space_id = 7;
    events.raw(&note, sizeof note);
    events.note(CLAP_EVENT_NOTE_ON, 0, 0, 128, 1.0);
    events.value(0, 999, 0.5);
    events.value(0, 22, std::numeric_limits<double>::quiet_NaN());
    clap_event_param_value_t perKey{};
    perKey.header = {sizeof perKey, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    perKey.param_id = 22;
    perKey.note_id = -1;
    perKey.port_index = -1;
    perKey.channel = -1;
    perKey.key = 60;
    perKey.value = 0.0;
    events.raw(&perKey, sizeof perKey);
    const double level = plugin->value(22);
    const std::vector<float> out = block(events);
    EXPECT_TRUE(quiet(out.begin(), out.end()));
    EXPECT_EQ(plugin->value(22), level);

    // A list that claims four billion events and gives none.
    clap_input_events_t liar{nullptr, [](const clap_input_events_t*) { return 0xFFFFFFFFu; },
                             [](const clap_input_events_t*, std::uint32_t) {
                                 return static_cast<const clap_event_header_t*>(nullptr);
                             }};
    plughost::AudioBuffers<float> buffers(0, 2, kBlock);
    clap_audio_buffer_t port{buffers.outputs(), nullptr, 2, 0, 0};
    clap_process_t process{};
    process.frames_count = kBlock;
    process.audio_outputs = &port;
    process.audio_outputs_count = 1;
    process.in_events = &liar;
    EXPECT_EQ(plugin->plugin()->process(plugin->plugin(), &process), CLAP_PROCESS_CONTINUE);
    // Nowhere to render to.
    process.audio_outputs_count = 0;
    EXPECT_EQ(plugin->plugin()->process(plugin->plugin(), &process), CLAP_PROCESS_ERROR);

    // Rates and block sizes no audio device has are refused.
    plugin->deactivate();
    for (double rate : {0.0, -48000.0, std::numeric_limits<double>::infinity(), 1e9})
        EXPECT_FALSE(plugin->activate(rate, kBlock)) << rate;
    EXPECT_FALSE(plugin->activate(kRate, 0));
}

TEST_F(ClapOddInput, LateAndDisorderedEventsSoundWithinTheBlockAndLongBlocksAreCut) {
    // A note-on beyond the block starts on its last frame; one earlier than
    // the event before it is late, not lost.
    claphost::EventQueue events;
    events.note(CLAP_EVENT_NOTE_ON, kBlock + 100, 0, 60, 1.0);
    std::vector<float> out = block(events);
    EXPECT_TRUE(quiet(out.begin(), out.end() - 1));
    events.clear();
    events.note(CLAP_EVENT_NOTE_OFF, 0, 0, 60, 0.0);
    block(events);
    plugin->deactivate();
    // A block four times longer than promised renders whole, sounding.
    ASSERT_TRUE(plugin->activate(kRate, 64));
    events.clear();
    events.value(10, 22, 0.9);
    events.note(CLAP_EVENT_NOTE_ON, 5, -1, 64, 0.8);
    events.note(CLAP_EVENT_NOTE_ON, 3, -1, 67, 0.8);
    clap_process_status status = CLAP_PROCESS_ERROR;
    out = block(events, 256, &status);
    EXPECT_EQ(status, CLAP_PROCESS_CONTINUE);
    EXPECT_TRUE(quiet(out.begin(), out.begin() + 10))
        << "the notes wait for the change before them";
    EXPECT_FALSE(quiet(out.begin() + 10, out.end()));
    EXPECT_NEAR(plugin->value(22), 0.9, 1e-9);
}

#endif
