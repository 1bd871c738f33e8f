// The LV2 face given what a hostile or careless host may give it: port
// indices that are no port, time:Position fields that are no usable number,
// and sample rates the instrument cannot play. Nothing may be written
// outside what the host handed over, a field that is no number in its range
// is ignored, and every rate taken plays in tune.

#include "Lv2TestSupport.h"

#include "synth/PluginRig.h"

#include <lv2/atom/atom.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstring>
#include <limits>

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_PLUGIN)

using lv2test::kBlock;
using lv2test::Lv2Fixture;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kLevel2 = 10, kLevel3 = 16, kLfoWave = 17, kLfoDepth = 19;
constexpr int kWaves = 6;
// The random wave draws from a process-wide generator: no two runs agree.
constexpr int kRandomWave = 5;

class Lv2EdgeInput : public Lv2Fixture {
protected:
    // A time:Position object whose fields are all doubles.
    std::vector<unsigned char> position(const std::vector<std::pair<const char*, double>>& fields) {
        std::vector<unsigned char> body(sizeof(LV2_Atom_Object_Body));
        LV2_Atom_Object_Body head{0, world.map(LV2_TIME__Position)};
        std::memcpy(body.data(), &head, sizeof head);
        for (const auto& field : fields) {
            LV2_Atom_Property_Body property{
                world.map(field.first), 0, {sizeof(double), world.map(LV2_ATOM__Double)}};
            const std::size_t at = body.size();
            body.resize(at + sizeof property + sizeof(double));
            std::memcpy(body.data() + at, &property, sizeof property);
            std::memcpy(body.data() + at + sizeof property, &field.second, sizeof(double));
        }
        return body;
    }

    // Plays a held note for `blocks` blocks at `rate` with the LFO at
    // `wave`; `at` gives the position objects sent in the second block.
    std::vector<float> play(double rate, int wave, const std::vector<unsigned char>& second,
                            int blocks = 8) {
        std::string error;
        auto instance = lv2host::Lv2Instance::create(world, plugin, rate, kBlock, &error);
        EXPECT_TRUE(instance) << error;
        if (!instance) return {};
        instance->setControl(kLfoWave, static_cast<float>(wave));
        instance->setControl(kLfoDepth, 100.0f);
        instance->activate();
        const LV2_URID object = world.map(LV2_ATOM__Object);
        const auto start = position({{LV2_TIME__frame, 0.0},
                                     {LV2_TIME__speed, 1.0},
                                     {LV2_TIME__beatsPerMinute, 140.0},
                                     {LV2_TIME__beatsPerBar, 4.0},
                                     {LV2_TIME__beatUnit, 4.0},
                                     {LV2_TIME__bar, 3.0},
                                     {LV2_TIME__barBeat, 1.5},
                                     {LV2_TIME__beat, 13.5}});
        std::vector<float> out;
        for (int b = 0; b < blocks; ++b) {
            if (b == 0) {
                instance->addAtom(0, object, start.data(), std::uint32_t(start.size()));
                instance->addMidi(0, {0x90, 69, 100});
            }
            if (b == 1) instance->addAtom(100, object, second.data(), std::uint32_t(second.size()));
            instance->run(kBlock);
            out.insert(out.end(), instance->output(), instance->output() + kBlock);
        }
        return out;
    }
};

}  // namespace

TEST_F(Lv2EdgeInput, PortIndicesThatAreNoPortAreIgnored) {
    auto instance = instantiate();
    ASSERT_TRUE(instance);
    LilvInstance* lilv = instance->instance();
    const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
    float stray[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    for (const std::uint32_t port :
         {ports, 999u, 0x7fffffffu, 0x80000000u, 0xfffffffeu, 0xffffffffu})
        lilv_instance_connect_port(lilv, port, stray);
    instance->activate();
    instance->addMidi(0, {0x90, 69, 100});
    instance->run(kBlock);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(stray[i], float(i + 1));
    bool sounding = false;
    for (int i = 0; i < kBlock; ++i) {
        ASSERT_TRUE(std::isfinite(instance->output()[i]));
        sounding |= instance->output()[i] != 0.0f;
    }
    EXPECT_TRUE(sounding) << "the real ports stay connected";
}

TEST_F(Lv2EdgeInput, APositionFieldThatIsNoNumberInItsRangeIsIgnoredForEveryLfoWave) {
    const char* const fields[] = {
        LV2_TIME__frame,    LV2_TIME__speed, LV2_TIME__beatsPerMinute, LV2_TIME__beatsPerBar,
        LV2_TIME__beatUnit, LV2_TIME__bar,   LV2_TIME__barBeat,        LV2_TIME__beat};
    const double bad[] = {kNaN, kInf, -kInf, 1e300, -1e300};
    for (int wave = 0; wave < kWaves; ++wave) {
        // The same run with an empty position where the bad field goes.
        const std::vector<float> expected = play(lv2test::kRate, wave, position({}));
        ASSERT_FALSE(expected.empty());
        for (const char* field : fields)
            for (const double value : bad) {
                const std::vector<float> got =
                    play(lv2test::kRate, wave, position({{field, value}}));
                ASSERT_EQ(got.size(), expected.size());
                double worst = 0.0;
                for (std::size_t i = 0; i < got.size(); ++i) {
                    ASSERT_TRUE(std::isfinite(got[i])) << field << " " << value;
                    worst = std::max(worst, std::fabs(double(got[i]) - double(expected[i])));
                }
                // The engine's dither differs between runs in one process.
                if (wave != kRandomWave) {
                    EXPECT_LT(worst, 1e-5) << field << " = " << value << ", wave " << wave;
                }
            }
    }
}

TEST_F(Lv2EdgeInput, RatesTheInstrumentCannotPlayAreRefusedAndEveryOtherPlaysA4At440Hz) {
    for (const double rate : {0.0, -48000.0, kNaN, kInf, -kInf, 1e9, 1e300, 1.4e6, 999.0}) {
        std::string error;
        EXPECT_FALSE(lv2host::Lv2Instance::create(world, plugin, rate, kBlock, &error)) << rate;
    }
    for (const double rate : {8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0,
                              176400.0, 192000.0, 384000.0, 768000.0}) {
        std::string error;
        auto instance = lv2host::Lv2Instance::create(world, plugin, rate, kBlock, &error);
        ASSERT_TRUE(instance) << rate << ": " << error;
        // Oscillator 1 alone: the note itself.
        instance->setControl(kLevel2, -90.0f);
        instance->setControl(kLevel3, -90.0f);
        instance->activate();
        instance->addMidi(0, {0x90, 69, 100});
        std::vector<double> out;
        const int blocks = static_cast<int>(0.3 * rate / kBlock) + 1;
        for (int b = 0; b < blocks; ++b) {
            instance->run(kBlock);
            out.insert(out.end(), instance->output(), instance->output() + kBlock);
        }
        EXPECT_NEAR(measuredFrequency(out, static_cast<std::size_t>(0.05 * rate), out.size(), rate),
                    440.0, 0.01)
            << rate;
    }
}

#endif
