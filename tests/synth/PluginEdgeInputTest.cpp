// The VST 2.4 face given host values that are no usable number where the
// plug-in turns them into integers: the modifier of a key event and the
// sample rate. Each is ignored rather than converted, and the instrument
// goes on playing in tune.

#include "synth/Murlan.h"
#include "synth/PluginRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#ifdef MURLAN_PLUGIN

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

}  // namespace

TEST(PluginEdgeInput, KeyEventsWithAModifierThatIsNoByteAreTakenWithoutOne) {
    PluginRig rig(MURLAN_PLUGIN);
    ASSERT_TRUE(rig.plugin);
    for (const VstInt32 opcode : {effEditKeyDown, effEditKeyUp})
        for (const float opt : {kNaN, -1.0f, 1e30f, -1e30f, kInf, -kInf, 256.0f, 255.9f, 8.0f})
            for (const VstIntPtr virt :
                 {VstIntPtr{0}, VstIntPtr{1}, VstIntPtr{-1}, VstIntPtr{1} << 40})
                EXPECT_LE(rig.plugin->dispatch(opcode, 'a', virt, nullptr, opt), 1) << opt;
    // Still an instrument that plays.
    const std::vector<double> out = rig.render(4800, {{0, 0x90, 69, 100}});
    EXPECT_GT(peakOf(out, 0, out.size()), 0.01);
}

TEST(PluginEdgeInput, SampleRatesTheInstrumentCannotPlayKeepThePreviousRate) {
    for (const float rate : {0.0f, -48000.0f, kNaN, kInf, -kInf, 1e9f, 1e30f, 1.4e6f, 999.0f}) {
        PluginRig rig(MURLAN_PLUGIN);
        ASSERT_TRUE(rig.plugin);
        rig.plugin->setParameter(Murlan::kLevel2, 0.0f);
        rig.plugin->setParameter(Murlan::kLevel3, 0.0f);
        rig.plugin->suspend();
        // Straight to the plug-in: the host keeps its own rate.
        rig.plugin->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        rig.plugin->resume();
        const std::vector<double> out = rig.render(24000, {{0, 0x90, 69, 100}});
        for (double v : out) ASSERT_TRUE(std::isfinite(v)) << rate;
        EXPECT_NEAR(measuredFrequency(out, 2400, out.size(), rig.rate()), 440.0, 0.01) << rate;
    }
}

#endif
