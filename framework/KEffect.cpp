#include "framework/KEffect.h"

#include "framework/KPresetLibrary.h"
#include "framework/NumberText.h"
#include "shell/AEffEditor.h"
#include "xp/InputReader.h"
#include "xp/ResourceReader.h"
#include "xp/ResourceTable.h"
#include "xp/TokenReader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <strings.h>

namespace KAMO {

namespace {

// Copies an identity text for the host; false when there is none to give.
bool answerName(char* out, const char* name, int size) {
    if (!out || !name) return false;
    vstCopyText(out, name, size);
    return true;
}

// The texts a host probes for channel configurations: N inputs, M outputs.
struct IoText {
    const char* text;
    int inputs;
    int outputs;
};
constexpr IoText kIoTexts[] = {
    {"1in1out", 1, 1}, {"1in2out", 1, 2}, {"2in1out", 2, 1}, {"2in2out", 2, 2}, {"2in4out", 2, 4},
    {"4in2out", 4, 2}, {"4in4out", 4, 4}, {"4in8out", 4, 8}, {"8in4out", 8, 4}, {"8in8out", 8, 8},
};

constexpr char kEllipsis[] = "...";
constexpr int kVariableNameLength = 63;
constexpr int kVariableValueSize = 128;

void copyOptional(char* out, int size, const char* text) {
    vstCopyText(out, text ? text : "", size);
}

}  // namespace

KEffect::KEffect(audioMasterCallback host, int programCount, int parameterCount, int inputCount,
                 int outputCount)
    : AudioEffectX(host, programCount, parameterCount), mBank(mParameters) {
    setNumInputs(inputCount);
    setNumOutputs(outputCount);
    if (!allocateArrangement(&mInputArrangement, inputCount) ||
        !allocateArrangement(&mOutputArrangement, outputCount)) {
        deallocateArrangement(&mInputArrangement);
        throw std::bad_alloc();
    }
    updateChannelCounts();
}

KEffect::~KEffect() {
    // The editor may still reach into the effect while it shuts down.
    releaseEditor();
    deallocateArrangement(&mInputArrangement);
    deallocateArrangement(&mOutputArrangement);
}

void KEffect::updateChannelCounts() {
    mInputChannels.store(mInputArrangement ? mInputArrangement->numChannels : 0,
                         std::memory_order_relaxed);
    mOutputChannels.store(mOutputArrangement ? mOutputArrangement->numChannels : 0,
                          std::memory_order_relaxed);
}

// --- Life cycle -------------------------------------------------------------------

void KEffect::suspend() { resetState(); }

void KEffect::resume() {
    resetState();
    // A synth has to ask for MIDI each time processing starts.
    callHost(audioMasterWantMidi, 0, 1);
}

void KEffect::setSampleRate(float rate) { AudioEffectX::setSampleRate(rate); }

bool KEffect::playsSampleRate(double rate) const {
    return rate > 0.0 && rate <= std::numeric_limits<float>::max();  // NaN too
}

AEffect* KEffect::getAeffect() {
    cEffect.version = getVendorVersion();
    return &cEffect;
}

// --- Parameters ----------------------------------------------------------------------

const KEffectParameter* KEffect::parameter(int index) const {
    if (index < 0 || index >= mParameters.count()) return nullptr;
    return mParameters.get(index);
}

const KParameterInfo* KEffect::parameterInfo(int index) const {
    if (index < 0 || index >= static_cast<int>(mInfo.size())) return nullptr;
    return mInfo[static_cast<std::size_t>(index)];
}

int KEffect::originalParameterCount() const {
    const int count = parameterCount();
    return mOriginalParameterCount >= 0 && mOriginalParameterCount < count ? mOriginalParameterCount
                                                                           : count;
}

int KEffect::findParameter(const char* name) const {
    if (!name) return -1;
    for (int i = 0; i < mParameters.count(); ++i) {
        const KEffectParameter* p = mParameters.get(i);
        if (p && strcasecmp(p->name(), name) == 0) return i;
    }
    return -1;
}

bool KEffect::editParameter(int index, const ParameterEdit& edit) {
    const KEffectParameter* p = parameter(index);
    const int program = getProgram();
    void* slot = mBank.valueSlot(program, index);
    if (!p || !slot) return false;
    switch (edit.kind) {
    case ParameterEdit::Normalised:
        p->setValue(slot, edit.value);
        break;
    case ParameterEdit::Real:
        p->setRealValue(slot, edit.value);
        break;
    case ParameterEdit::Text:
        if (!edit.text || !p->canConvertText()) return false;
        p->setFromText(slot, edit.text);
        break;
    }
    mBank.refreshTexts(program, index);
    parameterChanged(index);
    parametersChanged(false);
    return true;
}

void KEffect::setParameter(VstInt32 index, float value) {
    editParameter(index, ParameterEdit::normalised(static_cast<double>(value)));
}

float KEffect::getParameter(VstInt32 index) {
    const KEffectParameter* p = parameter(index);
    const void* slot = mBank.valueSlot(getProgram(), index);
    if (!p || !slot) return 0.0f;
    return static_cast<float>(p->getValue(slot));
}

void KEffect::setParameterReal(int index, double real) {
    editParameter(index, ParameterEdit::real(real));
}

bool KEffect::string2parameter(VstInt32 index, char* text) {
    return editParameter(index, ParameterEdit::parsed(text));
}

void KEffect::setParameterAutomated(VstInt32 index, float value) {
    if (editParameter(index, ParameterEdit::normalised(static_cast<double>(value))))
        reportParameter(index);
}

void KEffect::beginParameterEdit(int index) {
    if (parameter(index)) tellHost(KHostNotices::Begin, index, getParameter(index));
}

void KEffect::performParameterEdit(int index, double normalised) {
    if (editParameter(index, ParameterEdit::normalised(normalised))) reportParameter(index);
}

void KEffect::endParameterEdit(int index) {
    if (parameter(index)) tellHost(KHostNotices::End, index, getParameter(index));
}

void KEffect::reportParameter(int index) {
    if (parameter(index)) tellHost(KHostNotices::Value, index, getParameter(index));
}

void KEffect::executeEditorCommand(int id, bool shift, bool ctrl) {
    const int count = parameterCount();
    // Without room (the editor never opened) every value is reported.
    const bool compare = mCommandValues && mCommandValueCount == count;
    for (int i = 0; compare && i < count; ++i) mCommandValues[i] = getParameter(i);
    executeCommand(id, shift, ctrl);
    for (int i = 0; i < count; ++i) {
        const float now = getParameter(i);
        if (!compare || std::memcmp(&now, &mCommandValues[i], sizeof now) != 0)
            tellHost(KHostNotices::Value, i, now);
    }
}

const KPresetLibrary& KEffect::soundLibrary() const {
    std::call_once(mLibraryRead, [this] {
        mLibrary.reset(new KPresetLibrary);
        if (!mLibraryPrefix) return;
        const std::size_t length = std::strlen(mLibraryPrefix);
        std::vector<const XP::ResourceEntry*> files;
        for (int i = 0; i < XP::resourceCount(); ++i) {
            const XP::ResourceEntry* entry = XP::resourceAt(i);
            if (std::strncmp(entry->name, mLibraryPrefix, length) == 0) files.push_back(entry);
        }
        std::sort(files.begin(), files.end(),
                  [](const XP::ResourceEntry* a, const XP::ResourceEntry* b) {
                      return std::strcmp(a->name, b->name) < 0;
                  });
        for (const XP::ResourceEntry* file : files) {
            const std::string text(reinterpret_cast<const char*>(file->data),
                                   static_cast<std::size_t>(file->size));
            mLibrary->readText(*this, text, file->name, nullptr);
        }
    });
    return *mLibrary;
}

bool KEffect::loadLibrarySound(int sound) {
    const std::vector<KLibrarySound>& sounds = soundLibrary().sounds();
    if (sound < 0 || sound >= static_cast<int>(sounds.size())) return false;
    const std::vector<unsigned char>& record = sounds[static_cast<std::size_t>(sound)].record;
    const int count = parameterCount();
    if (static_cast<int>(record.size()) != mBank.recordLengthFor(count)) return false;
    // Without room (the editor never opened) every value counts as changed.
    const bool compare = mCommandValues && mCommandValueCount == count;
    for (int i = 0; compare && i < count; ++i) mCommandValues[i] = getParameter(i);
    const int program = getProgram();
    mBank.readImage(program, record.data(), count);
    for (int i = 0; i < count; ++i) mBank.refreshTexts(program, i);
    parametersChanged(false);
    for (int i = 0; i < count; ++i) {
        const float now = getParameter(i);
        if (compare && std::memcmp(&now, &mCommandValues[i], sizeof now) == 0) continue;
        tellHost(KHostNotices::Begin, i, compare ? mCommandValues[i] : now);
        tellHost(KHostNotices::Value, i, now);
        tellHost(KHostNotices::End, i, now);
    }
    mDisplayChanged.store(true, std::memory_order_relaxed);
    if (mIdleThread.load(std::memory_order_relaxed) == std::this_thread::get_id() ||
        mIdleThread.load(std::memory_order_relaxed) == std::thread::id())
        deliverEditorNotices();
    return true;
}

int KEffect::currentLibrarySound() const {
    const std::vector<KLibrarySound>& sounds = soundLibrary().sounds();
    const char* name = mBank.programName(curProgram.load(std::memory_order_relaxed));
    for (std::size_t s = 0; s < sounds.size(); ++s)
        if (strcasecmp(sounds[s].name.c_str(), name) == 0) return static_cast<int>(s);
    return -1;
}

void KEffect::tellHost(KHostNotices::Kind kind, int index, float value) {
    const std::thread::id idle = mIdleThread.load(std::memory_order_relaxed);
    if (idle != std::thread::id() && idle != std::this_thread::get_id()) {
        mNotices.push(kind, index, value);
        return;
    }
    const KHostNotices::Notice notice{kind, index, value, false};
    if (idle == std::thread::id()) {
        callHostWith(notice, false);
        return;
    }
    // On the host's own thread: what is queued goes first, so the host
    // hears everything in order.
    deliverEditorNotices();
    deliver(notice);
}

void KEffect::callHostWith(const KHostNotices::Notice& notice, bool resend) {
    if (notice.kind == KHostNotices::Begin) beginEdit(notice.index);
    if (notice.kind != KHostNotices::End || resend)
        callHost(audioMasterAutomate, notice.index, 0, nullptr, notice.value);
    if (notice.kind == KHostNotices::End) endEdit(notice.index);
}

void KEffect::deliver(const KHostNotices::Notice& notice) {
    const bool resend = notice.kind == KHostNotices::End && notice.resend &&
                        (mToldIndex != notice.index || mToldValue != notice.value);
    callHostWith(notice, resend);
    if (notice.kind != KHostNotices::End || resend) {
        mToldIndex = notice.index;
        mToldValue = notice.value;
    }
}

void KEffect::editorIdle() {
    mIdleThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    deliverEditorNotices();
}

void KEffect::deliverEditorNotices() {
    mNotices.drain([this](const KHostNotices::Notice& notice) { deliver(notice); });
    // Values the queue had no room for: the host hears the one each
    // parameter holds now, so that it ends up with the effect's value however
    // many were lost on the way.
    mNotices.takeStale([this](int index) {
        const int first = index < 0 ? 0 : index;
        const int last = index < 0 ? parameterCount() : index + 1;
        for (int i = first; i < last; ++i)
            if (parameter(i)) deliver({KHostNotices::Value, i, getParameter(i), false});
    });
    if (mDisplayChanged.exchange(false, std::memory_order_relaxed)) updateDisplay();
}

void KEffect::getParameterDisplay(VstInt32 index, char* text) {
    if (!text || !parameter(index)) return;
    char cached[ProgramBank::kTextSize];
    mBank.copyTexts(getProgram(), index, cached, nullptr);
    std::size_t length = std::strlen(cached);
    if (length < static_cast<std::size_t>(kDisplayLength)) {
        std::memcpy(text, cached, length + 1);
        return;
    }
    // Too long for the host: keep what fits in front of "..." and the terminator.
    constexpr std::size_t kept = kDisplayLength - sizeof(kEllipsis);
    std::memcpy(text, cached, kept);
    std::memcpy(text + kept, kEllipsis, sizeof(kEllipsis));
}

void KEffect::getParameterName(VstInt32 index, char* text) {
    const KEffectParameter* p = parameter(index);
    if (!text || !p) return;
    vstCopyText(text, p->name(), kNameSize);
}

void KEffect::getParameterLabel(VstInt32 index, char* label) {
    const KEffectParameter* p = parameter(index);
    if (!label || !p) return;
    vstCopyText(label, p->label(), kNameSize);
}

void KEffect::reserveParameters(int count) {
    // setCount sizes the storage exactly; adding then fills it from index 0.
    mParameters.setCount(mParameters.count() + count);
    mParameters.setCount(mParameters.count() - count);
}

void KEffect::addParameters(const KParameterInfo* rows, int count) {
    reserveParameters(count);
    // The row list follows the parameter list, hand-made parameters as null.
    mInfo.resize(static_cast<std::size_t>(mParameters.count()), nullptr);
    for (int i = 0; i < count; ++i) {
        addParameter(makeParameter(rows[i]));
        mInfo.push_back(&rows[i]);
    }
}

void KEffect::reserveCommands(int count) {
    mCommands.setCount(mCommands.count() + count);
    mCommands.setCount(mCommands.count() - count);
}

// --- Programs -------------------------------------------------------------------------

void KEffect::setProgram(VstInt32 program) {
    if (program >= 0 && program < mBank.programCount())
        curProgram.store(program, std::memory_order_relaxed);
    parametersChanged(false);
}

void KEffect::setProgramName(char* name) {
    if (!name || !name[0]) return;
    mBank.setProgramName(getProgram(), name);
}

void KEffect::getProgramName(char* name) {
    if (!name) return;
    vstCopyText(name, mBank.programName(getProgram()), kProgramNameSize);
}

bool KEffect::getProgramNameIndexed(VstInt32 /*category*/, VstInt32 index, char* text) {
    if (!text || index < 0 || index >= mBank.programCount()) return false;
    vstCopyText(text, mBank.programName(index), kProgramNameSize);
    return true;
}

VstInt32 KEffect::getChunk(void** data, bool isPreset) {
    if (!data) return 0;
    const unsigned char* image = mBank.makeImage(isPreset ? getProgram() : -1);
    if (!image) return 0;
    // The host only reads it; the interface has no const.
    *data = const_cast<unsigned char*>(image);
    return isPreset ? mBank.recordLength() : mBank.bankLength();
}

VstInt32 KEffect::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    // Only an image whose size names a layout, today's or an older one, and
    // whose every value is a stored value is taken; anything else changes
    // nothing and answers 0, so the host learns that it was not read.
    const int programs = isPreset ? 1 : mBank.programCount();
    const int count =
        mBank.checkedParameterCount(static_cast<const unsigned char*>(data), byteSize, programs);
    if (count < 0 || !mBank.readImage(isPreset ? getProgram() : -1,
                                      static_cast<const unsigned char*>(data), count))
        return 0;
    mBank.refreshAllTexts();
    parametersChanged(false);
    return programs * mBank.recordLengthFor(count);
}

// --- Presets --------------------------------------------------------------------------

void KEffect::loadPresets(const char* resourceName) {
    XP::ResourceReader resource;
    if (!resourceName || !resource.open(resourceName)) return;
    loadPresetsFrom(resource);
}

void KEffect::loadPresetsFrom(XP::InputReader& source) { readPresets(mBank, source); }

void KEffect::readPresets(ProgramBank& bank, XP::InputReader& source) const {
    XP::TokenReader reader(&source);
    const int programs = bank.programCount();
    int preset = -1;
    while (reader.readLine()) {
        const int count = reader.tokenCount();
        if (count == 0) continue;
        if (reader.tokenIs(0, "PRESET") && count >= 2) {
            // Stop counting past the bank: later presets are ignored anyway.
            if (preset < programs) ++preset;
            const char* name = reader.token(1);
            if (preset < programs && name[0]) bank.setProgramName(preset, name);
        } else if (reader.tokenIs(0, "SETSTR") && count >= 3 && preset >= 0 && preset < programs) {
            int index = findParameter(reader.token(1));
            const KEffectParameter* p = parameter(index);
            if (!p) continue;
            p->setFromText(bank.valueSlot(preset, index), reader.token(2));
            bank.refreshTexts(preset, index);
        }
    }
}

// --- Channels --------------------------------------------------------------------------

bool KEffect::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
    if (!input || !output) return false;
    if (!acceptsIoConfig(input->numChannels, output->numChannels)) return false;
    // Copy both first, so that a failure leaves the stored pair as it was.
    VstSpeakerArrangement* newInput = nullptr;
    VstSpeakerArrangement* newOutput = nullptr;
    if (!matchArrangement(&newInput, input) || !matchArrangement(&newOutput, output)) {
        deallocateArrangement(&newInput);
        deallocateArrangement(&newOutput);
        return false;
    }
    deallocateArrangement(&mInputArrangement);
    deallocateArrangement(&mOutputArrangement);
    mInputArrangement = newInput;
    mOutputArrangement = newOutput;
    updateChannelCounts();
    return true;
}

bool KEffect::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    if (!input || !output) return false;
    *input = mInputArrangement;
    *output = mOutputArrangement;
    return true;
}

bool KEffect::setBypass(bool onOff) {
    char text[] = "bypass";
    if (canDo(text) != 1) return false;
    mBypass = onOff;
    return true;
}

void KEffect::foldChannels(bool twoInputs, bool twoOutputs, double& out0, double& out1, double a,
                           double b) {
    if (twoInputs && !twoOutputs) {
        out0 = (a + b) * 0.5;
        return;
    }
    out0 = a;
    if (twoOutputs) out1 = twoInputs ? b : a;
}

// --- Names and capabilities ---------------------------------------------------------------

bool KEffect::getEffectName(char* name) {
    return answerName(name, effectName(), kVstMaxEffectNameLen);
}

bool KEffect::getVendorString(char* text) {
    return answerName(text, vendorName(), kVstMaxVendorStrLen);
}

bool KEffect::getProductString(char* text) {
    return answerName(text, productName(), kVstMaxProductStrLen);
}

VstInt32 KEffect::canDo(char* text) {
    if (!text) return 0;
    for (const IoText& io : kIoTexts)
        if (std::strcmp(text, io.text) == 0) return acceptsIoConfig(io.inputs, io.outputs) ? 1 : -1;
    return 0;
}

// --- Information variables ----------------------------------------------------------------

void KEffect::getInfoVariable(char* out, int size, const char* name) {
    if (!out || size <= 0) return;
    out[0] = 0;
    if (!name) return;
    const bool vendor = std::strcmp(name, "HostVend") == 0;
    if (vendor || std::strcmp(name, "HostName") == 0) {
        // Roomier than the host is allowed to write, for hosts that overrun.
        char text[256] = {};
        if (vendor)
            getHostVendorString(text);
        else
            getHostProductString(text);
        copyOptional(out, size, text[0] ? text : "Unknown");
    } else if (std::strcmp(name, "PlugVer") == 0) {
        copyOptional(out, size, plugVersion());
    } else if (std::strcmp(name, "PlugBuild") == 0) {
        copyOptional(out, size, plugBuild());
    } else if (std::strcmp(name, "Platform") == 0) {
        copyOptional(out, size, platformName());
    } else if (std::strcmp(name, "BuildDate") == 0) {
        copyOptional(out, size, buildDate());
    } else if (std::strcmp(name, "DocDir") == 0) {
        copyOptional(out, size, docFolder());
    } else if (std::strcmp(name, "SRate") == 0) {
        formatNumber(out, size, 0, getSampleRate());
    } else if (std::strcmp(name, "Inputs") == 0) {
        std::snprintf(out, static_cast<std::size_t>(size), "%d", inputChannels());
    } else if (std::strcmp(name, "Outputs") == 0) {
        std::snprintf(out, static_cast<std::size_t>(size), "%d", outputChannels());
    }
}

void KEffect::expandText(char* out, int size, const char* text) {
    if (!out || size <= 0) return;
    const int limit = size - 1;
    int used = 0;
    const char* p = text ? text : "";
    while (*p && used < limit) {
        if (p[0] != '$' || p[1] != '{') {
            out[used++] = *p++;
            continue;
        }
        p += 2;
        char name[kVariableNameLength + 1];
        int length = 0;
        for (; *p && *p != '}'; ++p)
            if (length < kVariableNameLength) name[length++] = *p;
        name[length] = 0;
        if (*p == '}') ++p;
        char value[kVariableValueSize];
        getInfoVariable(value, sizeof(value), name);
        for (const char* v = value; *v && used < limit; ++v) out[used++] = *v;
    }
    out[used] = 0;
}

// --- Editor ----------------------------------------------------------------------------------

void KEffect::editorOpened() {
    // Sized here, on the host's thread, so that commands run on the
    // editor's thread allocate nothing.
    if (mCommandValueCount != parameterCount()) {
        mCommandValues.reset(new float[static_cast<std::size_t>(parameterCount())]);
        mCommandValueCount = parameterCount();
    }
    mEditorOpen.store(true, std::memory_order_relaxed);
}

void KEffect::refreshEditor() {
    AEffEditor* current = editor;
    if (isEditorOpen() && current) current->refresh();
}

// --- Audio ------------------------------------------------------------------------------------

void KEffect::processReplacing(float** inputs, float** outputs, VstInt32 frames) {
    processFloat(inputs, inputChannels(), outputs, outputChannels(), frames);
}

void KEffect::processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) {
    if (frames <= 0) return;
    processDouble(inputs, inputChannels(), outputs, outputChannels(), frames);
}

bool KEffect::stageLayout(int inputCount, int outputCount, int frames) {
    long long needed = static_cast<long long>(inputCount + outputCount) * frames;
    if (needed > INT_MAX) return false;
    bool regrown = false;
    if (needed > mScratchCapacity) {
        mScratch.reset(new double[static_cast<std::size_t>(needed)]());
        mScratchCapacity = static_cast<int>(needed);
        regrown = true;
    }
    if (inputCount > mInputTableCapacity) {
        mInputTable.reset(new double*[static_cast<std::size_t>(inputCount)]);
        mInputTableCapacity = inputCount;
        regrown = true;
    }
    if (outputCount > mOutputTableCapacity) {
        mOutputTable.reset(new double*[static_cast<std::size_t>(outputCount)]);
        mOutputTableCapacity = outputCount;
        regrown = true;
    }
    if (regrown || inputCount != mStagedInputs || outputCount != mStagedOutputs ||
        frames != mStagedFrames) {
        double* base = mScratch.get();
        for (int c = 0; c < inputCount; ++c)
            mInputTable[static_cast<std::size_t>(c)] = base + static_cast<std::size_t>(c) * frames;
        for (int c = 0; c < outputCount; ++c)
            mOutputTable[static_cast<std::size_t>(c)] =
                base + static_cast<std::size_t>(inputCount + c) * frames;
        mStagedInputs = inputCount;
        mStagedOutputs = outputCount;
        mStagedFrames = frames;
    }
    return true;
}

void KEffect::processFloat(float** inputs, int inputCount, float** outputs, int outputCount,
                           int frames) {
    if (frames <= 0 || inputCount < 0 || outputCount < 0) return;
    if (!stageLayout(inputCount, outputCount, frames)) {
        for (int c = 0; outputs && c < outputCount; ++c)
            if (outputs[c])
                std::memset(outputs[c], 0, sizeof(float) * static_cast<std::size_t>(frames));
        return;
    }
    for (int c = 0; c < inputCount; ++c) {
        double* to = mInputTable[static_cast<std::size_t>(c)];
        const float* from = inputs ? inputs[c] : nullptr;
        for (int i = 0; i < frames; ++i) to[i] = from ? static_cast<double>(from[i]) : 0.0;
    }
    // A renderer that leaves a channel alone must not send stale samples out.
    for (int c = 0; c < outputCount; ++c) {
        double* to = mOutputTable[static_cast<std::size_t>(c)];
        for (int i = 0; i < frames; ++i) to[i] = 0.0;
    }
    processDouble(inputCount > 0 ? mInputTable.get() : nullptr, inputCount,
                  outputCount > 0 ? mOutputTable.get() : nullptr, outputCount, frames);
    for (int c = 0; outputs && c < outputCount; ++c) {
        float* to = outputs[c];
        const double* from = mOutputTable[static_cast<std::size_t>(c)];
        if (!to) continue;
        // Tiny doubles become subnormal floats, which stall some hosts'
        // processing further down the chain: send zero instead.
        for (int i = 0; i < frames; ++i) {
            const float v = static_cast<float>(from[i]);
            to[i] = std::fabs(v) < std::numeric_limits<float>::min() ? 0.0f : v;
        }
    }
}

}  // namespace KAMO
