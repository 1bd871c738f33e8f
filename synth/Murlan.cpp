#include "synth/Murlan.h"

#include <MurlanVersion.h>

#include <cmath>
#include <cstring>

#include "synth/MurlanParameters.h"
#include "synth/PatchRandomiser.h"

using namespace KAMO;

namespace {

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
    // The factory library the build embeds beside the ten programs.
    useSoundLibrary("presets/");
    createCommands();

    updateSampleRate();
    setSampleRate(getSampleRate());
}

Murlan::~Murlan() = default;

const char* Murlan::plugVersion() const { return MURLAN_VERSION; }
const char* Murlan::plugBuild() const { return MURLAN_VERSION; }
const char* Murlan::docFolder() const { return MURLAN_DOC_DIR; }
VstInt32 Murlan::getVendorVersion() { return MURLAN_VENDOR_VERSION; }

void Murlan::createParameters() {
    // The list's index is the host's index.
    addParameters(kInfo, kParameterCount);
    setOriginalParameterCount(kOriginalParameterCount);
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

double Murlan::engineGain(int index) {
    return gainOfDecibels(realOf(index, confinedValue(getProgram(), index)));
}

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
    double real[kParameterCount];
    for (int i = 0; i < kParameterCount; ++i) real[i] = realOf(i, value[i]);
    applyPatch(engine_, real, changed);

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
