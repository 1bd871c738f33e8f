// The state extension: the bank image and the current program, the same
// bytes as the VST 2.4 face's bank chunk; restoring takes all or nothing.

#include "Lv2TestSupport.h"

#include "lv2/Lv2ControlPorts.h"
#include "synth/Murlan.h"

#include <lv2/atom/atom.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_PLUGIN)

using lv2test::kBlock;
using lv2test::Lv2Fixture;
using lv2test::SavedState;

namespace {

const std::string kBank = std::string(MURLAN_LV2_URI) + "#bank";
const std::string kProgram = std::string(MURLAN_LV2_URI) + "#program";

class Lv2State : public Lv2Fixture {
protected:
    // A short phrase; answers the output.
    static std::vector<float> play(lv2host::Lv2Instance& instance) {
        instance.activate();
        std::vector<float> out;
        for (int block = 0; block < 8; ++block) {
            if (block == 0) instance.addMidi(0, {0x90, 57, 100});
            if (block == 5) instance.addMidi(30, {0x80, 57, 0});
            instance.run(kBlock);
            out.insert(out.end(), instance.output(), instance.output() + kBlock);
        }
        return out;
    }

    // The VST face's bank chunk after the demo settings and a renamed program.
    std::vector<std::uint8_t> vstBank(const std::string& name) {
        auto vst = loadVst();
        lv2test::applySettings(*vst, lv2test::demoSettings());
        vst->setProgramName(name);
        return vst->getChunk(false);
    }
};

}  // namespace

TEST_F(Lv2State, AStateRestoredInAFreshInstanceGivesTheSameSoundAndTheSameBank) {
    auto first = instantiate();
    lv2test::applySettings(*first, lv2test::demoSettings());
    first->run(0);  // the ports reach the effect
    LilvState* state = first->saveState();
    ASSERT_TRUE(state);
    const SavedState saved = lv2test::saveDirect(*first);

    auto second = instantiate();
    second->restoreState(state);
    lilv_state_free(state);
    EXPECT_EQ(lv2test::saveDirect(*second).find(kBank)->bytes, saved.find(kBank)->bytes);
    for (int port : first->controlPorts()) EXPECT_EQ(second->control(port), first->control(port));
    // Within the engine's noise floor: both instances draw it from one
    // process-wide generator.
    const std::vector<float> a = play(*first), b = play(*second);
    ASSERT_EQ(a.size(), b.size());
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(double(a[i]) - b[i]));
    EXPECT_LT(worst, 1e-5);
    EXPECT_GT(*std::max_element(a.begin(), a.end()), 0.05f);
}

TEST_F(Lv2State, TheStateIsTheVstBankChunkAndKeepsProgramNames) {
    const std::vector<std::uint8_t> chunk = vstBank("Glide Lead");
    SavedState fromVst;
    fromVst.values.push_back({kBank, {chunk, world.map(LV2_ATOM__Chunk)}});
    const std::int32_t program = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&program);
    fromVst.values.push_back({kProgram, {{bytes, bytes + 4}, world.map(LV2_ATOM__Int)}});

    auto instance = instantiate();
    ASSERT_EQ(lv2test::restoreDirect(*instance, fromVst), LV2_STATE_SUCCESS);
    const SavedState saved = lv2test::saveDirect(*instance);
    ASSERT_TRUE(saved.find(kBank));
    EXPECT_EQ(saved.find(kBank)->bytes, chunk);
    EXPECT_EQ(saved.find(kBank)->type, world.map(LV2_ATOM__Chunk));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.find(kBank)->bytes.data())),
              "Glide Lead");

    // A fresh instance's own state is its own bank chunk too.
    auto vst = loadVst();
    EXPECT_EQ(lv2test::saveDirect(*instantiate()).find(kBank)->bytes, vst->getChunk(false));
}

TEST_F(Lv2State, ARestoredStateIsNotUndoneByPortsTheHostDidNotChange) {
    const std::vector<std::uint8_t> chunk = vstBank("Restored");
    auto instance = instantiate();
    instance->run(0);  // ports at their defaults reach the effect
    SavedState state;
    state.values.push_back({kBank, {chunk, world.map(LV2_ATOM__Chunk)}});
    const std::int32_t program = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&program);
    state.values.push_back({kProgram, {{bytes, bytes + 4}, world.map(LV2_ATOM__Int)}});
    ASSERT_EQ(lv2test::restoreDirect(*instance, state), LV2_STATE_SUCCESS);
    instance->run(kBlock);
    EXPECT_EQ(lv2test::saveDirect(*instance).find(kBank)->bytes, chunk);

    // A port the host moves is taken.
    instance->setControl(22, -3.0f);
    instance->run(kBlock);
    EXPECT_NE(lv2test::saveDirect(*instance).find(kBank)->bytes, chunk);
}

// A release with one parameter less wrote records one value shorter.
TEST_F(Lv2State, AStateOfAnOlderReleaseRestoresWithDefaultsForTheLaterParameter) {
    auto source = instantiate();
    lv2test::applySettings(*source, lv2test::demoSettings());
    // The last parameter away from its default, to see it come back.
    Murlan effect(nullptr);
    const KAMO::Lv2ControlPorts ports(effect);
    const int last = Murlan::kParameterCount - 1;
    const KAMO::Lv2ControlPort& port = ports.port(last);
    source->setControl(
        ports.portOf(last),
        static_cast<float>(port.defaultValue == port.maximum ? port.minimum : port.maximum));
    source->run(0);
    const std::vector<unsigned char> bank = lv2test::saveDirect(*source).find(kBank)->bytes;
    constexpr int kPrograms = 10;
    const std::size_t length = bank.size() / kPrograms, shorter = length - 8;
    std::vector<unsigned char> older;
    for (int p = 0; p < kPrograms; ++p)
        older.insert(older.end(), bank.begin() + p * length, bank.begin() + p * length + shorter);

    auto instance = instantiate();
    SavedState state;
    state.values.push_back({kBank, {older, world.map(LV2_ATOM__Chunk)}});
    const std::int32_t program = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&program);
    state.values.push_back({kProgram, {{bytes, bytes + 4}, world.map(LV2_ATOM__Int)}});
    ASSERT_EQ(lv2test::restoreDirect(*instance, state), LV2_STATE_SUCCESS);
    const std::vector<unsigned char> restored = lv2test::saveDirect(*instance).find(kBank)->bytes;
    ASSERT_EQ(restored.size(), bank.size());
    const std::vector<unsigned char> fresh = lv2test::saveDirect(*instantiate()).find(kBank)->bytes;
    ASSERT_FALSE(std::equal(bank.begin() + shorter, bank.begin() + length, fresh.begin() + shorter))
        << "the source moves the last parameter from its default";
    for (int p = 0; p < kPrograms; ++p) {
        const auto at = restored.begin() + p * length;
        EXPECT_TRUE(std::equal(at, at + shorter, bank.begin() + p * length)) << p;
        EXPECT_TRUE(std::equal(at + shorter, at + length, fresh.begin() + p * length + shorter))
            << "the last parameter at its default in program " << p;
    }
    // Cut inside a value: refused.
    state.values[0].second.bytes.resize(older.size() - 3);
    EXPECT_NE(lv2test::restoreDirect(*instance, state), LV2_STATE_SUCCESS);
    EXPECT_EQ(lv2test::saveDirect(*instance).find(kBank)->bytes, restored);
}

TEST_F(Lv2State, ShortLongGarbageOrIncompleteStatesAreRefusedAndChangeNothing) {
    auto instance = instantiate();
    lv2test::applySettings(*instance, lv2test::demoSettings());
    instance->run(0);
    const SavedState good = lv2test::saveDirect(*instance);
    const std::vector<unsigned char> bank = good.find(kBank)->bytes;

    auto with = [&](std::vector<unsigned char> bytes, uint32_t type, bool withProgram = true,
                    std::int32_t program = 0) {
        SavedState s;
        s.values.push_back({kBank, {std::move(bytes), type}});
        const auto* p = reinterpret_cast<const unsigned char*>(&program);
        if (withProgram) s.values.push_back({kProgram, {{p, p + 4}, world.map(LV2_ATOM__Int)}});
        return s;
    };
    const uint32_t chunk = world.map(LV2_ATOM__Chunk);
    std::vector<unsigned char> longer = bank;
    longer.push_back(0);
    std::vector<unsigned char> nan = bank;
    const double notANumber = std::nan("");
    std::memcpy(nan.data() + 25, &notANumber, sizeof notANumber);
    ASSERT_GT(bank.size(), 25u + 8u);
    std::vector<unsigned char> tooLarge = bank;
    const double two = 2.0;
    std::memcpy(&tooLarge[tooLarge.size() - 8], &two, sizeof two);
    std::vector<unsigned char> random(bank.size());
    for (std::size_t i = 0; i < random.size(); ++i)
        random[i] = static_cast<unsigned char>(i * 151 + 7);

    const SavedState bad[] = {
        with(std::vector<unsigned char>(bank.begin(), bank.begin() + bank.size() / 2), chunk),
        with(longer, chunk),
        with({}, chunk),
        with(nan, chunk),
        with(tooLarge, chunk),
        with(random, chunk),
        with(bank, world.map(LV2_ATOM__String)),
        with(bank, chunk, false),
        with(bank, chunk, true, 10),
        with(bank, chunk, true, -1),
    };
    int n = 0;
    for (const SavedState& state : bad) {
        EXPECT_NE(lv2test::restoreDirect(*instance, state), LV2_STATE_SUCCESS) << "case " << n;
        EXPECT_EQ(lv2test::saveDirect(*instance).find(kBank)->bytes, bank) << "case " << n;
        ++n;
    }
}

#endif
