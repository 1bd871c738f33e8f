#include "framework/KHostBridge.h"

#include "framework/KEffect.h"
#include "framework/KMidiEventList.h"

#include <cstring>

namespace KAMO {

namespace {

constexpr VstIntPtr kVersion = 2400;

}  // namespace

KHostBridge::KHostBridge(const char* hostName, Listener* listener)
    : listener_(listener), midi_(new KMidiEventList(kMidiCapacity)), list_(midi_->list()) {
    setHostName(hostName);
}

KHostBridge::~KHostBridge() {
    if (!record_) return;
    if (editorOpen_) closeEditor();
    // effClose destroys the effect and its editor.
    dispatch(effClose);
}

bool KHostBridge::build(EffectFactory make) {
    AudioEffect* built = make ? make(&KHostBridge::hostCallback) : nullptr;
    effect_ = dynamic_cast<KEffect*>(built);
    if (!effect_) {
        delete built;
        return false;
    }
    record_ = effect_->getAeffect();
    record_->user = this;
    return true;
}

void KHostBridge::setHostName(const char* name) {
    vstCopyText(hostName_, name ? name : "", sizeof hostName_);
}

VstIntPtr KHostBridge::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
    return record_->dispatcher(record_, opcode, index, value, ptr, opt);
}

// --- The effect's host --------------------------------------------------------------

VstIntPtr KHostBridge::hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index,
                                    VstIntPtr /*value*/, void* ptr, float opt) {
    auto* self = record ? static_cast<KHostBridge*>(record->user) : nullptr;
    if (self) return self->answer(opcode, index, ptr, opt);
    // The effect under construction, not bound yet: a host that knows no
    // rate, block size or transport so far.
    switch (opcode) {
    case audioMasterVersion:
        return kVersion;
    case audioMasterWantMidi:
        return 1;
    default:
        return 0;
    }
}

VstIntPtr KHostBridge::answer(VstInt32 opcode, VstInt32 index, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterVersion:
        return kVersion;
    case audioMasterGetSampleRate:
        return rateAnswer_;
    case audioMasterGetBlockSize:
        return maxBlock_;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(time_);
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetProductString:
        if (ptr) vstCopyText(static_cast<char*>(ptr), hostName_, kVstMaxProductStrLen);
        return 1;
    case audioMasterBeginEdit:
        return listener_ && listener_->hostEdit(Edit::Begin, index, 0.0f) ? 1 : 0;
    case audioMasterAutomate:
        return listener_ && listener_->hostEdit(Edit::Value, index, opt) ? 1 : 0;
    case audioMasterEndEdit:
        return listener_ && listener_->hostEdit(Edit::End, index, 0.0f) ? 1 : 0;
    default:
        return 0;
    }
}

// --- Life cycle ---------------------------------------------------------------------

void KHostBridge::open() { dispatch(effOpen); }

void KHostBridge::setSampleRate(double rate) {
    // Answered only when the effect plays it and the answer's integer holds
    // it; 0 means "not known".
    const bool plays = effect_->playsSampleRate(rate);
    if (plays) rate_ = rate;
    rateAnswer_ = plays && rate < 2147483648.0 ? static_cast<VstIntPtr>(rate) : 0;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void KHostBridge::setBlockSize(int frames) {
    if (frames <= 0) return;
    maxBlock_ = frames;
    dispatch(effSetBlockSize, 0, frames);
}

void KHostBridge::resume() { dispatch(effMainsChanged, 0, 1); }
void KHostBridge::suspend() { dispatch(effMainsChanged, 0, 0); }
void KHostBridge::startProcess() { dispatch(effStartProcess); }
void KHostBridge::stopProcess() { dispatch(effStopProcess); }

// --- Audio --------------------------------------------------------------------------

bool KHostBridge::addMidi(const unsigned char* bytes, int size, int delta) {
    if (!bytes || size < 1 || size > 3 || list_->numEvents >= kMidiCapacity) return false;
    VstMidiEvent& midi = (*midi_)[list_->numEvents++];
    std::memset(midi.midiData, 0, sizeof midi.midiData);
    std::memcpy(midi.midiData, bytes, static_cast<std::size_t>(size));
    midi.deltaFrames = delta > 0 ? delta : 0;
    return true;
}

int KHostBridge::midiCount() const { return list_->numEvents; }

void KHostBridge::sendMidi() {
    dispatch(effProcessEvents, 0, 0, list_);
    list_->numEvents = 0;
}

void KHostBridge::clearMidi() { list_->numEvents = 0; }

void KHostBridge::render(float* out, int frames) {
    float* outputs[1] = {out};
    record_->processReplacing(record_, nullptr, outputs, frames);
}

void KHostBridge::render(double* out, int frames) {
    double* outputs[1] = {out};
    record_->processDoubleReplacing(record_, nullptr, outputs, frames);
}

// --- Editor -------------------------------------------------------------------------

bool KHostBridge::openEditor(void* parent) {
    if (editorOpen_ || !effect_->getEditor() || !(record_->flags & effFlagsHasEditor)) return false;
    idleEditor();
    editorOpen_ = dispatch(effEditOpen, 0, 0, parent) != 0;
    return editorOpen_;
}

void KHostBridge::closeEditor() {
    dispatch(effEditClose);
    editorOpen_ = false;
}

bool KHostBridge::editorSize(int& width, int& height) {
    ERect* rect = nullptr;
    dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect) return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

void KHostBridge::idleEditor() { dispatch(effEditIdle); }

// --- State --------------------------------------------------------------------------

const unsigned char* KHostBridge::bankImage(std::size_t& size) {
    void* bank = nullptr;
    const VstIntPtr length = dispatch(effGetChunk, 0, 0, &bank);
    if (!bank || length <= 0) {
        size = 0;
        return nullptr;
    }
    size = static_cast<std::size_t>(length);
    return static_cast<const unsigned char*>(bank);
}

int KHostBridge::program() { return effect_->getProgram(); }

void KHostBridge::setProgram(int program) { dispatch(effSetProgram, 0, program); }

int KHostBridge::programCount() const { return effect_->programBank().programCount(); }

bool KHostBridge::takeState(const unsigned char* bank, std::size_t size, long long program) {
    if (!bank || program < 0 || program >= programCount() ||
        !effect_->programBank().isSoundBankImage(bank, size))
        return false;
    dispatch(effSetChunk, 0, static_cast<VstIntPtr>(size), const_cast<unsigned char*>(bank));
    setProgram(static_cast<int>(program));
    return true;
}

bool KHostBridge::takeProgramRecord(const unsigned char* record, std::size_t size) {
    const ProgramBank& bank = effect_->programBank();
    if (!record || size != static_cast<std::size_t>(bank.recordLength())) return false;
    for (int i = 0; i < bank.parameterCount(); ++i) {
        const double value = ProgramBank::imageValue(record, bank.valueOffset(i));
        if (!(value >= 0.0 && value <= 1.0)) return false;
    }
    dispatch(effSetChunk, 1, static_cast<VstIntPtr>(size), const_cast<unsigned char*>(record));
    return true;
}

}  // namespace KAMO
