#include "vst3/Vst3Controller.h"

#include "framework/KEffect.h"
#include "vst3/Vst3Parameters.h"
#include "vst3/Vst3Plugin.h"
#include "vst3/Vst3Stream.h"
#include "vst3/Vst3View.h"

#include <cmath>
#include <cstring>

namespace KAMO {

namespace {

constexpr std::int16_t kPitchBendController = 129;
constexpr const char* kEditorViewName = "editor";

Vst3Controller* self(void* face) { return Vst3Face<Vst3Controller>::of(face); }

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

Vst3Controller::Vst3Controller(Vst3Plugin& plugin) : plugin_(plugin) {}

Vst3Controller::~Vst3Controller() {
    useRunLoop(nullptr);
    releaseHandler();
}

void Vst3Controller::useRunLoop(v3_run_loop** loop) {
    auto* handler = reinterpret_cast<v3_timer_handler**>(timer_.pointer());
    if (loop_) {
        vst3Methods(loop_)->unregister_timer(loop_, handler);
        vst3Release(loop_);
        loop_ = nullptr;
    }
    if (!loop) return;
    v3_cpp_obj_ref(loop);
    loop_ = loop;
    vst3Methods(loop_)->register_timer(loop_, handler, Vst3View::kTickMs);
}

std::uint32_t Vst3Controller::ref() { return plugin_.ref(); }
std::uint32_t Vst3Controller::unref() { return plugin_.unref(); }
v3_result Vst3Controller::queryInterface(const v3_tuid iid, void** out) {
    return plugin_.queryInterface(iid, out);
}

void Vst3Controller::build() {
    grabbed_.assign(static_cast<std::size_t>(plugin_.parameters().effectCount()), false);
    shownProgram_ = plugin_.effect().getProgram();
    edits_.reserve(256);
    sending_.reserve(256);
}

bool Vst3Controller::offer(const v3_tuid iid, void** out) {
    return offerFace(iid, controller_, out, {v3_edit_controller_iid}) ||
           offerFace(iid, units_, out, {v3_unit_information_iid}) ||
           offerFace(iid, mapping_, out, {v3_midi_mapping_iid});
}

void Vst3Controller::releaseHandler() {
    vst3Release(handler_);
    handler_ = nullptr;
}

double Vst3Controller::currentValue(v3_param_id id) {
    KEffect& effect = plugin_.effect();
    if (id == Vst3Parameters::kProgramId)
        return plugin_.parameters().programValue(effect.getProgram());
    if (id == Vst3Parameters::kBendId) return plugin_.processor().bend();
    const KEffectParameter* p = effect.parameter(static_cast<int>(id));
    const void* slot = effect.programBank().valueSlot(effect.getProgram(), static_cast<int>(id));
    return p && slot ? p->getConfinedValue(slot) : 0.0;
}

// --- Edits the host hears of ------------------------------------------------------

void Vst3Controller::queueEdit(Edit kind, int index) {
    if (!isViewOpen() || index < 0 || index >= static_cast<int>(grabbed_.size())) return;
    std::lock_guard<std::mutex> lock(editsMutex_);
    edits_.push_back(QueuedEdit{kind, index});
}

void Vst3Controller::send(int index, bool inGesture) {
    Vst3Processor& processor = plugin_.processor();
    const double value = currentValue(static_cast<v3_param_id>(index));
    if (sameBits(value, processor.hostValue(index))) return;
    processor.setHostValue(index, value);
    if (!handler_) return;
    const auto id = static_cast<v3_param_id>(index);
    if (!inGesture) vst3Methods(handler_)->begin_edit(handler_, id);
    vst3Methods(handler_)->perform_edit(handler_, id, value);
    if (!inGesture) vst3Methods(handler_)->end_edit(handler_, id);
}

void Vst3Controller::restart(std::int32_t flags) {
    if (handler_) vst3Methods(handler_)->restart_component(handler_, flags);
}

void Vst3Controller::refreshHostValues() {
    Vst3Processor& processor = plugin_.processor();
    for (int i = 0; i < plugin_.parameters().effectCount(); ++i)
        processor.setHostValue(i, currentValue(static_cast<v3_param_id>(i)));
    shownProgram_ = plugin_.effect().getProgram();
}

void Vst3Controller::stateTaken() {
    refreshHostValues();
    plugin_.processor().setHostProgram(shownProgram_);
    requestValuesRestart();
}

void Vst3Controller::tick() {
    if (valuesMoved_.exchange(false, std::memory_order_relaxed))
        restart(V3_RESTART_PARAM_VALUES_CHANGED);
    // The editor's notices come in first (the effect hands them over in its
    // idle), so a value is never sent ahead of the begin of its gesture.
    plugin_.bridge().idleEditor();
    sendQueued();

    Vst3Processor& processor = plugin_.processor();
    const int program = plugin_.effect().getProgram();
    if (program != shownProgram_) {
        // The values that came with the program are no edits: the host
        // reads them all again.
        if (program != processor.hostProgram()) {
            processor.setHostProgram(program);
            if (handler_) {
                const v3_param_id id = Vst3Parameters::kProgramId;
                const double value = plugin_.parameters().programValue(program);
                vst3Methods(handler_)->begin_edit(handler_, id);
                vst3Methods(handler_)->perform_edit(handler_, id, value);
                vst3Methods(handler_)->end_edit(handler_, id);
            }
        }
        refreshHostValues();
        restart(V3_RESTART_PARAM_VALUES_CHANGED);
    }
}

void Vst3Controller::sendQueued() {
    {
        std::lock_guard<std::mutex> lock(editsMutex_);
        sending_.swap(edits_);
    }
    for (const QueuedEdit& edit : sending_) {
        const auto id = static_cast<v3_param_id>(edit.index);
        switch (edit.kind) {
        case Edit::Begin:
            if (grabbed_[edit.index]) break;
            grabbed_[edit.index] = true;
            if (handler_) vst3Methods(handler_)->begin_edit(handler_, id);
            break;
        case Edit::Value:
            send(edit.index, grabbed_[edit.index]);
            break;
        case Edit::End:
            send(edit.index, grabbed_[edit.index]);
            if (!grabbed_[edit.index]) break;
            grabbed_[edit.index] = false;
            if (handler_) vst3Methods(handler_)->end_edit(handler_, id);
            break;
        }
    }
    sending_.clear();
}

void Vst3Controller::closeEdits() {
    sendQueued();
    for (std::size_t i = 0; i < grabbed_.size(); ++i) {
        if (!grabbed_[i]) continue;
        send(static_cast<int>(i), true);
        grabbed_[i] = false;
        if (handler_) vst3Methods(handler_)->end_edit(handler_, static_cast<v3_param_id>(i));
    }
    setViewOpen(false);
}

// --- IEditController --------------------------------------------------------------

v3_result Vst3Controller::setComponentState(v3_bstream** stream) {
    // The component is this object: its state is ours already unless the
    // host hands the controller another one.
    std::vector<unsigned char> bytes;
    if (!readStream(stream, bytes, plugin_.stateBytes().size() + 1)) return V3_INVALID_ARG;
    if (bytes == plugin_.stateBytes()) {
        stateTaken();
        return V3_OK;
    }
    if (!plugin_.takeState(bytes.data(), bytes.size())) return V3_FALSE;
    stateTaken();
    return V3_OK;
}

v3_result Vst3Controller::stringForValue(v3_param_id id, double normalised, std::int16_t* out) {
    char text[128] = {};
    if (!out || !plugin_.parameters().text(id, normalised, text, sizeof text)) return V3_FALSE;
    toUtf16(out, 128, text);
    return V3_OK;
}

v3_result Vst3Controller::valueForString(v3_param_id id, const std::int16_t* text, double* out) {
    if (!text || !out) return V3_INVALID_ARG;
    char narrow[128] = {};
    fromUtf16(narrow, sizeof narrow, text);
    double value = 0.0;
    if (!plugin_.parameters().valueOfText(id, narrow, value)) return V3_FALSE;
    *out = value;
    return V3_OK;
}

v3_result Vst3Controller::setNormalised(v3_param_id id, double normalised) {
    if (std::isnan(normalised) || !plugin_.parameters().isKnown(id)) return V3_INVALID_ARG;
    Vst3Processor& processor = plugin_.processor();
    const int before = plugin_.effect().getProgram();
    processor.apply(id, normalised);
    if (id == Vst3Parameters::kProgramId && plugin_.effect().getProgram() != before) {
        refreshHostValues();
        requestValuesRestart();
    }
    return V3_OK;
}

v3_result Vst3Controller::setHandler(v3_component_handler** handler) {
    if (handler == handler_) return V3_OK;
    if (handler) v3_cpp_obj_ref(handler);
    releaseHandler();
    handler_ = handler;
    return V3_OK;
}

v3_plugin_view** Vst3Controller::createView(const char* name) {
    if (!name || std::strcmp(name, kEditorViewName) != 0) return nullptr;
    return Vst3View::create(plugin_);
}

// --- IUnitInfo --------------------------------------------------------------------

v3_result Vst3Controller::unitInfo(std::int32_t index, v3_unit_info* info) {
    return info ? plugin_.parameters().unitInfo(index, *info) : V3_INVALID_ARG;
}

v3_result Vst3Controller::programListInfo(std::int32_t index, v3_program_list_info* info) {
    if (index != 0 || !info) return V3_INVALID_ARG;
    std::memset(info, 0, sizeof *info);
    info->id = Vst3Parameters::kProgramListId;
    toUtf16(info->name, 128, "Programs");
    info->programCount = plugin_.parameters().programCount();
    return V3_OK;
}

v3_result Vst3Controller::programName(std::int32_t list, std::int32_t program, std::int16_t* name) {
    if (list != Vst3Parameters::kProgramListId || !name || program < 0 ||
        program >= plugin_.parameters().programCount())
        return V3_INVALID_ARG;
    char text[kVstMaxProgNameLen + 1] = {};
    plugin_.effect().getProgramNameIndexed(0, program, text);
    toUtf16(name, 128, text);
    return V3_OK;
}

// --- Tables -----------------------------------------------------------------------

v3_edit_controller_cpp Vst3Controller::makeControllerTable() {
    v3_edit_controller_cpp t{};
    Vst3Unknown<Vst3Controller>::fill(t);
    // The component's initialize and terminate serve both halves.
    t.base.initialize = [](void*, v3_funknown**) -> v3_result { return V3_OK; };
    t.base.terminate = [](void*) -> v3_result { return V3_OK; };
    t.ctrl.set_component_state = [](void* f, v3_bstream** s) {
        return self(f)->setComponentState(s);
    };
    // The controller keeps nothing of its own beyond the component's state.
    t.ctrl.set_state = [](void*, v3_bstream**) -> v3_result { return V3_OK; };
    t.ctrl.get_state = [](void*, v3_bstream**) -> v3_result { return V3_OK; };
    t.ctrl.get_parameter_count = [](void* f) -> std::int32_t {
        return self(f)->plugin_.parameters().count();
    };
    t.ctrl.get_parameter_info = [](void* f, std::int32_t index, v3_param_info* info) {
        return info ? self(f)->plugin_.parameters().info(index, *info) : V3_INVALID_ARG;
    };
    t.ctrl.get_parameter_string_for_value = [](void* f, v3_param_id id, double v, v3_str_128 out) {
        return self(f)->stringForValue(id, v, out);
    };
    t.ctrl.get_parameter_value_for_string = [](void* f, v3_param_id id, std::int16_t* in,
                                               double* out) {
        return self(f)->valueForString(id, in, out);
    };
    t.ctrl.normalised_parameter_to_plain = [](void* f, v3_param_id id, double v) {
        return self(f)->plugin_.parameters().plain(id, v);
    };
    t.ctrl.plain_parameter_to_normalised = [](void* f, v3_param_id id, double v) {
        return self(f)->plugin_.parameters().normalisedOf(id, v);
    };
    t.ctrl.get_parameter_normalised = [](void* f, v3_param_id id) {
        return self(f)->currentValue(id);
    };
    t.ctrl.set_parameter_normalised = [](void* f, v3_param_id id, double v) {
        return self(f)->setNormalised(id, v);
    };
    t.ctrl.set_component_handler = [](void* f, v3_component_handler** h) {
        return self(f)->setHandler(h);
    };
    t.ctrl.create_view = [](void* f, const char* name) { return self(f)->createView(name); };
    return t;
}

v3_unit_information_cpp Vst3Controller::makeUnitTable() {
    v3_unit_information_cpp t{};
    Vst3Unknown<Vst3Controller>::fill(t);
    t.unit.get_unit_count = [](void* f) -> std::int32_t {
        return self(f)->plugin_.parameters().unitCount();
    };
    t.unit.get_unit_info = [](void* f, std::int32_t i, v3_unit_info* info) {
        return self(f)->unitInfo(i, info);
    };
    t.unit.get_program_list_count = [](void*) -> std::int32_t { return 1; };
    t.unit.get_program_list_info = [](void* f, std::int32_t i, v3_program_list_info* info) {
        return self(f)->programListInfo(i, info);
    };
    t.unit.get_program_name = [](void* f, std::int32_t list, std::int32_t i, v3_str_128 name) {
        return self(f)->programName(list, i, name);
    };
    t.unit.get_program_info = [](void*, std::int32_t, std::int32_t, const char*,
                                 v3_str_128) -> v3_result { return V3_FALSE; };
    t.unit.has_program_pitch_names = [](void*, std::int32_t, std::int32_t) -> v3_result {
        return V3_FALSE;
    };
    t.unit.get_program_pitch_name = [](void*, std::int32_t, std::int32_t, std::int16_t,
                                       v3_str_128) -> v3_result { return V3_FALSE; };
    t.unit.get_selected_unit = [](void*) -> std::int32_t { return Vst3Parameters::kRootUnit; };
    t.unit.select_unit = [](void* f, std::int32_t unit) -> v3_result {
        return unit >= 0 && unit < self(f)->plugin_.parameters().unitCount() ? V3_OK
                                                                             : V3_INVALID_ARG;
    };
    t.unit.get_unit_by_bus = [](void*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                std::int32_t* unit) -> v3_result {
        if (!unit) return V3_INVALID_ARG;
        *unit = Vst3Parameters::kRootUnit;
        return V3_OK;
    };
    t.unit.set_unit_program_data = [](void*, std::int32_t, std::int32_t,
                                      v3_bstream**) -> v3_result { return V3_NOT_IMPLEMENTED; };
    return t;
}

v3_midi_mapping_cpp Vst3Controller::makeMappingTable() {
    v3_midi_mapping_cpp t{};
    Vst3Unknown<Vst3Controller>::fill(t);
    // Only the bend: it is the one controller message the effect plays.
    t.map.get_midi_controller_assignment = [](void*, std::int32_t bus, std::int16_t,
                                              std::int16_t controller,
                                              v3_param_id* id) -> v3_result {
        if (bus != 0 || controller != kPitchBendController || !id) return V3_FALSE;
        *id = Vst3Parameters::kBendId;
        return V3_OK;
    };
    return t;
}

v3_timer_handler_cpp Vst3Controller::makeTimerTable() {
    v3_timer_handler_cpp t{};
    Vst3Unknown<Vst3Controller>::fill(t);
    // The timer is a handler of its own, not one of the component's faces.
    t.query_interface = [](void* f, const v3_tuid iid, void** out) -> v3_result {
        if (!out) return V3_INVALID_ARG;
        if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_timer_handler_iid)) {
            self(f)->ref();
            *out = f;
            return V3_OK;
        }
        *out = nullptr;
        return V3_NO_INTERFACE;
    };
    t.timer.on_timer = [](void* f) { self(f)->tick(); };
    return t;
}

const v3_edit_controller_cpp Vst3Controller::kControllerTable = makeControllerTable();
const v3_unit_information_cpp Vst3Controller::kUnitTable = makeUnitTable();
const v3_midi_mapping_cpp Vst3Controller::kMappingTable = makeMappingTable();
const v3_timer_handler_cpp Vst3Controller::kTimerTable = makeTimerTable();

}  // namespace KAMO
