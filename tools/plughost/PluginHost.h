#pragma once
// The host side of a VST 2.4 plug-in: loads shared objects, answers the
// host callback, keeps the transport the plug-ins read through
// audioMasterGetTime, and records the edit notifications that plug-ins send
// (automate, begin and end of gestures) so that tests can check them.
//
// Usage:
//   plughost::PluginHost host;                 // configure before loading
//   host.setSampleRate(48000);
//   std::string error;
//   auto plugin = host.load("/path/Plugin.so", &error);
//   if (!plugin) ... error says why
//   plugin->setSampleRate(48000); plugin->setBlockSize(512); plugin->resume();
//   ... plugin->process(...) ...
//   plugin.reset();                            // effClose and dlclose
//
// The host must outlive every instance it loaded. One host may hold many
// instances at once; they share its configuration, transport and records.

#include "shell/Vst2.h"
#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/CallLog.h"
#include "tools/plughost/PluginInstance.h"
#include "tools/plughost/VstEventList.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plughost {

// One notification from a plug-in about a parameter edit.
struct EditEvent {
    enum Kind { Automate, BeginEdit, EndEdit };
    Kind kind;
    VstInt32 index;
    float value;  // opt of audioMasterAutomate; 0 for begin and end
    std::thread::id thread;
};

class PluginHost {
public:
    // The rate answered and carried by the transport until one is set.
    static constexpr double kDefaultSampleRate = 44100.0;

    PluginHost();
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads `path`, calls its entry point (VSTPluginMain, else main) with
    // this host's callback and then effOpen. Answers null and fills `error`
    // when the file does not load, has no entry, the entry answers null or
    // the record's magic is wrong.
    std::unique_ptr<PluginInstance> load(const std::string& path, std::string* error = nullptr);
    // The same for an entry point linked into this process (test doubles);
    // `name` stands in for the path in reports.
    using EntryProc = AEffect* (*)(audioMasterCallback);
    std::unique_ptr<PluginInstance> loadEntry(EntryProc entry, const std::string& name,
                                              std::string* error = nullptr);

    // --- Configuration (set before loading where the plug-in asks at creation)
    void setVersionAnswer(VstIntPtr version);        // audioMasterVersion; 2400, 0 to refuse
    void setSampleRate(double rate);                 // audioMasterGetSampleRate
    void setBlockSize(VstInt32 frames);              // audioMasterGetBlockSize
    void setVendorString(const std::string& text);   // "" answers 0 and writes ""
    void setProductString(const std::string& text);  // "" answers 0 and writes ""
    void setVendorVersion(VstIntPtr version);
    double sampleRate() const;
    VstInt32 blockSize() const;

    // --- Transport, as handed out by audioMasterGetTime.
    // Only the rendering thread may change it, between process calls.
    void setTimeInfoAvailable(bool available);  // false: GetTime answers null
    void setTempo(double bpm);
    void setTimeSignature(VstInt32 numerator, VstInt32 denominator);
    void setPlaying(bool playing);
    // Puts the transport at `samplePos` with the given quarter-note position;
    // the bar start is computed from the signature unless given (>= 0).
    void setPosition(double samplePos, double ppqPos, double barStartPos = -1.0);
    // Moves the transport on by `frames` at the current tempo and rate.
    void advance(VstInt32 frames);
    const VstTimeInfo& timeInfo() const { return time_; }

    // --- What plug-ins asked (thread-safe).
    std::vector<EditEvent> edits() const;
    void clearEdits();
    // How often opcode (0 .. 63) was called since construction.
    int callCount(VstInt32 opcode) const;
    // The thread that last called audioMasterGetTime (for thread checks).
    std::thread::id lastTimeInfoThread() const;

    // The callback itself; finds the host of `effect` and answers for it.
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);

private:
    friend class PluginInstance;
    std::unique_ptr<PluginInstance> instantiate(void* library, EntryProc entry,
                                                const std::string& name, std::string* error);
    VstIntPtr answer(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt);
    void record(EditEvent::Kind kind, VstInt32 index, float value);
    void refreshBar();
    static void registerEffect(AEffect* effect, PluginHost* host);
    static void unregisterEffect(AEffect* effect);

    std::atomic<VstIntPtr> versionAnswer_{2400};
    std::atomic<double> sampleRate_{kDefaultSampleRate};
    std::atomic<VstInt32> blockSize_{512};
    std::atomic<VstIntPtr> vendorVersion_{1};
    std::atomic<bool> timeInfoAvailable_{true};
    mutable std::mutex textMutex_;  // guards the texts below
    std::string vendor_;
    std::string product_;
    VstTimeInfo time_;
    CallLog<EditEvent> edits_;
    std::array<std::atomic<int>, 64> calls_;
    std::atomic<std::thread::id> timeThread_;
};

}  // namespace plughost
