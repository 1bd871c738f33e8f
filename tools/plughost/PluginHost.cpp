#include "tools/plughost/PluginHost.h"

#include <dlfcn.h>

#include <cmath>
#include <cstring>

namespace plughost {

namespace {

// The callback carries no user pointer, so the host of an effect is found
// in a fixed table (lock-free: the audio thread asks for the time through
// it). While an entry point runs, its record is not known yet; the loading
// thread's host answers then.
constexpr int kSlots = 1024;
std::atomic<AEffect*> gEffects[kSlots];
std::atomic<PluginHost*> gHosts[kSlots];
thread_local PluginHost* tLoading = nullptr;
std::atomic<PluginHost*> gLastLoading{nullptr};

PluginHost* findHost(AEffect* effect) {
    if (effect) {
        for (int i = 0; i < kSlots; ++i) {
            if (gEffects[i].load(std::memory_order_acquire) == effect) {
                if (PluginHost* host = gHosts[i].load(std::memory_order_acquire)) return host;
            }
        }
    }
    if (tLoading) return tLoading;
    return gLastLoading.load(std::memory_order_acquire);
}

// What audioMasterCanDo answers 1 to; everything else answers 0.
const char* const kCanDo[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo",
                              "sizeWindow",    "supplyIdle",       "startStopProcess"};

// Copies `text` into a host-callback text buffer of the usual 64 bytes.
VstIntPtr answerText(void* ptr, const std::string& text) {
    if (!ptr) return 0;
    char* out = static_cast<char*>(ptr);
    const std::size_t n = std::min<std::size_t>(text.size(), kVstMaxVendorStrLen - 1);
    std::memcpy(out, text.data(), n);
    out[n] = 0;
    return text.empty() ? 0 : 1;
}

}  // namespace

PluginHost::PluginHost() : vendor_("plughost"), product_("plughost") {
    for (auto& c : calls_) c.store(0, std::memory_order_relaxed);
    std::memset(&time_, 0, sizeof(time_));
    time_.sampleRate = kDefaultSampleRate;
    time_.tempo = 120.0;
    time_.timeSigNumerator = 4;
    time_.timeSigDenominator = 4;
    refreshBar();
}

PluginHost::~PluginHost() {
    PluginHost* self = this;
    gLastLoading.compare_exchange_strong(self, nullptr);
}

std::unique_ptr<PluginInstance> PluginHost::load(const std::string& path, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return std::unique_ptr<PluginInstance>();
    };
    // A bare file name means the file here, as on any command line; dlopen
    // would search the library path for it instead.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        return fail(why ? why : "cannot load " + path);
    }
    auto entry = reinterpret_cast<EntryProc>(dlsym(library, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryProc>(dlsym(library, "main"));
    if (!entry) {
        dlclose(library);
        return fail(path + ": no entry point VSTPluginMain or main");
    }
    return instantiate(library, entry, path, error);
}

std::unique_ptr<PluginInstance> PluginHost::loadEntry(EntryProc entry, const std::string& name,
                                                      std::string* error) {
    return instantiate(nullptr, entry, name, error);
}

std::unique_ptr<PluginInstance> PluginHost::instantiate(void* library, EntryProc entry,
                                                        const std::string& name,
                                                        std::string* error) {
    PluginHost* previous = tLoading;
    tLoading = this;
    gLastLoading.store(this, std::memory_order_release);
    AEffect* effect = entry(&PluginHost::callback);
    tLoading = previous;
    if (!effect) {
        if (library) dlclose(library);
        if (error) *error = name + ": the entry point answered no effect";
        return nullptr;
    }
    if (effect->magic != kEffectMagic) {
        // A record we cannot trust to close; leaking it beats crashing.
        if (error) *error = name + ": the effect record has a wrong magic number";
        return nullptr;
    }
    registerEffect(effect, this);
    std::unique_ptr<PluginInstance> instance(new PluginInstance(*this, library, effect, name));
    instance->dispatch(effOpen);
    return instance;
}

void PluginHost::registerEffect(AEffect* effect, PluginHost* host) {
    for (int i = 0; i < kSlots; ++i) {
        AEffect* expected = nullptr;
        if (gEffects[i].compare_exchange_strong(expected, effect, std::memory_order_acq_rel)) {
            gHosts[i].store(host, std::memory_order_release);
            return;
        }
    }
    // Table full: callbacks for this effect fall back to the last loading host.
}

void PluginHost::unregisterEffect(AEffect* effect) {
    for (int i = 0; i < kSlots; ++i) {
        if (gEffects[i].load(std::memory_order_acquire) == effect) {
            gHosts[i].store(nullptr, std::memory_order_release);
            gEffects[i].store(nullptr, std::memory_order_release);
            return;
        }
    }
}

VstIntPtr PluginHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                               void* ptr, float opt) {
    PluginHost* host = findHost(effect);
    if (!host) return opcode == audioMasterVersion ? 2400 : 0;
    return host->answer(effect, opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::answer(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr,
                             float opt) {
    if (opcode >= 0 && opcode < static_cast<VstInt32>(calls_.size()))
        calls_[static_cast<std::size_t>(opcode)].fetch_add(1, std::memory_order_relaxed);
    switch (opcode) {
    case audioMasterAutomate:
        record(EditEvent::Automate, index, opt);
        return 0;
    case audioMasterVersion:
        return versionAnswer_.load(std::memory_order_relaxed);
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetTime:
        timeThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
        if (!timeInfoAvailable_.load(std::memory_order_relaxed)) return 0;
        return reinterpret_cast<VstIntPtr>(&time_);
    case audioMasterGetSampleRate: {
        // A rate set to test a plug-in's checks (NaN, negative, huge) is no
        // integer to hand over: 0 says "not known".
        const double rate = sampleRate_.load(std::memory_order_relaxed);
        return rate >= 1.0 && rate < 9e18 ? static_cast<VstIntPtr>(rate) : 0;
    }
    case audioMasterGetBlockSize:
        return blockSize_.load(std::memory_order_relaxed);
    case audioMasterGetAutomationState:
        return 1;  // off
    case audioMasterGetVendorString: {
        std::lock_guard<std::mutex> lock(textMutex_);
        return answerText(ptr, vendor_);
    }
    case audioMasterGetProductString: {
        std::lock_guard<std::mutex> lock(textMutex_);
        return answerText(ptr, product_);
    }
    case audioMasterGetVendorVersion:
        return vendorVersion_.load(std::memory_order_relaxed);
    case audioMasterCanDo: {
        if (!ptr) return 0;
        const char* text = static_cast<const char*>(ptr);
        for (const char* t : kCanDo)
            if (std::strncmp(t, text, 256) == 0) return 1;
        return 0;
    }
    case audioMasterGetLanguage:
        return 1;  // English
    case audioMasterUpdateDisplay:
        return 1;
    case audioMasterBeginEdit:
        record(EditEvent::BeginEdit, index, 0.0f);
        return 1;
    case audioMasterEndEdit:
        record(EditEvent::EndEdit, index, 0.0f);
        return 1;
    default:
        return 0;
    }
}

void PluginHost::record(EditEvent::Kind kind, VstInt32 index, float value) {
    edits_.add(EditEvent{kind, index, value, std::this_thread::get_id()});
}

void PluginHost::setVersionAnswer(VstIntPtr version) { versionAnswer_.store(version); }
void PluginHost::setSampleRate(double rate) {
    sampleRate_.store(rate);
    time_.sampleRate = rate;
}
void PluginHost::setBlockSize(VstInt32 frames) { blockSize_.store(frames); }
void PluginHost::setVendorString(const std::string& text) {
    std::lock_guard<std::mutex> lock(textMutex_);
    vendor_ = text;
}
void PluginHost::setProductString(const std::string& text) {
    std::lock_guard<std::mutex> lock(textMutex_);
    product_ = text;
}
void PluginHost::setVendorVersion(VstIntPtr version) { vendorVersion_.store(version); }
double PluginHost::sampleRate() const { return sampleRate_.load(); }
VstInt32 PluginHost::blockSize() const { return blockSize_.load(); }

void PluginHost::setTimeInfoAvailable(bool available) { timeInfoAvailable_.store(available); }

void PluginHost::setTempo(double bpm) { time_.tempo = bpm; }

void PluginHost::setTimeSignature(VstInt32 numerator, VstInt32 denominator) {
    time_.timeSigNumerator = numerator > 0 ? numerator : 4;
    time_.timeSigDenominator = denominator > 0 ? denominator : 4;
    refreshBar();
}

void PluginHost::setPlaying(bool playing) {
    const bool was = (time_.flags & kVstTransportPlaying) != 0;
    if (was != playing) time_.flags |= kVstTransportChanged;
    if (playing)
        time_.flags |= kVstTransportPlaying;
    else
        time_.flags &= ~kVstTransportPlaying;
}

void PluginHost::setPosition(double samplePos, double ppqPos, double barStartPos) {
    time_.samplePos = samplePos;
    time_.ppqPos = ppqPos;
    refreshBar();
    if (barStartPos >= 0.0) time_.barStartPos = barStartPos;
}

void PluginHost::advance(VstInt32 frames) {
    time_.flags &= ~kVstTransportChanged;
    if (!(time_.flags & kVstTransportPlaying) || frames <= 0) return;
    const double rate = time_.sampleRate > 0 ? time_.sampleRate : kDefaultSampleRate;
    time_.samplePos += frames;
    time_.ppqPos += frames * time_.tempo / (60.0 * rate);
    refreshBar();
}

void PluginHost::refreshBar() {
    const double quartersPerBar = time_.timeSigNumerator * 4.0 / time_.timeSigDenominator;
    time_.barStartPos = std::floor(time_.ppqPos / quartersPerBar + 1e-9) * quartersPerBar;
    time_.flags |= kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid;
}

std::vector<EditEvent> PluginHost::edits() const { return edits_.entries(); }

void PluginHost::clearEdits() { edits_.clear(); }

int PluginHost::callCount(VstInt32 opcode) const {
    if (opcode < 0 || opcode >= static_cast<VstInt32>(calls_.size())) return 0;
    return calls_[static_cast<std::size_t>(opcode)].load(std::memory_order_relaxed);
}

std::thread::id PluginHost::lastTimeInfoThread() const { return timeThread_.load(); }

}  // namespace plughost
