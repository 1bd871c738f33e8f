// The LV2 face driving the instrument: the same samples as the VST 2.4 face
// for the same events and transport, MIDI at its exact frame, transport
// positions taking effect where they stand, and odd input left harmless.

#include "Lv2TestSupport.h"

#include "tools/lv2host/Lv2SongRenderer.h"
#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/SongRenderer.h"
#include "tools/plughost/VstEventList.h"

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>

#include <algorithm>
#include <cmath>

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_PLUGIN)

using lv2test::kBlock;
using lv2test::kRate;
using lv2test::Lv2Fixture;

namespace {

class Lv2Run : public Lv2Fixture {
protected:
    // Renders `song` through the VST face's float path, which is what the
    // LV2 face hands out.
    std::vector<float> renderVst(const plughost::MidiSong& song, double tail) {
        auto vst = loadVst();
        if (!vst) return {};
        lv2test::applySettings(*vst, lv2test::demoSettings());
        plughost::SongRenderer renderer(*vst, lv2test::vstRenderOptions(tail));
        plughost::MemorySink sink;
        plughost::RenderStats stats;
        std::string error;
        EXPECT_TRUE(renderer.render(song, &sink, stats, &error)) << error;
        return sink.channels().empty() ? std::vector<float>() : sink.channels()[0];
    }

    std::vector<float> renderLv2(const plughost::MidiSong& song, double tail,
                                 bool positionEveryBlock = true, bool tempoAsDouble = true) {
        auto instance = instantiate();
        if (!instance) return {};
        lv2test::applySettings(*instance, lv2test::demoSettings());
        lv2host::Lv2RenderOptions options = lv2test::lv2RenderOptions(tail);
        options.positionEveryBlock = positionEveryBlock;
        options.tempoAsDouble = tempoAsDouble;
        plughost::MemorySink sink;
        lv2host::Lv2RenderStats stats;
        EXPECT_TRUE(lv2host::renderSong(*instance, song, options, sink, stats));
        return sink.channels().empty() ? std::vector<float>() : sink.channels()[0];
    }

    static int firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
        if (a.size() != b.size()) return -2;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i]) return static_cast<int>(i);
        return -1;
    }

    // The engine adds a tiny noise from a process-wide generator, so two runs
    // in one process differ below this; the faces are compared in fresh
    // processes, where each binary's generator starts alike.
    static constexpr double kNoise = 1e-5;

    static double largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
        double worst = 0.0;
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            worst = std::max(worst, std::fabs(double(a[i]) - double(b[i])));
        return worst;
    }

    // Runs a fresh, activated instance with the demo settings for `frames`
    // after `fill` queued its events; answers the output.
    template <typename Fill>
    std::vector<float> oneRun(std::uint32_t frames, Fill fill) {
        auto instance = instantiate();
        lv2test::applySettings(*instance, lv2test::demoSettings());
        instance->activate();
        fill(*instance);
        instance->run(frames);
        return std::vector<float>(instance->output(), instance->output() + frames);
    }
};

// Eight bars at a steady tempo, notes held across bar lines.
plughost::MidiSong steadySong(double bpm) {
    plughost::MidiSong song;
    song.tempoMap().setConstantTempo(bpm);
    for (int bar = 0; bar < 8; ++bar) {
        song.addMessage(bar * 4.0, 0x90, 48 + bar, 100);
        song.addMessage(bar * 4.0 + 3.5, 0x80, 48 + bar, 0);
    }
    song.extendTo(32.0);
    return song;
}

}  // namespace

TEST_F(Lv2Run, TheDemoSoundsTheSameSampleForSampleThroughBothFaces) {
    plughost::MidiSong song;
    std::string error;
    ASSERT_TRUE(song.load(MURLAN_SOURCE_DIR "/examples/demo.mid", &error)) << error;
    const std::vector<float> vst = renderVst(song, 2.0);
    const std::vector<float> lv2 = renderLv2(song, 2.0);
    ASSERT_GT(vst.size(), 48000u * 20);
    EXPECT_EQ(firstDifference(lv2, vst), -1);
    EXPECT_GT(*std::max_element(lv2.begin(), lv2.end()), 0.1f);
}

TEST_F(Lv2Run, BetweenPositionsThePluginKeepsTimeAndTheLfoStaysLockedToTheBar) {
    // As a host that sends a position only when the transport starts, with
    // the tempo as the time vocabulary's float and without time:beat.
    const plughost::MidiSong song = steadySong(120.0);
    auto instance = instantiate();
    lv2test::applySettings(*instance, lv2test::demoSettings());
    instance->setControl(19, 100.0f);  // full-depth tremolo makes any drift loud
    std::vector<float> lv2;
    {
        lv2host::Lv2RenderOptions options = lv2test::lv2RenderOptions(0.5);
        options.positionEveryBlock = false;
        options.tempoAsDouble = false;
        plughost::MemorySink sink;
        lv2host::Lv2RenderStats stats;
        ASSERT_TRUE(lv2host::renderSong(*instance, song, options, sink, stats));
        lv2 = sink.channels()[0];
    }
    auto vstFull = loadVst();
    lv2test::applySettings(*vstFull, lv2test::demoSettings());
    vstFull->string2Parameter(19, "100");
    plughost::SongRenderer renderer(*vstFull, lv2test::vstRenderOptions(0.5));
    plughost::MemorySink sink;
    plughost::RenderStats stats;
    ASSERT_TRUE(renderer.render(song, &sink, stats, nullptr));
    ASSERT_EQ(lv2.size(), sink.channels()[0].size());
    // Only rounding separates a transport kept by the plug-in from one
    // told every block: after eight bars the phases still agree.
    EXPECT_LT(largestDifference(lv2, sink.channels()[0]), 1e-4);
}

TEST_F(Lv2Run, MidiArrivesAtItsFrameAndAPositionTakesEffectWhereItStands) {
    // Note at frame 100; the transport jumps half a bar at frame 256.
    lv2host::Lv2Position start, jump;
    start.beat = 0.0;
    jump.frame = 256;
    jump.barBeat = 2.0f;
    jump.beat = 2.0;
    const std::vector<float> lv2 = oneRun(kBlock, [&](lv2host::Lv2Instance& i) {
        i.addPosition(0, start);
        i.addMidi(100, {0x90, 60, 100});
        i.addPosition(256, jump);
    });
    // Before the note only the engine's tiny noise floor.
    for (int f = 0; f < 100; ++f) ASSERT_LT(std::fabs(lv2[f]), 1e-5f) << "frame " << f;
    EXPECT_GT(std::fabs(lv2[140]), 1e-4f);

    // The VST face told the same: two calls, the transport moved in between.
    auto vst = loadVst();
    lv2test::applySettings(*vst, lv2test::demoSettings());
    vst->resume();
    plughost::AudioBuffers<float> first(0, 1, 256), second(0, 1, 256);
    plughost::VstEventList events(4);
    events.addMidi(100, 0x90, 60, 100);
    vstHost.setPlaying(true);
    vstHost.setTempo(120.0);
    vstHost.setPosition(0.0, 0.0, 0.0);
    vst->processEvents(events);
    vst->process(first, 256);
    vstHost.setPosition(256.0, 2.0, 0.0);
    vst->process(second, 256);
    for (int f = 0; f < 256; ++f) {
        ASSERT_EQ(lv2[f], first.output(0)[f]) << f;
        ASSERT_EQ(lv2[256 + f], second.output(0)[f]) << 256 + f;
    }
}

TEST_F(Lv2Run, NotesBeforeAPositionOnTheSameFrameAreKept) {
    // At the run's first frame, and at a later one where the position ends
    // a stretch: two notes on that frame, the position between or after.
    lv2host::Lv2Position start;
    for (std::uint32_t at : {0u, 100u}) {
        const auto positionFirst = oneRun(kBlock, [&](lv2host::Lv2Instance& i) {
            i.addPosition(0, start);
            i.addPosition(at, start);
            i.addMidi(at, {0x90, 60, 100});
            i.addMidi(at, {0x90, 67, 100});
        });
        const auto between = oneRun(kBlock, [&](lv2host::Lv2Instance& i) {
            i.addPosition(0, start);
            i.addMidi(at, {0x90, 60, 100});
            i.addPosition(at, start);
            i.addMidi(at, {0x90, 67, 100});
        });
        const auto notesFirst = oneRun(kBlock, [&](lv2host::Lv2Instance& i) {
            i.addPosition(0, start);
            i.addMidi(at, {0x90, 60, 100});
            i.addMidi(at, {0x90, 67, 100});
            i.addPosition(at, start);
        });
        for (std::uint32_t f = 0; f < at; ++f)
            ASSERT_LT(std::fabs(positionFirst[f]), 1e-5f) << "frame " << f;
        EXPECT_GT(std::fabs(positionFirst[at + 100]), 1e-4f) << "at " << at;
        EXPECT_LT(largestDifference(between, positionFirst), kNoise) << "at " << at;
        EXPECT_LT(largestDifference(notesFirst, positionFirst), kNoise) << "at " << at;
    }
}

TEST_F(Lv2Run, UnknownAtomsLongMessagesAndEmptyRunsChangeNothing) {
    const auto plain = oneRun(kBlock, [](lv2host::Lv2Instance& i) {
        i.addMidi(10, {0x90, 64, 90});
    });
    const auto noisy = oneRun(kBlock, [](lv2host::Lv2Instance& i) {
        const std::int32_t number = 7;
        i.addAtom(0, i.world().map(LV2_ATOM__Int), &number, sizeof number);
        const unsigned char sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        i.addAtom(5, i.world().map(LV2_MIDI__MidiEvent), sysex, sizeof sysex);
        i.addAtom(6, i.world().map(LV2_MIDI__MidiEvent), sysex, 0);
        i.addMidi(10, {0x90, 64, 90});
        const char text[] = "not ours";
        i.addAtom(20, i.world().map(LV2_ATOM__String), text, sizeof text);
    });
    EXPECT_LT(largestDifference(noisy, plain), kNoise);

    // A run of no frames, even with events for it, leaves the next run as
    // if it had not happened.
    auto instance = instantiate();
    lv2test::applySettings(*instance, lv2test::demoSettings());
    instance->activate();
    instance->run(0);
    instance->addMidi(0, {0x90, 40, 100});
    instance->run(0);
    instance->addMidi(10, {0x90, 64, 90});
    instance->run(kBlock);
    EXPECT_LT(largestDifference(std::vector<float>(instance->output(), instance->output() + kBlock),
                                plain),
              kNoise);
}

TEST_F(Lv2Run, MoreEventsThanOneCallTakesAllStillArrive) {
    // 600 events in the first 150 frames (the effect takes 512 per call),
    // then one more note: the run is cut, and that note still sounds.
    auto crowd = [](lv2host::Lv2Instance& i) {
        for (int n = 0; n < 300; ++n) {
            i.addMidi(static_cast<std::uint32_t>(n / 2), {0x90, 50, 100});
            i.addMidi(static_cast<std::uint32_t>(n / 2), {0x80, 50, 0});
        }
    };
    const auto crowdOnly = oneRun(kBlock, crowd);
    const auto withNote = oneRun(kBlock, [&](lv2host::Lv2Instance& i) {
        crowd(i);
        i.addMidi(200, {0x90, 72, 100});
    });
    EXPECT_LT(largestDifference(std::vector<float>(withNote.begin(), withNote.begin() + 200),
                                std::vector<float>(crowdOnly.begin(), crowdOnly.begin() + 200)),
              kNoise);
    int differing = 0;
    for (int f = 200; f < kBlock; ++f) differing += std::fabs(withNote[f] - crowdOnly[f]) > 1e-3;
    EXPECT_GT(differing, 150);
}

#endif
