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
    for (Relaxed<double>& from : derivedFrom_) from.set(std::nan(""));
    setUniqueID(vstFourCC('v', 'Q', 'x', 'e'));
    canProcessReplacing(true);
    canDoubleReplacing(true);
    isSynth(true);
    // Hosts then keep the whole bank (every program's values and name) and
    // the current program in their sessions, not just the current values.
    programsAreChunks(true);

    createParameters();
    programBank().setupPrograms(kProgramCount);
    loadPresets("MurlanPreset.txt");
    createCommands();

    updateSampleRate();
    setSampleRate(getSampleRate());
}

Murlan::~Murlan() = default;

// Defaults are given in the parameter's own units and stored through its
// mapping, so that every program record holds exactly what the mapping gives.
void Murlan::addWithDefault(KEffectParameter* parameter, double real) {
    parameter->setDefaultReal(real);
    addParameter(parameter);
}

void Murlan::createParameters() {
    reserveParameters(kParameterCount);
    for (int osc = 1; osc <= 3; ++osc) {
        char name[16];
        if (osc > 1) {
            std::snprintf(name, sizeof(name), "Partial%d", osc);
            addWithDefault(new KRangeParam(name, "", 1.0, 6.0, 5, 0), 1.0);
        }
        std::snprintf(name, sizeof(name), "Detune%d", osc);
        addWithDefault(new KRangeParam(name, "cents", -99.0, 99.0, 198, 0), 0.0);
        std::snprintf(name, sizeof(name), "Attk%d", osc);
        addWithDefault(new KRangeParam(name, "s", 0.01, 2.0, 199, 2), 0.01);
        std::snprintf(name, sizeof(name), "Rel%d", osc);
        addWithDefault(new KRangeParam(name, "s", 0.01, 2.0, 199, 2), 0.01);
        std::snprintf(name, sizeof(name), "Porta%d", osc);
        addWithDefault(new KRangeParam(name, "s", 0.0, 1.0, 100, 2), 0.0);
        std::snprintf(name, sizeof(name), "Level%d", osc);
        addWithDefault(new KdBParam(name, "dB", 1.0, 1), 0.0);
    }
    addWithDefault(new KEnumParam("LFOWave", "", kLfoWaves, 6), 0.0);
    addWithDefault(new KRangeParam("LFOFreq", "per bar", 1.0, 32.0, 31, 0), 4.0);
    addWithDefault(new KRangeParam("LFODepth", "%", 0.0, 100.0, 100, 0), 0.0);
    addWithDefault(new KRangeParam("PortaRst", "s", 0.1, 5.0, 49, 1), 2.0);
    addWithDefault(new KRangeParam("PtchBend", "semis", 0.0, 12.0, 120, 1), 2.0);
    addWithDefault(new KdBParam("MainLvl", "dB", 1.0, 1), -12.5);
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

double Murlan::confinedValue(int program, int index) {
    const KEffectParameter* p = parameter(index);
    const void* slot = programBank().valueSlot(program, index);
    return p && slot ? p->getConfinedValue(slot) : 0.0;
}

double Murlan::realOf(int index, double confined) const {
    const KEffectParameter* p = parameter(index);
    return p ? p->toReal(confined) : 0.0;
}

double Murlan::gainOf(int index, double confined) const {
    // The shown value, rounded to 0.1 dB, is what sounds; -inf dB gives 0.
    // Below -600 dB is silence too: such gains would only carry the output
    // into the subnormal range.
    const double gain = std::pow(10.0, realOf(index, confined) / 20.0);
    return gain < 1e-30 ? 0.0 : gain;
}

double Murlan::engineValue(int index) { return realOf(index, confinedValue(getProgram(), index)); }

double Murlan::engineGain(int index) { return gainOf(index, confinedValue(getProgram(), index)); }

void Murlan::parametersChanged(bool afterReset) {
    double value[kParameterCount];
    bool changed[kParameterCount];
    const int program = getProgram();
    for (int i = 0; i < kParameterCount; ++i) {
        value[i] = confinedValue(program, i);
        // A reset re-derives everything: the LFO set-up and a new sample rate
        // change quantities behind the parameters' back.
        changed[i] = afterReset || !(value[i] == derivedFrom_[i].get());
    }
    auto real = [&](int index) { return realOf(index, value[index]); };

    // Each oscillator's parameters follow its detune in the order attack,
    // release, glide, level; oscillators 2 and 3 have their partial before it.
    static const int kDetune[MurlanEngine::kOscillators] = {kDetune1, kDetune2, kDetune3};
    for (int o = 0; o < MurlanEngine::kOscillators; ++o) {
        const int detune = kDetune[o];
        const int partial = o == 0 ? -1 : detune - 1;  // oscillator 1 plays the note itself
        if ((partial >= 0 && changed[partial]) || changed[detune])
            engine_.setOscillatorPitch(o, partial >= 0 ? real(partial) : 1.0, real(detune));
        if (changed[detune + 1]) engine_.setAttackTime(o, real(detune + 1));
        if (changed[detune + 2]) engine_.setReleaseTime(o, real(detune + 2));
        if (changed[detune + 3]) engine_.setGlideTime(o, real(detune + 3));
        if (changed[detune + 4]) engine_.setLevelGain(o, gainOf(detune + 4, value[detune + 4]));
    }
    if (changed[kLfoWave]) engine_.setLfoWave(static_cast<std::int32_t>(std::lround(real(kLfoWave))));
    if (changed[kLfoFreq]) engine_.setLfoRate(real(kLfoFreq));
    if (changed[kLfoDepth]) engine_.setLfoDepth(real(kLfoDepth) / 100.0);
    if (changed[kPitchBend]) engine_.setBendRange(real(kPitchBend));
    if (changed[kPortaReset]) engine_.setPortaResetTime(real(kPortaReset));
    // Any change restarts the wait before glides are disarmed.
    engine_.restartPortaReset();
    if (changed[kMainLevel]) engine_.setMainGain(gainOf(kMainLevel, value[kMainLevel]));

    for (int i = 0; i < kParameterCount; ++i)
        if (changed[i]) derivedFrom_[i].set(value[i]);
    refreshEditor();
}

VstInt32 Murlan::processEvents(VstEvents* events) {
    engine_.clearEvents();
    if (events) {
        VstEvent* const* list = vstEventArray(events);
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            if (engine_.queue().size() >= engine_.queue().capacity()) break;  // the rest is dropped
            engine_.addEvent(list[i]);
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
