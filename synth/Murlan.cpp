#include "synth/Murlan.h"

#include <cstdio>
#include <cstring>

using namespace KAMO;

namespace {

const char* const kLfoWaves[] = {"Sine", "Triangle", "Square", "Rising", "Falling", "Random"};

// What this instrument answers to the host's capability texts; anything not
// listed here is left to the framework.
struct CanDoAnswer {
    const char* text;
    VstInt32 answer;
};
constexpr CanDoAnswer kCanDo[] = {
    {"receiveVstEvents", 1},     {"receiveVstMidiEvent", 1}, {"sendVstEvents", -1},
    {"sendVstMidiEvent", -1},    {"sendVstTimeInfo", -1},    {"receiveVstTimeInfo", -1},
    {"offline", -1},             {"plugAsChannelInsert", -1}, {"plugAsSend", -1},
    {"mixDryWet", -1},           {"noRealTime", 0},          {"multipass", 0},
    {"metapass", 0},             {"1in1out", -1},            {"1in2out", -1},
    {"2in1out", -1},             {"2in2out", -1},            {"2in4out", -1},
    {"4in2out", -1},             {"4in4out", -1},            {"4in8out", -1},
    {"8in4out", -1},             {"8in8out", -1},            {"midiProgramNames", -1},
    {"conformsToWindowRules", 0}, {"bypass", -1},
};

} // namespace

Murlan::Murlan(audioMasterCallback host)
    : KEffect(host, kProgramCount, kParameterCount, kInputCount, kOutputCount) {
    setUniqueID(vstFourCC('v', 'Q', 'x', 'e'));
    canProcessReplacing(true);
    canDoubleReplacing(true);
    isSynth(true);

    createParameters();
    programBank().setupPrograms(kProgramCount);
    loadPresets("MurlanPreset.txt");
    createCommands();

    updateSampleRate();
    setSampleRate(getSampleRate());
}

Murlan::~Murlan() = default;

void Murlan::createParameters() {
    reserveParameters(kParameterCount);
    for (int osc = 1; osc <= 3; ++osc) {
        char name[16];
        if (osc > 1) {
            std::snprintf(name, sizeof(name), "Partial%d", osc);
            addParameter(new KRangeParam(name, "", 1.0, 6.0, 5, 0, 0.0));
        }
        std::snprintf(name, sizeof(name), "Detune%d", osc);
        addParameter(new KRangeParam(name, "cents", -99.0, 99.0, 198, 0, 0.5));
        std::snprintf(name, sizeof(name), "Attk%d", osc);
        addParameter(new KRangeParam(name, "s", 0.01, 2.0, 199, 2, 0.0));
        std::snprintf(name, sizeof(name), "Rel%d", osc);
        addParameter(new KRangeParam(name, "s", 0.01, 2.0, 199, 2, 0.0));
        std::snprintf(name, sizeof(name), "Porta%d", osc);
        addParameter(new KRangeParam(name, "s", 0.0, 1.0, 100, 2, 0.0));
        std::snprintf(name, sizeof(name), "Level%d", osc);
        addParameter(new KdBParam(name, "dB", 1.0, 1, 1.0));
    }
    addParameter(new KEnumParam("LFOWave", "", kLfoWaves, 6, 0.0));
    addParameter(new KRangeParam("LFOFreq", "per bar", 1.0, 32.0, 31, 0, 3.0 / 31.0));
    addParameter(new KRangeParam("LFODepth", "%", 0.0, 100.0, 100, 0, 0.0));
    addParameter(new KRangeParam("PortaRst", "s", 0.1, 5.0, 49, 1, 19.0 / 49.0));
    addParameter(new KRangeParam("PtchBend", "semis", 0.0, 12.0, 120, 1, 20.0 / 120.0));
    addParameter(new KdBParam("MainLvl", "dB", 1.0, 1, 0.23713737056616552));
}

void Murlan::createCommands() {
    reserveCommands(kCommandCount);
    commands().add(new KEffectCommand("AutoLevel", kAutoLevel));
    commands().add(new KEffectCommand("Random", kRandom));
    commands().add(new KEffectCommand("FullRnd", kFullRandom));
    commands().add(new KEffectCommand("PartRnd", kPartRandom));
}

VstInt32 Murlan::canDo(char* text) {
    if (!text) return 0;
    for (const CanDoAnswer& entry : kCanDo)
        if (std::strcmp(text, entry.text) == 0) return entry.answer;
    return KEffect::canDo(text);
}

bool Murlan::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index != 0 || !properties) return false;
    vstCopyText(properties->label, "Murlan", sizeof(properties->label));
    properties->flags = kVstPinIsActive;
    return true;
}

bool Murlan::acceptsIoConfig(int inputs, int outputs) const {
    return inputs == kInputCount && outputs == kOutputCount;
}

void Murlan::setSampleRate(float rate) {
    KEffect::setSampleRate(rate);
    parametersChanged(false);
}

void Murlan::resetState() {}

void Murlan::parametersChanged(bool /*afterReset*/) { refreshEditor(); }

VstInt32 Murlan::processEvents(VstEvents* /*events*/) { return 1; }

void Murlan::processDouble(double** /*inputs*/, int /*inputCount*/, double** outputs,
                           int outputCount, int frames) {
    for (int c = 0; outputs && c < outputCount; ++c)
        if (outputs[c])
            for (int i = 0; i < frames; ++i) outputs[c][i] = 0.0;
}

void Murlan::executeCommand(int /*id*/, bool /*shift*/, bool /*ctrl*/) {}
