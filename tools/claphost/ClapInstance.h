#pragma once
// One CLAP plug-in as a host sees it: the binary loaded, its entry and
// factory read, an instance of its first plug-in created and initialised
// with a host object of ours. The host answers for params, state, timers,
// thread checks and the editor's window, and writes down every call the
// plug-in makes to it with the thread it came on: the main thread is the
// one that loaded the instance, the audio thread is whichever is inside
// process() at the time.
//
//   auto plugin = claphost::ClapInstance::load("build/Murlan.clap", &error);
//   plugin->activate(48000, 512);
//   plugin->process(block);          // a ClapBlock of events and buffers
//   plugin->idle();                  // timers and main-thread callbacks

#include "tools/plughost/CallLog.h"
#include "tools/plughost/HostTimers.h"

#include <clap/entry.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/note-ports.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>
#include <clap/plugin.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace claphost {

struct ParameterInfo {
    clap_id id = 0;
    std::uint32_t flags = 0;
    std::string name, module;
    double minimum = 0.0, maximum = 0.0, defaultValue = 0.0;
};

// A call the plug-in made to the host.
struct HostCall {
    enum Thread { Main, Audio, Other };
    std::string name;
    Thread thread;
};

// Events for one process call, each whole in its own storage, kept in the
// order they are added (add them in time order, as a host must).
class EventQueue {
public:
    void clear() { events_.clear(); }
    void note(std::uint16_t type, std::uint32_t time, int channel, int key, double velocity);
    void midi(std::uint32_t time, std::uint8_t status, std::uint8_t d1, std::uint8_t d2);
    void value(std::uint32_t time, clap_id id, double plain);
    // Any event, as bytes (for odd ones a test makes).
    void raw(const void* event, std::size_t size);
    std::size_t size() const { return events_.size(); }
    const clap_input_events_t* list() const { return &list_; }

private:
    std::vector<std::vector<std::uint64_t>> events_;
    clap_input_events_t list_{this, &EventQueue::sizeOf, &EventQueue::get};
    static std::uint32_t sizeOf(const clap_input_events_t* list);
    static const clap_event_header_t* get(const clap_input_events_t* list, std::uint32_t index);
};

// What the plug-in sent out: parameter events, in order.
struct OutEvent {
    std::uint16_t type = 0;
    clap_id id = 0;
    double value = 0.0;
};

class ClapInstance {
public:
    static std::unique_ptr<ClapInstance> load(const std::string& path, std::string* error);
    ~ClapInstance();
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const clap_plugin_descriptor_t& descriptor() const { return *descriptor_; }
    const clap_plugin_t* plugin() const { return plugin_; }
    const clap_plugin_params_t* params() const { return params_; }
    const clap_plugin_gui_t* gui() const { return gui_; }
    const clap_plugin_audio_ports_t* audioPorts() const { return audioPorts_; }
    const clap_plugin_note_ports_t* notePorts() const { return notePorts_; }
    const clap_host_t* host() const { return &host_; }

    std::vector<ParameterInfo> parameters() const;
    // The id of the parameter named `name` (letter case ignored), or of
    // the parameter at that index when it is a number; false when none.
    bool findParameter(const std::string& name, clap_id& id) const;
    double value(clap_id id) const;
    std::string text(clap_id id, double plain) const;
    bool valueOfText(clap_id id, const std::string& text, double& plain) const;

    bool activate(double rate, std::uint32_t maxFrames);
    void deactivate();
    // One process call on the output port: `outputs` holds `channels`
    // channel pointers; `transport` may be null.
    clap_process_status process(std::uint32_t frames, float** outputs, std::uint32_t channels,
                                const EventQueue& events,
                                const clap_event_transport_t* transport = nullptr);
    clap_process_status process(std::uint32_t frames, double** outputs, std::uint32_t channels,
                                const EventQueue& events,
                                const clap_event_transport_t* transport = nullptr);
    // Parameter changes without processing (the host's flush).
    void flush(const EventQueue& events);
    // What process and flush sent out since the last take.
    std::vector<OutEvent> takeOutEvents();

    std::vector<std::uint8_t> saveState();
    // `piece` > 0 hands the bytes over at most that many per read.
    bool loadState(const std::vector<std::uint8_t>& bytes, std::size_t piece = 0);

    // Main thread: due timers, then the callback the plug-in asked for.
    void idle();
    int timerCount() const { return timers_.count(); }

    const plughost::CallLog<HostCall>& calls() const { return calls_; }
    // Calls made on a thread the headers do not allow for them.
    std::vector<std::string> callsOnWrongThreads() const;
    int rescans() const { return rescans_.load(); }
    int flushRequests() const { return flushRequests_.load(); }
    // Sizes the editor asked for through request_resize.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> resizeRequests;

    // For the host's function tables.
    static ClapInstance* of(const clap_host_t* host);
    void note(const char* name);
    HostCall::Thread thread() const;

private:
    ClapInstance();
    bool open(const std::string& path, std::string* error);
    template <typename T>
    clap_process_status run(std::uint32_t frames, T** outputs, std::uint32_t channels,
                            const EventQueue& events, const clap_event_transport_t* transport);
    friend struct HostTables;

    void* library_ = nullptr;
    const clap_plugin_entry_t* entry_ = nullptr;
    const clap_plugin_descriptor_t* descriptor_ = nullptr;
    const clap_plugin_t* plugin_ = nullptr;
    const clap_plugin_params_t* params_ = nullptr;
    const clap_plugin_state_t* state_ = nullptr;
    const clap_plugin_gui_t* gui_ = nullptr;
    const clap_plugin_audio_ports_t* audioPorts_ = nullptr;
    const clap_plugin_note_ports_t* notePorts_ = nullptr;
    const clap_plugin_timer_support_t* pluginTimers_ = nullptr;
    clap_host_t host_{};
    std::thread::id mainThread_;
    std::atomic<std::thread::id> audioThread_{};
    bool active_ = false;
    bool processing_ = false;
    plughost::HostTimers<clap_id> timers_;
    clap_id nextTimer_ = 1;
    std::atomic<bool> callbackAsked_{false};
    std::atomic<int> rescans_{0};
    std::atomic<int> flushRequests_{0};
    std::vector<OutEvent> out_;
    plughost::CallLog<HostCall> calls_;
};

}  // namespace claphost
