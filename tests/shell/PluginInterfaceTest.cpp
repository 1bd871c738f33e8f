// The built plug-in as a host sees it: loaded from disk through the host
// library and driven only through its record and dispatcher.

#include "synth/MurlanParameters.h"
#include "tools/plughost/PluginHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#ifdef MURLAN_PLUGIN

namespace {

constexpr int kParameters = MurlanParameters::kParameterCount;

class PluginInterface : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        plugin = host.load(MURLAN_PLUGIN, &error);
        ASSERT_TRUE(plugin) << error;
    }

    // A dispatcher text answer, read from a buffer filled with 'z' so that a
    // missing terminator shows as length.
    std::string text(VstInt32 opcode, VstInt32 index = 0) {
        char buffer[256];
        std::memset(buffer, 'z', sizeof(buffer) - 1);
        buffer[sizeof(buffer) - 1] = 0;
        plugin->dispatch(opcode, index, 0, buffer);
        return buffer;
    }

    plughost::PluginHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
};

}  // namespace

TEST_F(PluginInterface, RecordAndIdentityAnswers) {
    AEffect* e = plugin->effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 10);
    EXPECT_EQ(e->numParams, kParameters);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 1);
    EXPECT_EQ(e->flags & ~effFlagsHasEditor, 0x1130);
    EXPECT_EQ(e->uniqueID, vstFourCC('v', 'Q', 'x', 'e'));
    EXPECT_EQ(e->version, 3100);

    EXPECT_EQ(plugin->category(), 1);
    EXPECT_EQ(plugin->vstVersion(), 2400);
    EXPECT_EQ(plugin->vendorVersion(), 3100);
    EXPECT_EQ(plugin->dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(plugin->dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(plugin->dispatch(effSetTotalSampleToProcess, 0, 512), 512);
    EXPECT_EQ(plugin->dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(text(effGetEffectName), "Murlan");
    EXPECT_EQ(text(effGetVendorString), "KAMO");
    EXPECT_EQ(text(effGetProductString), "Murlan");
}

TEST_F(PluginInterface, NewInstanceShowsTheDefaultProgram) {
    const char* expected[23] = {"0",    "0.01", "0.01", "0.00", "0.0", "1",    "0",    "0.01",
                                "0.01", "0.00", "0.0",  "1",    "0",   "0.01", "0.01", "0.00",
                                "0.0",  "Sine", "4",    "0",    "2.0", "2.0",  "-12.5"};
    for (int i = 0; i < 23; ++i) EXPECT_EQ(text(effGetParamDisplay, i), expected[i]) << i;
    for (int i = 0; i < kParameters; ++i) {
        const KAMO::KParameterInfo& info = MurlanParameters::kInfo[i];
        EXPECT_EQ(text(effGetParamName, i), info.name) << i;
        EXPECT_EQ(text(effGetParamLabel, i), info.label) << i;
    }
    EXPECT_EQ(text(effGetParamLabel, 18), "per bar");
    for (int p = 0; p < 10; ++p) EXPECT_EQ(text(effGetProgramNameIndexed, p), "Defaults");

    // Defaults are stored exactly as each parameter maps its real default.
    // The record: a 24-byte name, a zero, a double per parameter (209 bytes
    // for the 23 of the first release).
    const std::vector<std::uint8_t> record = plugin->getChunk(true);
    ASSERT_EQ(record.size(), 25u + 8u * kParameters);
    auto stored = [&](int index) {
        double v;
        std::memcpy(&v, record.data() + 25 + 8 * index, sizeof v);
        return v;
    };
    EXPECT_EQ(stored(18), 3.0 / 31.0);
    EXPECT_EQ(stored(20), 0.38775510204081626);  // 1.9 / 4.9, not 19 / 49
    EXPECT_EQ(stored(21), 2.0 / 12.0);
    EXPECT_EQ(stored(22), 0.23713737056616552);

    void* data = nullptr;
    EXPECT_EQ(plugin->dispatch(effGetChunk, 1, 0, &data), 25 + 8 * kParameters);
    EXPECT_EQ(plugin->dispatch(effGetChunk, 0, 0, &data), 10 * (25 + 8 * kParameters));
    // A record cut inside a value matches no parameter count.
    std::vector<unsigned char> shortChunk(208, 0);
    EXPECT_EQ(plugin->dispatch(effSetChunk, 1, 208, shortChunk.data()), 0);
}

TEST_F(PluginInterface, ParameterNamesAndLabelsReachTheHostWhole) {
    const char* names[23] = {"Detune1", "Attk1",    "Rel1",     "Porta1",   "Level1", "Partial2",
                             "Detune2", "Attk2",    "Rel2",     "Porta2",   "Level2", "Partial3",
                             "Detune3", "Attk3",    "Rel3",     "Porta3",   "Level3", "LFOWave",
                             "LFOFreq", "LFODepth", "PortaRst", "PtchBend", "MainLvl"};
    for (int i = 0; i < 23; ++i) EXPECT_EQ(text(effGetParamName, i), names[i]) << i;
    EXPECT_EQ(text(effGetParamLabel, 0), "cents");
    EXPECT_EQ(text(effGetParamLabel, 5), "");
    EXPECT_EQ(text(effGetParamLabel, 18), "per bar");
    EXPECT_EQ(text(effGetParamLabel, 21), "semis");
}

TEST_F(PluginInterface, ProgramNamesOfTwentyFourCharactersRoundTrip) {
    const std::string name = "Twenty-four characters!!";
    ASSERT_EQ(name.size(), 24u);
    plugin->setProgram(2);
    plugin->setProgramName(name);
    EXPECT_EQ(text(effGetProgramName), name);
    EXPECT_EQ(text(effGetProgramNameIndexed, 2), name);
    // A host that reads the name and stores it back keeps it whole.
    plugin->setProgramName(text(effGetProgramName));
    EXPECT_EQ(plugin->programName(), name);

    auto bankCopy = host.load(MURLAN_PLUGIN);
    ASSERT_TRUE(bankCopy);
    bankCopy->setChunk(plugin->getChunk(false), false);
    EXPECT_EQ(bankCopy->programNameIndexed(2), name);
    auto programCopy = host.load(MURLAN_PLUGIN);
    ASSERT_TRUE(programCopy);
    programCopy->setProgram(2);
    programCopy->setChunk(plugin->getChunk(true), true);
    EXPECT_EQ(programCopy->programName(), name);
}

// What a host keeps in a session when the record announces program chunks
// (the bank chunk and the current program), restored into a new instance.
TEST_F(PluginInterface, ASavedSessionRestoresEveryProgramItsNameAndTheCurrentProgram) {
    ASSERT_NE(plugin->flags() & effFlagsProgramChunks, 0);
    std::vector<std::vector<float>> values(10);
    for (int p = 0; p < 10; ++p) {
        plugin->setProgram(p);
        plugin->setProgramName("Session program " + std::to_string(p));
        for (int i = 0; i < kParameters; ++i)
            plugin->setParameter(i, static_cast<float>((p * 23 + i) % 97) / 96.0f);
        for (int i = 0; i < kParameters; ++i) values[p].push_back(plugin->getParameter(i));
    }
    plugin->setProgram(3);
    const std::vector<std::uint8_t> bank = plugin->getChunk(false);
    const VstInt32 current = plugin->getProgram();

    auto restored = host.load(MURLAN_PLUGIN);
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->setChunk(bank, false), VstInt32(bank.size()));
    restored->setProgram(current);
    EXPECT_EQ(restored->getProgram(), 3);
    for (int i = 0; i < kParameters; ++i) EXPECT_EQ(restored->getParameter(i), values[3][i]) << i;
    for (int p = 0; p < 10; ++p) {
        EXPECT_EQ(restored->programNameIndexed(p), "Session program " + std::to_string(p));
        restored->setProgram(p);
        for (int i = 0; i < kParameters; ++i)
            EXPECT_EQ(restored->getParameter(i), values[p][i]) << p << ", " << i;
    }
}

// Sessions saved before the record announced chunks hold the current
// program and its parameter values; they still load.
TEST_F(PluginInterface, ASessionOfParameterValuesStillLoads) {
    auto restored = host.load(MURLAN_PLUGIN);
    ASSERT_TRUE(restored);
    restored->setProgram(3);
    restored->setProgramName("Old session");
    for (int i = 0; i < kParameters; ++i) restored->setParameter(i, 0.25f);
    EXPECT_EQ(restored->getProgram(), 3);
    EXPECT_EQ(restored->programName(), "Old session");
    for (int i = 0; i < kParameters; ++i) EXPECT_EQ(restored->getParameter(i), 0.25f) << i;
    EXPECT_EQ(restored->paramDisplay(22), "-12.0");
}

TEST_F(PluginInterface, HostTextsStayInTheirFieldsAndOutOfRangeIndicesChangeNothing) {
    for (int i = 0; i < kParameters; ++i) {
        EXPECT_LE(text(effGetParamName, i).size(), 8u) << i;
        EXPECT_LE(text(effGetParamLabel, i).size(), 8u) << i;
        EXPECT_LE(text(effGetParamDisplay, i).size(), 31u) << i;
    }
    char name[] = "A program name far longer than the field";
    plugin->dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(text(effGetProgramName), "A program name far longe");

    plugin->setProgram(3);
    plugin->dispatch(effSetProgram, 0, 10);
    EXPECT_EQ(plugin->getProgram(), 3);
    // Pointer-sized values that a cut to 32 bits would turn into 1 or 0.
    for (VstIntPtr value :
         {VstIntPtr(-4294967295LL), VstIntPtr(4294967297LL), VstIntPtr(1) << 40}) {
        plugin->dispatch(effSetProgram, 0, value);
        EXPECT_EQ(plugin->getProgram(), 3) << value;
    }

    for (VstInt32 index : {-1, kParameters}) {
        for (VstInt32 opcode : {effGetParamLabel, effGetParamDisplay, effGetParamName})
            EXPECT_EQ(text(opcode, index), std::string(255, 'z')) << opcode;
        char value[] = "5";
        EXPECT_EQ(plugin->dispatch(effString2Parameter, index, 0, value), 0);
        plugin->setParameter(index, 0.5f);
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
    }
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 10, 0, nullptr), 0);
    EXPECT_EQ(text(effGetProgramNameIndexed, 10), std::string(255, 'z'));
}

TEST_F(PluginInterface, CapabilitiesAndPinsAnswerExactly) {
    EXPECT_EQ(plugin->canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(plugin->canDo("ReceiveVstMidiEvent"), 0);
    EXPECT_EQ(plugin->canDo("bypass"), -1);
    EXPECT_EQ(plugin->canDo("noRealTime"), 0);
    EXPECT_EQ(plugin->canDo("1in1out"), -1);

    VstPinProperties pin;
    std::memset(&pin, 0x5a, sizeof(pin));
    EXPECT_EQ(plugin->dispatch(effGetOutputProperties, 1, 0, &pin), 0);
    EXPECT_EQ(pin.flags, 0x5a5a5a5a);
    EXPECT_EQ(plugin->dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Murlan");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
}

TEST_F(PluginInterface, OnlyNoInputsAndOneOutputAreAccepted) {
    VstSpeakerArrangement input{}, output{};
    output.numChannels = 2;
    EXPECT_EQ(
        plugin->dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output),
        0);
    VstSpeakerArrangement* storedIn = nullptr;
    VstSpeakerArrangement* storedOut = nullptr;
    EXPECT_EQ(plugin->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&storedIn),
                               &storedOut),
              1);
    ASSERT_NE(storedOut, nullptr);
    EXPECT_EQ(storedOut->numChannels, 1);

    output.numChannels = 1;
    EXPECT_EQ(
        plugin->dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output),
        1);
    EXPECT_EQ(plugin->dispatch(effSetSpeakerArrangement, 0, 0, &output), 0);
}

TEST(MurlanEntry, AHostThatAnswersNoVersionGetsNoEffect) {
    plughost::PluginHost host;
    host.setVersionAnswer(0);
    std::string error;
    EXPECT_FALSE(host.load(MURLAN_PLUGIN, &error));
    EXPECT_EQ(host.callCount(audioMasterVersion), 1);
    // Building the instrument would have asked for the sample rate.
    EXPECT_EQ(host.callCount(audioMasterGetSampleRate), 0);
}

TEST(MurlanEntry, OnlyTheEntryPointIsExported) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizer runtimes export instrumented library code";
#endif
    std::string command = std::string("nm -D --defined-only '") + MURLAN_PLUGIN + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof(line), pipe)) {
        char address[64], kind[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) symbols.insert(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    for (const char* linkerSymbol : {"_init", "_fini", "__bss_start", "_edata", "_end"})
        symbols.erase(linkerSymbol);
    EXPECT_EQ(symbols, (std::set<std::string>{"VSTPluginMain", "main"}));
}

#endif  // MURLAN_PLUGIN
