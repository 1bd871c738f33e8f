// The built plug-in, loaded and driven like a host does, measured by its
// output: pitch, level, tail, precision paths, timing of events and host
// nonsense.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PluginRig.h"

#ifndef MURLAN_PLUGIN
#define SKIP_WITHOUT_PLUGIN() GTEST_SKIP() << "plug-in not built"
#else
#define SKIP_WITHOUT_PLUGIN() (void)0
#endif

namespace {
constexpr unsigned char kOn = 0x90;
constexpr unsigned char kOff = 0x80;
const double kMainDefault = std::pow(10.0, -12.5 / 20.0);

// Only oscillator `osc` (1..3) sounds.
void solo(PluginRig& rig, int osc) {
    const int levels[] = {4, 10, 16};
    for (int o = 1; o <= 3; ++o) rig.plugin->setParameter(levels[o - 1], o == osc ? 1.0f : 0.0f);
}
}  // namespace

TEST(MurlanRender, HeldNoteSoundsAtEachPartialAndDetune) {
    SKIP_WITHOUT_PLUGIN();
    PluginRig rig;
    ASSERT_TRUE(rig.ok());
    struct Case {
        int osc;
        float partial;  // normalised: (k - 1) / 5
        float detune;   // normalised: (cents + 99) / 198
        double expected;
    };
    const Case cases[] = {
        {1, 0.0f, 0.5f, 220.0},
        {1, 0.0f, 1.0f, 220.0 * std::pow(2.0, 99.0 / 1200.0)},
        {2, 0.2f, 0.5f, 440.0},
        {2, 0.6f, 0.0f, 880.0 * std::pow(2.0, -99.0 / 1200.0)},
        {3, 1.0f, 0.5f, 1320.0},
        {3, 0.4f, 148.0f / 198.0f, 660.0 * std::pow(2.0, 49.0 / 1200.0)},
    };
    for (const Case& c : cases) {
        solo(rig, c.osc);
        const int partial = c.osc == 2 ? 5 : 11;
        const int detune = c.osc == 1 ? 0 : c.osc == 2 ? 6 : 12;
        if (c.osc > 1) rig.plugin->setParameter(partial, c.partial);
        rig.plugin->setParameter(detune, c.detune);
        const std::vector<double> out = rig.render(48000, {{0, kOn, 57, 100}, {47000, kOff, 57, 0}});
        EXPECT_NEAR(measuredFrequency(out, 4800, 46000, rig.rate()) / c.expected, 1.0, 1e-6)
            << "osc " << c.osc << " expected " << c.expected;
    }
}

TEST(MurlanRender, Key69AtDefaultSettingsPeaksNear0694) {
    SKIP_WITHOUT_PLUGIN();
    PluginRig rig;
    ASSERT_TRUE(rig.ok());
    const std::vector<double> out = rig.render(48000, {{0, kOn, 69, 100}});
    EXPECT_NEAR(peakOf(out, 4800, out.size()), 3.0 * kMainDefault * 0.9754781797750323, 2e-3);
    EXPECT_NEAR(peakOf(out, 4800, out.size()), 0.694, 3e-3);
}

TEST(MurlanRender, ReleasedNoteDecaysToTheDitherLevel) {
    SKIP_WITHOUT_PLUGIN();
    PluginRig rig;
    ASSERT_TRUE(rig.ok());
    rig.render(24000, {{0, kOn, 60, 100}, {12000, kOff, 60, 0}});
    const std::vector<double> tail = rig.render(48000);
    double mean = 0.0;
    for (double x : tail) {
        ASSERT_GT(x, 0.0);
        ASSERT_LE(x, 5e-06 * kMainDefault);
        mean += x;
    }
    EXPECT_NEAR(mean / tail.size(), 2.5e-06 * kMainDefault, 0.05e-06);
}

TEST(MurlanRender, FloatPathIsTheDoublePathRoundedToFloat) {
    SKIP_WITHOUT_PLUGIN();
    const std::vector<Note> melody{{0, kOn, 60, 90},     {9000, kOn, 64, 90},  {9100, kOff, 60, 0},
                                   {20000, 0xE0, 0, 0x60}, {30000, kOff, 64, 0}, {30001, kOn, 67, 10}};
    PluginRig doubles;
    PluginRig floats;
    ASSERT_TRUE(doubles.ok() && floats.ok());
    for (PluginRig* rig : {&doubles, &floats}) {
        rig->plugin->setParameter(3, 0.2f);   // Porta1
        rig->plugin->setParameter(17, 0.6f);  // LFOWave Rising
        rig->plugin->setParameter(19, 0.5f);  // LFODepth
    }
    const std::vector<double> d = doubles.render(40000, melody, false);
    const std::vector<double> f = floats.render(40000, melody, true);
    ASSERT_EQ(d.size(), f.size());
    for (std::size_t i = 0; i < d.size(); ++i) ASSERT_EQ(f[i], static_cast<double>(static_cast<float>(d[i]))) << i;
}

TEST(MurlanRender, HostsThatSkipEmptyEventCallsHearTheSame) {
    SKIP_WITHOUT_PLUGIN();
    const std::vector<Note> melody{{100, kOn, 60, 90}, {5000, kOn, 62, 90}, {5000, kOff, 60, 0}, {9999, kOff, 62, 0}};
    PluginRig everyBlock;
    PluginRig whenNeeded;
    ASSERT_TRUE(everyBlock.ok() && whenNeeded.ok());
    EXPECT_EQ(everyBlock.render(20000, melody, false, true), whenNeeded.render(20000, melody, false, false));
}

TEST(MurlanRender, ZeroFrameBlocksRenderNothingAndKeepTheEvents) {
    SKIP_WITHOUT_PLUGIN();
    PluginRig rig;
    ASSERT_TRUE(rig.ok());
    rig.events.clear();
    rig.events.addMidi(0, kOn, 69, 100);
    rig.plugin->processEvents(rig.events);
    EXPECT_TRUE(rig.plugin->process(rig.doubles, 0));
    EXPECT_TRUE(rig.plugin->process(rig.floats, 0));
    const std::vector<double> out = rig.render(4800, {}, false, false);
    EXPECT_GT(peakOf(out, 2400, out.size()), 0.5);
}

TEST(MurlanRender, EventOutOfOrderIsDroppedWithEverythingBehindIt) {
    SKIP_WITHOUT_PLUGIN();
    PluginRig rig;
    ASSERT_TRUE(rig.ok());
    rig.events.clear();
    rig.events.addMidi(100, kOn, 69, 100);
    rig.events.addMidi(50, kOff, 69, 0);  // already past when its turn comes
    rig.events.addMidi(200, kOn, 81, 100);
    rig.plugin->processEvents(rig.events);
    rig.plugin->process(rig.doubles, 512);
    const std::vector<double> out = rig.render(9600, {}, false, true);
    EXPECT_GT(peakOf(out, 4800, out.size()), 0.5) << "the note-off never came";
    EXPECT_NEAR(measuredFrequency(out, 0, out.size(), rig.rate()), 440.0, 0.01) << "the later key never came";
}

TEST(MurlanRender, NonsenseSampleRatesLeaveThePlugInPlayingAtThePreviousRate) {
    SKIP_WITHOUT_PLUGIN();
    PluginRig rig;
    ASSERT_TRUE(rig.ok());
    for (float rate : {0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN(), 1e9f})
        rig.plugin->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    const std::vector<double> out = rig.render(48000, {{0, kOn, 69, 100}});
    EXPECT_NEAR(measuredFrequency(out, 4800, out.size(), 48000.0), 440.0, 0.01);
    EXPECT_NEAR(peakOf(out, 4800, out.size()), 0.694, 3e-3);
}

TEST(MurlanRender, RisingLfoAtFullDepthSwellsOncePerBarLockedToTheTransport) {
    SKIP_WITHOUT_PLUGIN();
    PluginRig rig;  // 120 bpm at 48 kHz: a bar is 96000 samples
    ASSERT_TRUE(rig.ok());
    rig.plugin->setParameter(17, 0.6f);  // Rising
    rig.plugin->setParameter(18, 0.0f);  // 1 per bar
    rig.plugin->setParameter(19, 1.0f);  // 100 %
    rig.host.setTempo(120.0);
    rig.host.setPosition(0.0, 1.0);  // a quarter into the bar
    rig.host.setPlaying(true);
    const std::vector<double> out = rig.render(96000, {{0, kOn, 69, 100}});
    const double full = 3.0 * kMainDefault * 0.9754781797750323;
    auto levelAt = [&](double barPhase) {
        const std::size_t centre = static_cast<std::size_t>((barPhase - 0.25) * 96000.0);
        return peakOf(out, centre - 120, centre + 120) / full;
    };
    EXPECT_NEAR(levelAt(0.5), 0.5, 0.02);
    EXPECT_NEAR(levelAt(0.9), 0.9, 0.02);
    EXPECT_NEAR(levelAt(1.05), 0.05, 0.02) << "a new bar starts from silence";
    EXPECT_NEAR(levelAt(1.2), 0.2, 0.02);
}
