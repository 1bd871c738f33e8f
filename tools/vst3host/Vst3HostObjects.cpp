#include "tools/vst3host/Vst3HostObjects.h"

#include <algorithm>
#include <cstring>

namespace vst3host {

namespace {

template <typename T>
T* self(void* object) {
    return static_cast<T*>(object);
}

std::uint32_t V3_API noRef(void*) { return 1; }

v3_result answer(void* object, const v3_tuid iid, void** out, const v3_tuid own) {
    if (!out) return V3_INVALID_ARG;
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, own)) {
        *out = object;
        return V3_OK;
    }
    *out = nullptr;
    return V3_NO_INTERFACE;
}

// A function table whose FUnknown part answers for the interface `Own`;
// the host owns these objects, so their reference counts do nothing.
template <typename Table, const v3_tuid& Own>
Table hostOwned() {
    Table t{};
    t.query_interface = [](void* o, const v3_tuid iid, void** out) {
        return answer(o, iid, out, Own);
    };
    t.ref = noRef;
    t.unref = noRef;
    return t;
}

struct StreamTable : v3_funknown {
    v3_bstream stream;
};

const StreamTable kStreamTable = [] {
    auto t = hostOwned<StreamTable, v3_bstream_iid>();
    t.stream.read = [](void* o, void* buffer, std::int32_t size, std::int32_t* done) {
        MemoryStream* s = self<MemoryStream>(o);
        if (size < 0 || !buffer) return static_cast<v3_result>(V3_INVALID_ARG);
        std::size_t n =
            std::min<std::size_t>(static_cast<std::size_t>(size),
                                  s->bytes.size() - std::min(s->position, s->bytes.size()));
        if (s->piece > 0) n = std::min<std::size_t>(n, static_cast<std::size_t>(s->piece));
        if (n) std::memcpy(buffer, s->bytes.data() + s->position, n);
        s->position += n;
        if (done) *done = static_cast<std::int32_t>(n);
        return static_cast<v3_result>(V3_OK);
    };
    t.stream.write = [](void* o, void* buffer, std::int32_t size, std::int32_t* done) {
        MemoryStream* s = self<MemoryStream>(o);
        if (size < 0 || !buffer) return static_cast<v3_result>(V3_INVALID_ARG);
        std::size_t n = static_cast<std::size_t>(size);
        if (s->piece > 0) n = std::min<std::size_t>(n, static_cast<std::size_t>(s->piece));
        if (s->bytes.size() < s->position + n) s->bytes.resize(s->position + n);
        std::memcpy(s->bytes.data() + s->position, buffer, n);
        s->position += n;
        if (done) *done = static_cast<std::int32_t>(n);
        return static_cast<v3_result>(V3_OK);
    };
    t.stream.seek = [](void* o, std::int64_t pos, std::int32_t mode, std::int64_t* result) {
        MemoryStream* s = self<MemoryStream>(o);
        std::int64_t base = 0;
        if (mode == V3_SEEK_CUR) base = static_cast<std::int64_t>(s->position);
        if (mode == V3_SEEK_END) base = static_cast<std::int64_t>(s->bytes.size());
        if (base + pos < 0) return static_cast<v3_result>(V3_INVALID_ARG);
        s->position = static_cast<std::size_t>(base + pos);
        if (result) *result = static_cast<std::int64_t>(s->position);
        return static_cast<v3_result>(V3_OK);
    };
    t.stream.tell = [](void* o, std::int64_t* pos) {
        if (pos) *pos = static_cast<std::int64_t>(self<MemoryStream>(o)->position);
        return static_cast<v3_result>(V3_OK);
    };
    return t;
}();

const v3_param_value_queue_cpp kQueueTable = [] {
    auto t = hostOwned<v3_param_value_queue_cpp, v3_param_value_queue_iid>();
    t.queue.get_param_id = [](void* o) { return self<ParamQueue>(o)->id; };
    t.queue.get_point_count = [](void* o) {
        return static_cast<std::int32_t>(self<ParamQueue>(o)->points.size());
    };
    t.queue.get_point = [](void* o, std::int32_t i, std::int32_t* offset, double* value) {
        ParamQueue* q = self<ParamQueue>(o);
        if (i < 0 || i >= static_cast<std::int32_t>(q->points.size()))
            return static_cast<v3_result>(V3_INVALID_ARG);
        if (offset) *offset = q->points[static_cast<std::size_t>(i)].first;
        if (value) *value = q->points[static_cast<std::size_t>(i)].second;
        return static_cast<v3_result>(V3_OK);
    };
    t.queue.add_point = [](void* o, std::int32_t offset, double value, std::int32_t* index) {
        ParamQueue* q = self<ParamQueue>(o);
        q->points.emplace_back(offset, value);
        if (index) *index = static_cast<std::int32_t>(q->points.size() - 1);
        return static_cast<v3_result>(V3_OK);
    };
    return t;
}();

const v3_param_changes_cpp kChangesTable = [] {
    auto t = hostOwned<v3_param_changes_cpp, v3_param_changes_iid>();
    t.changes.get_param_count = [](void* o) {
        return static_cast<std::int32_t>(self<ParamChanges>(o)->queues.size());
    };
    t.changes.get_param_data = [](void* o, std::int32_t i) -> v3_param_value_queue** {
        ParamChanges* c = self<ParamChanges>(o);
        if (i < 0 || i >= static_cast<std::int32_t>(c->queues.size())) return nullptr;
        return c->queues[static_cast<std::size_t>(i)]->pointer();
    };
    t.changes.add_param_data = [](void*, v3_param_id*, std::int32_t*) -> v3_param_value_queue** {
        return nullptr;  // output parameters are not read
    };
    return t;
}();

const v3_event_list_cpp kEventTable = [] {
    auto t = hostOwned<v3_event_list_cpp, v3_event_list_iid>();
    t.list.get_event_count = [](void* o) {
        return static_cast<std::uint32_t>(self<EventList>(o)->events.size());
    };
    t.list.get_event = [](void* o, std::int32_t i, v3_event* event) {
        EventList* l = self<EventList>(o);
        if (!event || i < 0 || i >= static_cast<std::int32_t>(l->events.size()))
            return static_cast<v3_result>(V3_INVALID_ARG);
        *event = l->events[static_cast<std::size_t>(i)];
        return static_cast<v3_result>(V3_OK);
    };
    t.list.add_event = [](void*, v3_event*) -> v3_result { return V3_NOT_IMPLEMENTED; };
    return t;
}();

struct HandlerTable : v3_funknown {
    v3_component_handler handler;
};

const HandlerTable kHandlerTable = [] {
    auto t = hostOwned<HandlerTable, v3_component_handler_iid>();
    t.handler.begin_edit = [](void* o, v3_param_id id) {
        self<ComponentHandler>(o)->record(HostEdit::Begin, id, 0.0);
        return static_cast<v3_result>(V3_OK);
    };
    t.handler.perform_edit = [](void* o, v3_param_id id, double value) {
        self<ComponentHandler>(o)->record(HostEdit::Perform, id, value);
        return static_cast<v3_result>(V3_OK);
    };
    t.handler.end_edit = [](void* o, v3_param_id id) {
        self<ComponentHandler>(o)->record(HostEdit::End, id, 0.0);
        return static_cast<v3_result>(V3_OK);
    };
    t.handler.restart_component = [](void* o, std::int32_t flags) {
        self<ComponentHandler>(o)->record(HostEdit::Restart, static_cast<v3_param_id>(flags), 0.0);
        return static_cast<v3_result>(V3_OK);
    };
    return t;
}();

const v3_run_loop_cpp kRunLoopTable = [] {
    auto t = hostOwned<v3_run_loop_cpp, v3_run_loop_iid>();
    t.loop.register_event_handler = [](void*, v3_event_handler**, int) -> v3_result {
        return V3_NOT_IMPLEMENTED;
    };
    t.loop.unregister_event_handler = [](void*, v3_event_handler**) -> v3_result {
        return V3_NOT_IMPLEMENTED;
    };
    t.loop.register_timer = [](void* o, v3_timer_handler** handler, std::uint64_t) -> v3_result {
        if (!handler) return V3_INVALID_ARG;
        self<RunLoop>(o)->timers.push_back(handler);
        return V3_OK;
    };
    t.loop.unregister_timer = [](void* o, v3_timer_handler** handler) -> v3_result {
        auto& list = self<RunLoop>(o)->timers;
        list.erase(std::remove(list.begin(), list.end(), handler), list.end());
        return V3_OK;
    };
    return t;
}();

const v3_host_application_cpp kApplicationTable = [] {
    auto t = hostOwned<v3_host_application_cpp, v3_host_application_iid>();
    t.query_interface = [](void* o, const v3_tuid iid, void** out) {
        HostApplication* app = self<HostApplication>(o);
        if (out && app->loop && v3_tuid_match(iid, v3_run_loop_iid)) {
            *out = app->loop;
            return static_cast<v3_result>(V3_OK);
        }
        return answer(o, iid, out, v3_host_application_iid);
    };
    t.app.get_name = [](void*, v3_str_128 name) {
        widen(name, 128, "vst3host");
        return static_cast<v3_result>(V3_OK);
    };
    t.app.create_instance = [](void*, v3_tuid, v3_tuid, void** out) {
        if (out) *out = nullptr;
        return static_cast<v3_result>(V3_NOT_IMPLEMENTED);
    };
    return t;
}();

}  // namespace

MemoryStream::MemoryStream() : table(&kStreamTable) {}
MemoryStream::MemoryStream(std::vector<std::uint8_t> data)
    : table(&kStreamTable), bytes(std::move(data)) {}

ParamQueue::ParamQueue(v3_param_id id) : table(&kQueueTable), id(id) {}

ParamChanges::ParamChanges() : table(&kChangesTable) {}

void ParamChanges::add(v3_param_id id, std::int32_t offset, double value) {
    for (auto& q : queues)
        if (q->id == id) {
            q->points.emplace_back(offset, value);
            return;
        }
    queues.emplace_back(new ParamQueue(id));
    queues.back()->points.emplace_back(offset, value);
}

EventList::EventList() : table(&kEventTable) {}

void EventList::noteOn(std::int32_t offset, int channel, int pitch, float velocity) {
    addNote(V3_EVENT_NOTE_ON, &v3_event::note_on, offset, channel, pitch, velocity);
}

void EventList::noteOff(std::int32_t offset, int channel, int pitch, float velocity) {
    addNote(V3_EVENT_NOTE_OFF, &v3_event::note_off, offset, channel, pitch, velocity);
}

template <typename Note>
void EventList::addNote(std::uint16_t type, Note v3_event::*kind, std::int32_t offset, int channel,
                        int pitch, float velocity) {
    v3_event e{};
    e.sample_offset = offset;
    e.type = type;
    Note& note = e.*kind;
    note.channel = static_cast<std::int16_t>(channel);
    note.pitch = static_cast<std::int16_t>(pitch);
    note.velocity = velocity;
    note.note_id = -1;
    events.push_back(e);
}

ComponentHandler::ComponentHandler() : table(&kHandlerTable) {}

std::vector<HostEdit> ComponentHandler::edits() const { return recorded.entries(); }

void ComponentHandler::clear() { recorded.clear(); }

void ComponentHandler::record(HostEdit::Kind kind, v3_param_id id, double value) {
    recorded.add(HostEdit{kind, id, value, std::this_thread::get_id()});
}

HostApplication::HostApplication() : table(&kApplicationTable) {}

RunLoop::RunLoop() : table(&kRunLoopTable) {}

void RunLoop::fire() {
    const std::vector<v3_timer_handler**> now = timers;
    for (v3_timer_handler** handler : now) v3_cpp_obj(handler)->on_timer(handler);
}

std::string narrow(const std::int16_t* text, int size) {
    std::string out;
    for (int i = 0; text && i < size && text[i]; ++i) {
        const auto c = static_cast<std::uint16_t>(text[i]);
        out += static_cast<char>(c < 0x80 ? c : '?');
    }
    return out;
}

void widen(std::int16_t* out, int size, const std::string& text) {
    int i = 0;
    for (; i < size - 1 && i < static_cast<int>(text.size()); ++i)
        out[i] = static_cast<std::int16_t>(
            static_cast<unsigned char>(text[static_cast<std::size_t>(i)]));
    if (size > 0) out[i] = 0;
}

}  // namespace vst3host
