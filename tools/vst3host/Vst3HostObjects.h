#pragma once
// The objects a VST 3 host hands a plug-in: a memory stream for states, the
// parameter changes and events of one process call, the component handler
// that hears edits, and the host application. Each is one interface over a
// plain struct whose first member is its function table; the host owns
// them, so their reference counts do nothing.

#include "tools/plughost/CallLog.h"

#include <travesty/audio_processor.h>
#include <travesty/bstream.h>
#include <travesty/edit_controller.h>
#include <travesty/events.h>
#include <travesty/host.h>
#include <travesty/view.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vst3host {

// IBStream over bytes in memory. `piece` > 0 limits what one read or write
// moves, as some hosts' streams do.
struct MemoryStream {
    MemoryStream();
    explicit MemoryStream(std::vector<std::uint8_t> data);
    v3_bstream** pointer() { return reinterpret_cast<v3_bstream**>(this); }

    const void* table;
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
    std::int32_t piece = 0;
};

struct ParamQueue {
    explicit ParamQueue(v3_param_id id);
    v3_param_value_queue** pointer() { return reinterpret_cast<v3_param_value_queue**>(this); }

    const void* table;
    v3_param_id id;
    std::vector<std::pair<std::int32_t, double>> points;
};

// IParameterChanges: one queue per parameter, points in the order added.
struct ParamChanges {
    ParamChanges();
    v3_param_changes** pointer() { return reinterpret_cast<v3_param_changes**>(this); }
    void add(v3_param_id id, std::int32_t offset, double value);
    void clear() { queues.clear(); }
    bool empty() const { return queues.empty(); }

    const void* table;
    std::vector<std::unique_ptr<ParamQueue>> queues;
};

struct EventList {
    EventList();
    v3_event_list** pointer() { return reinterpret_cast<v3_event_list**>(this); }
    void noteOn(std::int32_t offset, int channel, int pitch, float velocity);
    void noteOff(std::int32_t offset, int channel, int pitch, float velocity);
    // Both note events, whose fields are alike but laid out apart.
    template <typename Note>
    void addNote(std::uint16_t type, Note v3_event::*kind, std::int32_t offset, int channel,
                 int pitch, float velocity);

    const void* table;
    std::vector<v3_event> events;
};

struct HostEdit {
    enum Kind { Begin, Perform, End, Restart } kind;
    v3_param_id id;
    double value;
    std::thread::id thread;
};

// IComponentHandler: records every call with the thread it came on.
struct ComponentHandler {
    ComponentHandler();
    v3_component_handler** pointer() { return reinterpret_cast<v3_component_handler**>(this); }
    std::vector<HostEdit> edits() const;
    void clear();
    void record(HostEdit::Kind kind, v3_param_id id, double value);

    const void* table;
    plughost::CallLog<HostEdit> recorded;
};

// IRunLoop (timers only) that fire() serves on the calling thread.
struct RunLoop {
    RunLoop();
    v3_run_loop** pointer() { return reinterpret_cast<v3_run_loop**>(this); }
    // Calls every registered timer once.
    void fire();

    const void* table;
    std::vector<v3_timer_handler**> timers;
};

// IHostApplication; offers `loop` (when set) to the plug-in as its run loop.
struct HostApplication {
    HostApplication();
    v3_funknown** pointer() { return reinterpret_cast<v3_funknown**>(this); }

    const void* table;
    RunLoop* loop = nullptr;
};

// Text of the format's 16-bit strings.
std::string narrow(const std::int16_t* text, int size);
void widen(std::int16_t* out, int size, const std::string& text);

}  // namespace vst3host
