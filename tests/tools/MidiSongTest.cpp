#include "tools/plughost/MidiSong.h"

#include "SmfBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using faketest::SmfBytes;
using plughost::MidiSong;
using plughost::TempoMap;

namespace {

MidiSong loadBytes(const SmfBytes& smf) {
    const auto bytes = smf.bytes();
    MidiSong song;
    std::string error;
    EXPECT_TRUE(song.loadFromMemory(bytes.data(), bytes.size(), &error)) << error;
    return song;
}

}  // namespace

TEST(MidiSong, RunningStatusRepeatsTheLastStatusForEveryMessageKind) {
    SmfBytes smf(0, 96);
    smf.track();
    smf.event(0, {0x90, 60, 100});
    smf.event(48, {60, 0});  // running note-on, velocity 0
    smf.event(0, {64, 90});
    smf.event(48, {64, 0});
    smf.event(0, {0xC1, 5});  // two-byte message
    smf.event(24, {7});       // running program change
    smf.event(0, {0xE0, 0x00, 0x50});
    smf.event(12, {0x7F, 0x7F});
    smf.endOfTrack();
    const MidiSong song = loadBytes(smf);
    const auto& m = song.messages();
    ASSERT_EQ(m.size(), 8u);
    const double ppq[] = {0, 0.5, 0.5, 1.0, 1.0, 1.25, 1.25, 1.375};
    const std::uint8_t status[] = {0x90, 0x90, 0x90, 0x90, 0xC1, 0xC1, 0xE0, 0xE0};
    const std::uint8_t data1[] = {60, 60, 64, 64, 5, 7, 0x00, 0x7F};
    const int size[] = {3, 3, 3, 3, 2, 2, 3, 3};
    for (std::size_t i = 0; i < m.size(); ++i) {
        EXPECT_DOUBLE_EQ(m[i].ppq, ppq[i]) << i;
        EXPECT_EQ(m[i].bytes[0], status[i]) << i;
        EXPECT_EQ(m[i].bytes[1], data1[i]) << i;
        EXPECT_EQ(m[i].size, size[i]) << i;
    }
    EXPECT_EQ(m[1].bytes[2], 0);
    EXPECT_EQ(m[7].bytes[2], 0x7F);
}

TEST(MidiSong, FormatOneMergesTracksAndTakesTempoFromTheConductorTrack) {
    SmfBytes smf(1, 480);
    smf.track();                                    // conductor
    smf.event(0, {0xFF, 0x58, 0x04, 3, 2, 24, 8});  // 3/4
    smf.tempo(0, 500000);                           // 120 BPM
    smf.tempo(960, 250000);                         // 240 BPM after two quarters
    smf.endOfTrack();
    smf.track();
    smf.event(480, {0x90, 69, 100});  // quarter 1
    smf.event(1440, {0x80, 69, 0});   // quarter 4
    smf.endOfTrack(480);              // quarter 5
    smf.track();
    smf.event(960, {0x91, 72, 80});  // quarter 2, other track
    smf.endOfTrack();
    const MidiSong song = loadBytes(smf);
    EXPECT_EQ(song.format(), 1);
    EXPECT_EQ(song.trackCount(), 3);
    ASSERT_EQ(song.messages().size(), 3u);
    EXPECT_EQ(song.messages()[0].bytes[1], 69);
    EXPECT_EQ(song.messages()[1].bytes[1], 72);
    EXPECT_EQ(song.messages()[2].bytes[0], 0x80);

    const TempoMap& map = song.tempoMap();
    EXPECT_DOUBLE_EQ(map.secondsAt(1.0), 0.5);
    EXPECT_DOUBLE_EQ(map.secondsAt(2.0), 1.0);
    EXPECT_DOUBLE_EQ(map.secondsAt(4.0), 1.5);  // two quarters at 240 BPM
    EXPECT_DOUBLE_EQ(map.tempoAtPpq(1.9), 120.0);
    EXPECT_DOUBLE_EQ(map.tempoAtPpq(2.0), 240.0);
    EXPECT_EQ(map.numeratorAt(0.0), 3);
    EXPECT_EQ(map.denominatorAt(0.0), 4);
    EXPECT_DOUBLE_EQ(song.endPpq(), 5.0);
    EXPECT_DOUBLE_EQ(song.lengthSeconds(), 1.75);
    EXPECT_EQ(MidiSong::frameAt(map.secondsAt(4.0), 48000.0), 72000);
}

TEST(MidiSong, MetaAndSystemExclusiveEventsAreNotPlayed) {
    SmfBytes smf(0, 96);
    smf.track();
    smf.event(0, {0xFF, 0x03, 0x04, 'N', 'a', 'm', 'e'});
    smf.event(0, {0xF0, 0x03, 0x7E, 0x01, 0xF7});
    smf.event(10, {0x90, 60, 1});
    smf.endOfTrack();
    const MidiSong song = loadBytes(smf);
    ASSERT_EQ(song.messages().size(), 1u);
    EXPECT_EQ(song.messages()[0].bytes[0], 0x90);
}

TEST(MidiSong, FilesThatAreNotMidiAreRefusedWithAReason) {
    const char junk[] = "RIFF....WAVEfmt ";
    MidiSong song;
    std::string error;
    EXPECT_FALSE(song.loadFromMemory(junk, sizeof junk, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(song.load("/nonexistent/file.mid", &error));
    EXPECT_NE(error.find("/nonexistent/file.mid"), std::string::npos);
}

TEST(TempoMap, SecondsAndQuartersConvertBothWaysAcrossChanges) {
    TempoMap map;
    map.addTempo(4.0, 60.0);
    map.addTempo(2.0, 240.0);  // inserted out of order
    // 0..2 at 120 (1 s), 2..4 at 240 (0.5 s), then 60 BPM.
    EXPECT_DOUBLE_EQ(map.secondsAt(2.0), 1.0);
    EXPECT_DOUBLE_EQ(map.secondsAt(4.0), 1.5);
    EXPECT_DOUBLE_EQ(map.secondsAt(5.0), 2.5);
    for (double q : {0.0, 0.7, 2.0, 3.3, 4.0, 9.25})
        EXPECT_NEAR(map.ppqAt(map.secondsAt(q)), q, 1e-12);
    EXPECT_DOUBLE_EQ(map.nextTempoChangeAfter(2.0), 4.0);
    EXPECT_LT(map.nextTempoChangeAfter(4.0), 0.0);
    map.setConstantTempo(60.0);
    EXPECT_DOUBLE_EQ(map.secondsAt(5.0), 5.0);
}

TEST(TempoMap, BlocksEndWhereTheNextTempoChangeTakesEffect) {
    TempoMap map;
    map.addTempo(1.0, 60.0);  // at 0.5 s: frame 500 at 1000 frames a second
    EXPECT_EQ(map.blockLength(0.0, 0, 256, 1000.0), 256);
    EXPECT_EQ(map.blockLength(map.ppqAt(0.256), 256, 256, 1000.0), 244);
    // A block that starts on the change runs its full length.
    EXPECT_EQ(map.blockLength(1.0, 500, 256, 1000.0), 256);
    EXPECT_EQ(map.blockLength(1.0 - TempoMap::kAfter / 2, 500, 256, 1000.0), 256);
}

TEST(MidiSong, MessageFramesRunToTheTailAndPastTheLastMessage) {
    MidiSong song;
    song.addMessage(0.5, 0x90, 60, 100);
    song.addMessage(3.0, 0x80, 60, 0);
    song.extendTo(2.0);
    std::vector<std::int64_t> frames;
    // 120 BPM: quarter 0.5 at 0.25 s, quarter 3 at 1.5 s.
    EXPECT_EQ(song.messageFrames(song.tempoMap(), 1000.0, 0.0, frames), 1501);
    EXPECT_EQ(frames, (std::vector<std::int64_t>{250, 1500}));
    song.extendTo(4.0);  // ends at 2 s
    EXPECT_EQ(song.messageFrames(song.tempoMap(), 1000.0, 0.5, frames), 2500);
    EXPECT_EQ(song.messageFrames(song.tempoMap(), 1000.0, -1.0, frames), 2000);
}

TEST(TempoMap, BarsRestartAtEverySignatureChange) {
    TempoMap map;
    map.addTimeSignature(0.0, 3, 4);  // bars of 3 quarters
    map.addTimeSignature(6.0, 6, 8);  // bars of 3 quarters, from quarter 6
    map.addTimeSignature(9.0, 2, 2);  // bars of 4 quarters, from quarter 9
    EXPECT_DOUBLE_EQ(map.barStartAt(2.99), 0.0);
    EXPECT_DOUBLE_EQ(map.barStartAt(3.0), 3.0);
    EXPECT_DOUBLE_EQ(map.barStartAt(7.5), 6.0);
    EXPECT_DOUBLE_EQ(map.barStartAt(12.9), 9.0);
    EXPECT_DOUBLE_EQ(map.barStartAt(13.0), 13.0);
}

TEST(TempoMap, BrokenTempiFallBackToUsableValues) {
    TempoMap map;
    map.addTempo(1.0, 0.0);
    map.addTempo(2.0, std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isfinite(map.secondsAt(10.0)));
    EXPECT_GT(map.secondsAt(10.0), map.secondsAt(2.0));
}
