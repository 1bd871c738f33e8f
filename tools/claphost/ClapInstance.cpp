#include "tools/claphost/ClapInstance.h"

#include "tools/plughost/NamedParameter.h"

#include <clap/ext/thread-check.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstring>

namespace claphost {

namespace {

// Host calls the headers allow on the main thread only.
const char* const kMainOnly[] = {"params.rescan",  "params.clear",     "state.mark_dirty",
                                 "timer.register", "timer.unregister", "gui.resize_hints_changed",
                                 "gui.closed"};

template <typename Event>
Event header(std::uint16_t type, std::uint32_t time) {
    Event e{};
    e.header.size = sizeof e;
    e.header.time = time;
    e.header.space_id = CLAP_CORE_EVENT_SPACE_ID;
    e.header.type = type;
    return e;
}

void at_note(const clap_host_t* host, const char* name) { ClapInstance::of(host)->note(name); }

struct Reader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at;
    std::size_t piece;
};

}  // namespace

// --- Events -------------------------------------------------------------------------

void EventQueue::raw(const void* event, std::size_t size) {
    std::vector<std::uint64_t> storage((size + 7) / 8);
    std::memcpy(storage.data(), event, size);
    events_.push_back(std::move(storage));
}

void EventQueue::note(std::uint16_t type, std::uint32_t time, int channel, int key,
                      double velocity) {
    auto e = header<clap_event_note_t>(type, time);
    e.note_id = -1;
    e.port_index = 0;
    e.channel = static_cast<std::int16_t>(channel);
    e.key = static_cast<std::int16_t>(key);
    e.velocity = velocity;
    raw(&e, sizeof e);
}

void EventQueue::midi(std::uint32_t time, std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    auto e = header<clap_event_midi_t>(CLAP_EVENT_MIDI, time);
    e.port_index = 0;
    e.data[0] = status;
    e.data[1] = d1;
    e.data[2] = d2;
    raw(&e, sizeof e);
}

void EventQueue::value(std::uint32_t time, clap_id id, double plain) {
    auto e = header<clap_event_param_value_t>(CLAP_EVENT_PARAM_VALUE, time);
    e.param_id = id;
    e.note_id = -1;
    e.port_index = -1;
    e.channel = -1;
    e.key = -1;
    e.value = plain;
    raw(&e, sizeof e);
}

std::uint32_t EventQueue::sizeOf(const clap_input_events_t* list) {
    return static_cast<std::uint32_t>(static_cast<const EventQueue*>(list->ctx)->events_.size());
}

const clap_event_header_t* EventQueue::get(const clap_input_events_t* list, std::uint32_t index) {
    const auto* queue = static_cast<const EventQueue*>(list->ctx);
    if (index >= queue->events_.size()) return nullptr;
    return reinterpret_cast<const clap_event_header_t*>(queue->events_[index].data());
}

// --- The host's function tables -----------------------------------------------------

struct HostTables {
    static ClapInstance* at(const clap_host_t* host) { return ClapInstance::of(host); }

    static const clap_host_params_t params;
    static const clap_host_state_t state;
    static const clap_host_timer_support_t timers;
    static const clap_host_thread_check_t threads;
    static const clap_host_gui_t gui;

    static const void* extension(const clap_host_t* host, const char* id) {
        at(host)->note("get_extension");
        if (!id) return nullptr;
        if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
        if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &state;
        if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &timers;
        if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0) return &threads;
        if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &gui;
        return nullptr;
    }
};

const clap_host_params_t HostTables::params = {
    [](const clap_host_t* h, clap_param_rescan_flags) {
        at(h)->note("params.rescan");
        ++at(h)->rescans_;
    },
    [](const clap_host_t* h, clap_id, clap_param_clear_flags) { at(h)->note("params.clear"); },
    [](const clap_host_t* h) {
        at(h)->note("params.request_flush");
        ++at(h)->flushRequests_;
    },
};

const clap_host_state_t HostTables::state = {
    [](const clap_host_t* h) { at(h)->note("state.mark_dirty"); },
};

const clap_host_timer_support_t HostTables::timers = {
    [](const clap_host_t* h, std::uint32_t ms, clap_id* id) {
        ClapInstance* host = at(h);
        host->note("timer.register");
        if (!id || ms == 0) return false;
        *id = host->nextTimer_++;
        host->timers_.add(*id, ms);
        return true;
    },
    [](const clap_host_t* h, clap_id id) {
        ClapInstance* host = at(h);
        host->note("timer.unregister");
        return host->timers_.remove(id);
    },
};

const clap_host_thread_check_t HostTables::threads = {
    [](const clap_host_t* h) { return at(h)->thread() == HostCall::Main; },
    [](const clap_host_t* h) { return at(h)->thread() == HostCall::Audio; },
};

const clap_host_gui_t HostTables::gui = {
    [](const clap_host_t* h) { at(h)->note("gui.resize_hints_changed"); },
    [](const clap_host_t* h, std::uint32_t w, std::uint32_t hgt) {
        at(h)->note("gui.request_resize");
        at(h)->resizeRequests.emplace_back(w, hgt);
        return false;
    },
    [](const clap_host_t* h) {
        at(h)->note("gui.request_show");
        return false;
    },
    [](const clap_host_t* h) {
        at(h)->note("gui.request_hide");
        return false;
    },
    [](const clap_host_t* h, bool) { at(h)->note("gui.closed"); },
};

ClapInstance* ClapInstance::of(const clap_host_t* host) {
    return static_cast<ClapInstance*>(host->host_data);
}

HostCall::Thread ClapInstance::thread() const {
    const std::thread::id me = std::this_thread::get_id();
    if (me == audioThread_.load()) return HostCall::Audio;
    return me == mainThread_ ? HostCall::Main : HostCall::Other;
}

void ClapInstance::note(const char* name) { calls_.add(HostCall{name, thread()}); }

std::vector<std::string> ClapInstance::callsOnWrongThreads() const {
    std::vector<std::string> wrong;
    for (const HostCall& c : calls_.entries()) {
        bool mainOnly = false;
        for (const char* name : kMainOnly) mainOnly = mainOnly || c.name == name;
        if ((mainOnly && c.thread != HostCall::Main) ||
            (c.name == "params.request_flush" && c.thread == HostCall::Audio))
            wrong.push_back(c.name + (c.thread == HostCall::Audio ? " on the audio thread"
                                                                  : " on another thread"));
    }
    return wrong;
}

// --- Loading ------------------------------------------------------------------------

ClapInstance::ClapInstance() : mainThread_(std::this_thread::get_id()) {
    host_.clap_version = CLAP_VERSION;
    host_.host_data = this;
    host_.name = "claphost";
    host_.vendor = "";
    host_.url = "";
    host_.version = "1";
    host_.get_extension = &HostTables::extension;
    host_.request_restart = [](const clap_host_t* h) { at_note(h, "request_restart"); };
    host_.request_process = [](const clap_host_t* h) { at_note(h, "request_process"); };
    host_.request_callback = [](const clap_host_t* h) {
        at_note(h, "request_callback");
        of(h)->callbackAsked_.store(true);
    };
}

std::unique_ptr<ClapInstance> ClapInstance::load(const std::string& path, std::string* error) {
    std::unique_ptr<ClapInstance> instance(new ClapInstance());
    if (!instance->open(path, error)) return nullptr;
    return instance;
}

bool ClapInstance::open(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) return fail(std::string("cannot load: ") + dlerror());
    entry_ = static_cast<const clap_plugin_entry_t*>(dlsym(library_, "clap_entry"));
    if (!entry_) return fail("no clap_entry");
    if (!clap_version_is_compatible(entry_->clap_version))
        return fail("an incompatible CLAP version");
    if (!entry_->init(path.c_str())) return fail("the entry's init failed");
    const auto* factory =
        static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (!factory || factory->get_plugin_count(factory) < 1) return fail("no plug-in factory");
    descriptor_ = factory->get_plugin_descriptor(factory, 0);
    if (!descriptor_ || !descriptor_->id) return fail("no descriptor");
    plugin_ = factory->create_plugin(factory, &host_, descriptor_->id);
    if (!plugin_) return fail("the factory made no plug-in");
    if (!plugin_->init(plugin_)) return fail("the plug-in's init failed");
    auto ext = [this](const char* id) { return plugin_->get_extension(plugin_, id); };
    params_ = static_cast<const clap_plugin_params_t*>(ext(CLAP_EXT_PARAMS));
    state_ = static_cast<const clap_plugin_state_t*>(ext(CLAP_EXT_STATE));
    gui_ = static_cast<const clap_plugin_gui_t*>(ext(CLAP_EXT_GUI));
    audioPorts_ = static_cast<const clap_plugin_audio_ports_t*>(ext(CLAP_EXT_AUDIO_PORTS));
    notePorts_ = static_cast<const clap_plugin_note_ports_t*>(ext(CLAP_EXT_NOTE_PORTS));
    pluginTimers_ = static_cast<const clap_plugin_timer_support_t*>(ext(CLAP_EXT_TIMER_SUPPORT));
    return true;
}

ClapInstance::~ClapInstance() {
    if (plugin_) {
        deactivate();
        plugin_->destroy(plugin_);
    }
    if (entry_) entry_->deinit();
    if (library_) dlclose(library_);
}

// --- Parameters ---------------------------------------------------------------------

std::vector<ParameterInfo> ClapInstance::parameters() const {
    std::vector<ParameterInfo> list;
    const std::uint32_t count = params_ ? params_->count(plugin_) : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        clap_param_info_t info{};
        if (!params_->get_info(plugin_, i, &info)) continue;
        list.push_back({info.id, info.flags, info.name, info.module, info.min_value, info.max_value,
                        info.default_value});
    }
    return list;
}

bool ClapInstance::findParameter(const std::string& name, clap_id& id) const {
    return plughost::findNamedParameter(parameters(), &ParameterInfo::name, name, id);
}

double ClapInstance::value(clap_id id) const {
    double v = 0.0;
    return params_ && params_->get_value(plugin_, id, &v) ? v : 0.0;
}

std::string ClapInstance::text(clap_id id, double plain) const {
    char text[256] = {};
    if (!params_ || !params_->value_to_text(plugin_, id, plain, text, sizeof text)) return "";
    return text;
}

bool ClapInstance::valueOfText(clap_id id, const std::string& text, double& plain) const {
    return params_ && params_->text_to_value(plugin_, id, text.c_str(), &plain);
}

// --- Processing ---------------------------------------------------------------------

bool ClapInstance::activate(double rate, std::uint32_t maxFrames) {
    deactivate();
    active_ = plugin_->activate(plugin_, rate, 1, maxFrames);
    return active_;
}

void ClapInstance::deactivate() {
    if (!active_) return;
    if (processing_) {
        // On the audio thread as the headers ask; this host has one thread
        // for audio at a time.
        audioThread_.store(std::this_thread::get_id());
        plugin_->stop_processing(plugin_);
        audioThread_.store(std::thread::id());
        processing_ = false;
    }
    plugin_->deactivate(plugin_);
    active_ = false;
}

namespace {
struct OutList {
    static bool push(const clap_output_events_t* list, const clap_event_header_t* e) {
        auto* out = static_cast<std::vector<OutEvent>*>(list->ctx);
        if (!e || e->space_id != CLAP_CORE_EVENT_SPACE_ID) return false;
        OutEvent o;
        o.type = e->type;
        if (e->type == CLAP_EVENT_PARAM_VALUE && e->size >= sizeof(clap_event_param_value_t)) {
            const auto* v = reinterpret_cast<const clap_event_param_value_t*>(e);
            o.id = v->param_id;
            o.value = v->value;
        } else if ((e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
                    e->type == CLAP_EVENT_PARAM_GESTURE_END) &&
                   e->size >= sizeof(clap_event_param_gesture_t)) {
            o.id = reinterpret_cast<const clap_event_param_gesture_t*>(e)->param_id;
        }
        out->push_back(o);
        return true;
    }
};
}  // namespace

template <typename T>
clap_process_status ClapInstance::run(std::uint32_t frames, T** outputs, std::uint32_t channels,
                                      const EventQueue& events,
                                      const clap_event_transport_t* transport) {
    if (!active_) return CLAP_PROCESS_ERROR;
    audioThread_.store(std::this_thread::get_id());
    if (!processing_) processing_ = plugin_->start_processing(plugin_);
    clap_audio_buffer_t port{};
    if constexpr (sizeof(T) == sizeof(double))
        port.data64 = reinterpret_cast<double**>(outputs);
    else
        port.data32 = reinterpret_cast<float**>(outputs);
    port.channel_count = channels;
    const clap_output_events_t out{&out_, &OutList::push};
    clap_process_t process{};
    process.steady_time = -1;
    process.frames_count = frames;
    process.transport = transport;
    process.audio_outputs = &port;
    process.audio_outputs_count = 1;
    process.in_events = events.list();
    process.out_events = &out;
    const clap_process_status status = plugin_->process(plugin_, &process);
    audioThread_.store(std::thread::id());
    return status;
}

clap_process_status ClapInstance::process(std::uint32_t frames, float** outputs,
                                          std::uint32_t channels, const EventQueue& events,
                                          const clap_event_transport_t* transport) {
    return run(frames, outputs, channels, events, transport);
}

clap_process_status ClapInstance::process(std::uint32_t frames, double** outputs,
                                          std::uint32_t channels, const EventQueue& events,
                                          const clap_event_transport_t* transport) {
    return run(frames, outputs, channels, events, transport);
}

void ClapInstance::flush(const EventQueue& events) {
    const clap_output_events_t out{&out_, &OutList::push};
    if (params_) params_->flush(plugin_, events.list(), &out);
}

std::vector<OutEvent> ClapInstance::takeOutEvents() {
    std::vector<OutEvent> taken;
    taken.swap(out_);
    return taken;
}

// --- State and the main thread ------------------------------------------------------

std::vector<std::uint8_t> ClapInstance::saveState() {
    std::vector<std::uint8_t> bytes;
    const clap_ostream_t stream{
        &bytes, [](const clap_ostream_t* s, const void* data, std::uint64_t size) -> std::int64_t {
            auto* to = static_cast<std::vector<std::uint8_t>*>(s->ctx);
            const auto* from = static_cast<const std::uint8_t*>(data);
            to->insert(to->end(), from, from + size);
            return static_cast<std::int64_t>(size);
        }};
    if (!state_ || !state_->save(plugin_, &stream)) bytes.clear();
    return bytes;
}

bool ClapInstance::loadState(const std::vector<std::uint8_t>& bytes, std::size_t piece) {
    Reader reader{&bytes, 0, piece};
    const clap_istream_t stream{
        &reader, [](const clap_istream_t* s, void* data, std::uint64_t size) -> std::int64_t {
            auto* r = static_cast<Reader*>(s->ctx);
            std::size_t n = std::min<std::size_t>(size, r->bytes->size() - r->at);
            if (r->piece > 0) n = std::min(n, r->piece);
            if (n > 0) std::memcpy(data, r->bytes->data() + r->at, n);
            r->at += n;
            return static_cast<std::int64_t>(n);
        }};
    return state_ && state_->load(plugin_, &stream);
}

void ClapInstance::idle() {
    timers_.fireDue([this](clap_id id) {
        if (pluginTimers_) pluginTimers_->on_timer(plugin_, id);
    });
    if (callbackAsked_.exchange(false)) plugin_->on_main_thread(plugin_);
}

}  // namespace claphost
