#include "synth/Murlan.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "synth/PatchRandomiser.h"

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
    double r = rate;
    if (!(r >= kMinSampleRate && r <= kMaxSampleRate)) {
        const double previous = engine_.sampleRate();
        r = previous > 0.0 ? previous : 44100.0;
    }
    KEffect::setSampleRate(static_cast<float>(r));
    engine_.setSampleRate(r);
    resetState();
}

void Murlan::resetState() {
    // Releases rather than silences: a sounding note fades out.
    engine_.reset();
    parametersChanged(true);
}

double Murlan::engineValue(int index) {
    const KEffectParameter* p = parameter(index);
    const void* slot = programBank().valueSlot(getProgram(), index);
    if (!p || !slot) return 0.0;
    double normalised = p->getValue(slot);
    if (!(normalised >= 0.0)) {
        normalised = 0.0;  // also NaN
    } else if (normalised > 1.0) {
        normalised = 1.0;
    }
    return p->toReal(normalised);
}

double Murlan::engineGain(int index) {
    // The shown value, rounded to 0.1 dB, is what sounds; -inf dB gives 0.
    return std::pow(10.0, engineValue(index) / 20.0);
}

void Murlan::parametersChanged(bool /*afterReset*/) {
    engine_.setOscillator(0, 1.0, engineValue(kDetune1), engineValue(kAttack1), engineValue(kRelease1),
                          engineValue(kPorta1), engineGain(kLevel1));
    engine_.setOscillator(1, engineValue(kPartial2), engineValue(kDetune2), engineValue(kAttack2),
                          engineValue(kRelease2), engineValue(kPorta2), engineGain(kLevel2));
    engine_.setOscillator(2, engineValue(kPartial3), engineValue(kDetune3), engineValue(kAttack3),
                          engineValue(kRelease3), engineValue(kPorta3), engineGain(kLevel3));
    engine_.setLfoWave(static_cast<std::int32_t>(std::lround(engineValue(kLfoWave))));
    engine_.setLfoRate(engineValue(kLfoFreq));
    engine_.setLfoDepth(engineValue(kLfoDepth) / 100.0);
    engine_.setBendRange(engineValue(kPitchBend));
    engine_.setPortaReset(engineValue(kPortaReset));
    engine_.setMainGain(engineGain(kMainLevel));
    refreshEditor();
}

VstInt32 Murlan::processEvents(VstEvents* events) {
    engine_.clearEvents();
    if (events) {
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            if (engine_.queue().size() >= engine_.queue().capacity()) break;  // the rest is dropped
            engine_.addEvent(events->events[i]);
        }
    }
    return 1;
}

void Murlan::processMidiEvent(const VstMidiEvent& event) {
    MidiRecord record;
    std::memcpy(&record, &event, sizeof record);
    engine_.handleMidi(record);
}

void Murlan::processDouble(double** /*inputs*/, int /*inputCount*/, double** outputs, int outputCount,
                           int frames) {
    const VstTimeInfo* time = getTimeInfo(kVstPpqPosValid | kVstTempoValid);
    if (time && (time->flags & (kVstPpqPosValid | kVstTempoValid)) == (kVstPpqPosValid | kVstTempoValid))
        engine_.syncTime(time->ppqPos, time->tempo, (time->flags & kVstTransportPlaying) != 0);
    if (frames <= 0 || !outputs || outputCount < 1 || !outputs[0]) return;
    engine_.render(outputs[0], frames);
}

void Murlan::executeCommand(int id, bool shift, bool /*ctrl*/) {
    PatchRandomiser patch(*this);
    switch (id) {
    case kAutoLevel:
        patch.autoLevel();
        break;
    case kRandom:
        if (shift) {
            patch.partRandom();
        } else {
            patch.fullRandom();
        }
        break;
    case kFullRandom:
        patch.fullRandom();
        break;
    case kPartRandom:
        patch.partRandom();
        break;
    default:
        break;
    }
}
