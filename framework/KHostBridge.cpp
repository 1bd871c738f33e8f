#include "framework/KHostBridge.h"

#include "framework/KEffect.h"
#include "framework/KMidiEventList.h"

#include <cmath>
#include <cstring>

namespace KAMO {

namespace {

constexpr VstIntPtr kVersion = 2400;

}  // namespace

KHostBridge::KHostBridge(const char* hostName, Listener* listener)
    : listener_(listener),
      midi_(new KMidiEventList(kMidiCapacity)),
      list_(midi_->list()),
      later_(new VstMidiEvent[kMidiCapacity]()) {
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

void KHostBridge::sendMidi(int frames) {
    // Split in order: the due events close up at the front and go; the
    // later ones wait aside and come back to the front, moved on.
    const int count = list_->numEvents;
    int due = 0, later = 0;
    for (int i = 0; i < count; ++i) {
        const VstMidiEvent& event = (*midi_)[i];
        if (event.deltaFrames < frames)
            (*midi_)[due++] = event;
        else
            later_[later++] = event;
    }
    list_->numEvents = due;
    sendMidi();
    for (int i = 0; i < later; ++i) {
        (*midi_)[i] = later_[i];
        (*midi_)[i].deltaFrames -= frames;
    }
    list_->numEvents = later;
}

void KHostBridge::clearMidi() { list_->numEvents = 0; }

void KHostBridge::setBlockTime(const VstTimeInfo* start) {
    if (!start) {
        time_ = nullptr;
        return;
    }
    blockStart_ = *start;
    blockTime_ = *start;
    time_ = &blockTime_;
}

void KHostBridge::moveTime(int offset) {
    const VstTimeInfo& start = blockStart_;
    blockTime_ = start;
    // A playing transport has moved on by the frames before the stretch, in
    // the arithmetic a VST 2.4 host uses.
    if (offset <= 0 || !(start.flags & kVstTransportPlaying)) return;
    blockTime_.samplePos += offset;
    if ((start.flags & (kVstPpqPosValid | kVstTempoValid)) == (kVstPpqPosValid | kVstTempoValid))
        blockTime_.ppqPos += offset * start.tempo / (60.0 * start.sampleRate);
    if (start.flags & kVstTimeSigValid) {
        const double quartersPerBar = start.timeSigNumerator * 4.0 / start.timeSigDenominator;
        if (blockTime_.ppqPos >= start.barStartPos + quartersPerBar)
            blockTime_.barStartPos =
                std::floor(blockTime_.ppqPos / quartersPerBar + 1e-9) * quartersPerBar;
    }
}

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
