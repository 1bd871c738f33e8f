#include "synth/Murlan.h"

#include <cmath>
#include <cstring>
#include <string>

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
    {"receiveVstEvents", 1},
    {"receiveVstMidiEvent", 1},
    {"sendVstEvents", -1},
    {"sendVstMidiEvent", -1},
    {"sendVstTimeInfo", -1},
    {"receiveVstTimeInfo", -1},
    {"offline", -1},
    {"plugAsChannelInsert", -1},
    {"plugAsSend", -1},
    {"mixDryWet", -1},
    {"noRealTime", 0},
    {"multipass", 0},
    {"metapass", 0},
    {"1in1out", -1},
    {"1in2out", -1},
    {"2in1out", -1},
    {"2in2out", -1},
    {"2in4out", -1},
    {"4in2out", -1},
    {"4in4out", -1},
    {"4in8out", -1},
    {"8in4out", -1},
    {"8in8out", -1},
    {"midiProgramNames", -1},
    {"conformsToWindowRules", 0},
    {"bypass", -1},
};

}  // namespace

const Murlan::OscillatorParameters Murlan::kOscillatorParameters[MurlanEngine::kOscillators] = {
    {kNoPartial, kDetune1, kAttack1, kRelease1, kPorta1, kLevel1},
    {kPartial2, kDetune2, kAttack2, kRelease2, kPorta2, kLevel2},
    {kPartial3, kDetune3, kAttack3, kRelease3, kPorta3, kLevel3},
};

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

namespace {

// Defaults are given in the parameter's own units and stored through its
// mapping, so that every program record holds exactly what the mapping gives.
KEffectParameter* range(const std::string& name, const char* label, double minimum, double maximum,
                        int steps, int decimals, double byDefault) {
    auto* parameter = new KRangeParam(name.c_str(), label, minimum, maximum, steps, decimals);
    parameter->setDefaultReal(byDefault);
    return parameter;
}

// A level in dB with one decimal; 0 dB stands for the gain 1.
KEffectParameter* level(const std::string& name, double byDefault) {
    auto* parameter = new KdBParam(name.c_str(), "dB", 1.0, 1);
    parameter->setDefaultReal(byDefault);
    return parameter;
}

// "Detune" and 2 give "Detune2".
std::string numbered(const char* stem, int number) { return stem + std::to_string(number); }

}  // namespace

void Murlan::createParameters() {
    KEffectParameter* made[kParameterCount] = {};
    for (int o = 0; o < MurlanEngine::kOscillators; ++o) {
        const OscillatorParameters& p = kOscillatorParameters[o];
        const int n = o + 1;
        if (p.partial != kNoPartial)
            made[p.partial] = range(numbered("Partial", n), "", 1, 6, 5, 0, 1);
        made[p.detune] = range(numbered("Detune", n), "cents", -99, 99, 198, 0, 0);
        made[p.attack] = range(numbered("Attk", n), "s", 0.01, 2, 199, 2, 0.01);
        made[p.release] = range(numbered("Rel", n), "s", 0.01, 2, 199, 2, 0.01);
        made[p.porta] = range(numbered("Porta", n), "s", 0, 1, 100, 2, 0);
        made[p.level] = level(numbered("Level", n), 0);
    }
    auto* wave = new KEnumParam("LFOWave", "", kLfoWaves, 6);
    wave->setDefaultReal(0);
    made[kLfoWave] = wave;
    made[kLfoFreq] = range("LFOFreq", "per bar", 1, 32, 31, 0, 4);
    made[kLfoDepth] = range("LFODepth", "%", 0, 100, 100, 0, 0);
    made[kPortaReset] = range("PortaRst", "s", 0.1, 5, 49, 1, 2);
    made[kPitchBend] = range("PtchBend", "semis", 0, 12, 120, 1, 2);
    made[kMainLevel] = level("MainLvl", -12.5);

    // The list's index is the host's index.
    reserveParameters(kParameterCount);
    for (KEffectParameter* parameter : made) addParameter(parameter);
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

bool Murlan::playsSampleRate(double rate) const {
    return rate >= kMinSampleRate && rate <= kMaxSampleRate;  // NaN too
}

void Murlan::setSampleRate(float rate) {
    double r = rate;
    if (!playsSampleRate(r)) {
        const double previous = engine_.sampleRate();
        r = previous > 0.0 ? previous : kDefaultSampleRate;
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

    for (int o = 0; o < MurlanEngine::kOscillators; ++o) {
        const OscillatorParameters& p = kOscillatorParameters[o];
        const bool hasPartial = p.partial != kNoPartial;
        if ((hasPartial && changed[p.partial]) || changed[p.detune])
            engine_.setOscillatorPitch(o, hasPartial ? real(p.partial) : 1.0, real(p.detune));
        if (changed[p.attack]) engine_.setAttackTime(o, real(p.attack));
        if (changed[p.release]) engine_.setReleaseTime(o, real(p.release));
        if (changed[p.porta]) engine_.setGlideTime(o, real(p.porta));
        if (changed[p.level]) engine_.setLevelGain(o, gainOf(p.level, value[p.level]));
    }
    if (changed[kLfoWave])
        engine_.setLfoWave(static_cast<std::int32_t>(std::lround(real(kLfoWave))));
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

void Murlan::syncHostTime() {
    const VstTimeInfo* time = getTimeInfo(kVstPpqPosValid | kVstTempoValid);
    if (time &&
        (time->flags & (kVstPpqPosValid | kVstTempoValid)) == (kVstPpqPosValid | kVstTempoValid))
        engine_.syncTime(time->ppqPos, time->tempo, (time->flags & kVstTransportPlaying) != 0);
}

void Murlan::processDouble(double** /*inputs*/, int /*inputCount*/, double** outputs,
                           int outputCount, int frames) {
    syncHostTime();
    if (frames <= 0 || !outputs || outputCount < 1 || !outputs[0]) return;
    engine_.render(outputs[0], frames);
}

void Murlan::processFloat(float** /*inputs*/, int /*inputCount*/, float** outputs, int outputCount,
                          int frames) {
    if (frames <= 0) return;
    syncHostTime();
    if (!outputs || outputCount < 1 || !outputs[0]) return;
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
