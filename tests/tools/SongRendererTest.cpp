#include "tools/plughost/PluginHost.h"
#include "tools/plughost/SongRenderer.h"

#include "FakePlugin.h"

#include <gtest/gtest.h>

#include <algorithm>

using faketest::FakePlugin;
using namespace plughost;

namespace {

struct Rendered {
    std::vector<faketest::FakeBlock> blocks;
    std::vector<faketest::FakeEvent> events;
    std::vector<int> eventsPerCall;
    std::vector<int> opcodes;
    RenderStats stats;
    MemorySink sink;
};

Rendered renderFake(const MidiSong& song, RenderOptions options,
                    faketest::FakeSettings settings = faketest::FakeSettings()) {
    FakePlugin::next = settings;
    PluginHost host;
    auto plugin = host.loadEntry(&FakePlugin::entry, "fake");
    EXPECT_TRUE(plugin);
    Rendered r;
    SongRenderer renderer(*plugin, options);
    renderer.prepare();
    std::string error;
    EXPECT_TRUE(renderer.render(song, &r.sink, r.stats, &error)) << error;
    FakePlugin* fake = FakePlugin::last;
    r.blocks = fake->blocks;
    r.events = fake->events;
    r.eventsPerCall = fake->eventsPerCall;
    plugin.reset();
    return r;
}

// Deltas must fall inside the block rendered right after the event list.
void expectDeltasInsideTheirBlocks(const Rendered& r) {
    for (const auto& e : r.events) {
        ASSERT_LT(std::size_t(e.block), r.blocks.size());
        EXPECT_LT(e.deltaFrames, r.blocks[std::size_t(e.block)].frames)
            << "event at frame " << e.frame;
    }
}

}  // namespace

TEST(SongRenderer, EveryEventArrivesAtItsExactFrameAcrossBlockBoundaries) {
    MidiSong song;  // 120 BPM: one quarter is 0.5 s = 24000 frames at 48 kHz
    const double positions[] = {0.0, 1.0 / 48000 * 2, 0.01, 0.0213, 0.5, 0.75, 1.0};
    std::vector<long long> expected;
    for (double seconds : positions) {
        song.addMessage(seconds * 2.0, 0x90, 60, 100);
        expected.push_back(MidiSong::frameAt(seconds, 48000.0));
    }
    RenderOptions options;
    options.block = 500;
    options.tailSeconds = 0.1;
    const Rendered r = renderFake(song, options);
    ASSERT_EQ(r.events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(r.events[i].frame, expected[i]) << i;
        EXPECT_GE(r.events[i].deltaFrames, 0);
    }
    expectDeltasInsideTheirBlocks(r);
}

TEST(SongRenderer, BlocksAreSplitAtTempoChangesAndCarryTheTransport) {
    MidiSong song;
    song.tempoMap().addTempo(1.0, 60.0);  // 120 BPM for 0.5 s, then 60 BPM
    song.extendTo(2.0);                   // 0.5 s + 1 s
    RenderOptions options;
    options.rate = 1000.0;
    options.block = 300;
    options.tailSeconds = 0.0;
    const Rendered r = renderFake(song, options);
    long long start = 0;
    bool splitAtChange = false;
    for (const auto& b : r.blocks) {
        ASSERT_TRUE(b.hasTime);
        EXPECT_EQ(b.start, start);
        EXPECT_DOUBLE_EQ(b.time.samplePos, double(start));
        EXPECT_DOUBLE_EQ(b.time.sampleRate, 1000.0);
        EXPECT_TRUE(b.time.flags & kVstTransportPlaying);
        EXPECT_TRUE(b.time.flags & kVstTempoValid);
        EXPECT_TRUE(b.time.flags & kVstPpqPosValid);
        const double expectedPpq = start < 500 ? start / 500.0 : 1.0 + (start - 500) / 1000.0;
        EXPECT_NEAR(b.time.ppqPos, expectedPpq, 1e-9) << start;
        EXPECT_DOUBLE_EQ(b.time.tempo, start < 500 ? 120.0 : 60.0) << start;
        EXPECT_FALSE(start < 500 && start + b.frames > 500) << "block crosses the tempo change";
        splitAtChange |= start == 500;
        start += b.frames;
    }
    EXPECT_TRUE(splitAtChange);
    EXPECT_EQ(start, 1500);
    EXPECT_EQ(r.stats.frames, 1500);
}

TEST(SongRenderer, CrowdedBlocksAreSplitSoNoCallCarriesMoreThanTheListHolds) {
    MidiSong song;
    for (int i = 0; i < 700; ++i)
        song.addMessage(i * 2.0 / 48000.0, 0xB0, 1, std::uint8_t(i % 128));
    RenderOptions options;
    options.block = 4096;  // all 700 would fall into the first block
    options.tailSeconds = 0.0;
    const Rendered r = renderFake(song, options);
    ASSERT_EQ(r.events.size(), 700u);
    for (int n : r.eventsPerCall) EXPECT_LE(n, 512);
    expectDeltasInsideTheirBlocks(r);
    for (int i = 0; i < 700; ++i) EXPECT_EQ(r.events[std::size_t(i)].frame, i) << i;
}

TEST(SongRenderer, LengthCoversTheSongAndTheTailAndStatisticsMeasureTheOutput) {
    MidiSong song;
    song.addMessage(0.0, 0x90, 60, 100);
    song.addMessage(2.0, 0x80, 60, 0);  // 1 s
    RenderOptions options;
    options.rate = 44100.0;
    options.block = 512;
    options.tailSeconds = 0.5;
    faketest::FakeSettings stereo;
    stereo.outputs = 2;
    stereo.level = 0.25f;
    const Rendered r = renderFake(song, options, stereo);
    EXPECT_EQ(r.stats.frames, 66150);
    EXPECT_EQ(r.stats.channels, 2);
    ASSERT_EQ(r.sink.channels().size(), 2u);
    EXPECT_EQ(r.sink.channels()[1].size(), 66150u);
    EXPECT_DOUBLE_EQ(r.stats.peak, 0.25);
    EXPECT_NEAR(r.stats.rms, 0.25, 1e-12);
    EXPECT_TRUE(r.stats.finite);
    EXPECT_TRUE(r.stats.usedDouble);
}

TEST(SongRenderer, PrecisionFollowsTheRequestAndRefusesAMissingPath) {
    MidiSong song;
    song.extendTo(0.1);
    RenderOptions options;
    options.precision = RenderOptions::Float;
    EXPECT_FALSE(renderFake(song, options).blocks.front().isDouble);

    faketest::FakeSettings floatOnly;
    floatOnly.doublePath = false;
    FakePlugin::next = floatOnly;
    PluginHost host;
    auto plugin = host.loadEntry(&FakePlugin::entry, "fake");
    options.precision = RenderOptions::Auto;
    SongRenderer automatic(*plugin, options);
    EXPECT_FALSE(automatic.usesDouble());
    options.precision = RenderOptions::Double;
    SongRenderer forced(*plugin, options);
    RenderStats stats;
    std::string error;
    EXPECT_FALSE(forced.render(song, nullptr, stats, &error));
    EXPECT_NE(error.find("double"), std::string::npos);
    EXPECT_TRUE(FakePlugin::last->blocks.empty());
}

TEST(SongRenderer, NonFiniteOutputIsReported) {
    MidiSong song;
    song.extendTo(0.5);
    faketest::FakeSettings broken;
    broken.nanAfterFirstBlock = true;
    RenderOptions options;
    const Rendered r = renderFake(song, options, broken);
    EXPECT_FALSE(r.stats.finite);
}

TEST(SongRenderer, CallsTheInstanceInTheOrderOfARealHost) {
    MidiSong song;
    song.extendTo(0.05);
    FakePlugin::next = faketest::FakeSettings();
    PluginHost host;
    auto plugin = host.loadEntry(&FakePlugin::entry, "fake");
    RenderOptions options;
    SongRenderer renderer(*plugin, options);
    renderer.prepare();
    RenderStats stats;
    ASSERT_TRUE(renderer.render(song, nullptr, stats));
    std::vector<int> ops = FakePlugin::last->opcodes;
    ops.erase(std::remove(ops.begin(), ops.end(), int(effProcessEvents)), ops.end());
    const std::vector<int> expected = {effOpen,         effSetSampleRate, effSetBlockSize,
                                       effMainsChanged, effStartProcess,  effStopProcess,
                                       effMainsChanged};
    EXPECT_EQ(ops, expected);
    EXPECT_FALSE(FakePlugin::last->resumed);
    EXPECT_DOUBLE_EQ(host.sampleRate(), 48000.0);
}
