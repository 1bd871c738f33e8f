#pragma once
// The plug-in object CLAP hosts create from the factory: the effect behind
// the faces' host bridge (KHostBridge), and the CLAP calls translated into
// the bridge's.
//
// Threads, as the CLAP headers assign them: process, and flush while
// active, on the audio thread; everything else on the main thread. The
// editor edits the effect from a thread of its own; what the host must
// hear of it reaches the main thread at the next tick (the host's timer,
// or the callback the plug-in asks for), and from there the audio thread
// or a flush, which are the only places CLAP takes parameter events.
//
// State: the bank image and the current program, as the VST 3 face keeps
// them (KFaceState).

#include "clap/ClapGui.h"
#include "clap/ClapParams.h"
#include "clap/ClapProcessor.h"
#include "framework/KHostBridge.h"
#include "shell/Vst2.h"

#include <clap/entry.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/note-ports.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace KAMO {

class KEffect;

class ClapPlugin final : private KHostBridge::Listener {
public:
    static const char* const kId;
    // What the factory lists; read from an effect once.
    static const clap_plugin_descriptor_t* descriptor();
    // Null when the effect cannot be built.
    static const clap_plugin_t* create(const clap_host_t* host);
    // The instance the descriptor was read from goes, if no host took it.
    static void releaseSpare();

    KHostBridge& bridge() { return bridge_; }
    KEffect& effect() { return bridge_.effect(); }
    AEffect* record() { return bridge_.record(); }
    ClapProcessor& processor() { return *processor_; }
    ClapGui& gui() { return gui_; }
    const clap_host_t* host() const { return host_; }
    const clap_host_timer_support_t* hostTimers() const { return hostTimers_; }
    // False when the host says this is its audio thread: a main-thread
    // call made from there is refused rather than raced.
    bool onMainThread() const;

    // Main thread: the editor's edits move on towards the host, and a
    // program switched elsewhere makes the host read every value again.
    void tick();
    // Any thread: asks the host for a tick on its main thread.
    void requestTick();
    // Main thread: while on, processing asks for ticks (an open editor in a
    // host without timers).
    void tickFromProcessing(bool on) { ticksFromAudio_.store(on, std::memory_order_relaxed); }

private:
    ClapPlugin();
    ~ClapPlugin();
    // Null when the effect cannot be built.
    static ClapPlugin* build();
    void bindTo(const clap_host_t* host);
    void fillTable();

    // The editor's edits, on the thread that idles it.
    bool hostEdit(KHostBridge::Edit kind, int index, float value) override;

    bool init();
    bool activate(double rate, std::uint32_t minFrames, std::uint32_t maxFrames);
    void deactivate();
    const void* extension(const char* id);
    bool save(const clap_ostream_t* stream);
    bool load(const clap_istream_t* stream);
    void valuesMoved();

    static const clap_plugin_audio_ports_t kAudioPorts;
    static const clap_plugin_note_ports_t kNotePorts;
    static const clap_plugin_params_t kParams;
    static const clap_plugin_state_t kState;

    clap_plugin_t plugin_{};
    const clap_host_t* host_ = nullptr;
    const clap_host_params_t* hostParams_ = nullptr;
    const clap_host_state_t* hostState_ = nullptr;
    const clap_host_timer_support_t* hostTimers_ = nullptr;
    const clap_host_thread_check_t* hostThreads_ = nullptr;

    KHostBridge bridge_{"CLAP host", this};
    std::unique_ptr<ClapParams> params_;
    std::unique_ptr<ClapProcessor> processor_;
    ClapGui gui_;
    bool active_ = false;
    bool processing_ = false;
    double rate_ = 44100.0;
    std::uint32_t maxFrames_ = 4096;  // what the effect is told
    // The program the host last read values for.
    std::atomic<int> shownProgram_{0};
    std::atomic<bool> tickAsked_{false};
    std::atomic<bool> ticksFromAudio_{false};
    double framesSinceTick_ = 0.0;  // audio thread
};

}  // namespace KAMO
