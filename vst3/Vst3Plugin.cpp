#include "vst3/Vst3Plugin.h"

#include "framework/KEffect.h"
#include "framework/KFaceState.h"
#include "vst3/Vst3Stream.h"

#include <cmath>
#include <cstring>

namespace KAMO {

namespace {

Vst3Plugin* self(void* face) { return Vst3Face<Vst3Plugin>::of(face); }

}  // namespace

Vst3Plugin* Vst3Plugin::create() {
    auto* plugin = new Vst3Plugin();
    if (plugin->build()) return plugin;
    plugin->unref();
    return nullptr;
}

Vst3Plugin::Vst3Plugin() : controller_(*this) {}

bool Vst3Plugin::build() {
    if (!bridge_.build()) return false;
    bridge_.open();
    parameters_.reset(new Vst3Parameters(bridge_.effect()));
    // The rate and block size come with setupProcessing, before any processing.
    processor_.reset(new Vst3Processor(bridge_, *parameters_));
    controller_.build();
    return true;
}

Vst3Plugin::~Vst3Plugin() {
    controller_.releaseHandler();
    vst3Release(hostContext_);
}

v3_result Vst3Plugin::queryInterface(const v3_tuid iid, void** out) {
    if (!out) return V3_INVALID_ARG;
    *out = nullptr;
    if (offerFace(iid, component_, out, {v3_funknown_iid, v3_plugin_base_iid, v3_component_iid}) ||
        offerFace(iid, processorFace_, out, {v3_audio_processor_iid}) ||
        offerFace(iid, requirements_, out, {v3_process_context_requirements_iid}) ||
        controller_.offer(iid, out))
        return V3_OK;
    return V3_NO_INTERFACE;
}

// --- The effect's host --------------------------------------------------------------

bool Vst3Plugin::hostEdit(KHostBridge::Edit kind, int index, float /*value*/) {
    switch (kind) {
    case KHostBridge::Edit::Begin:
        controller_.queueEdit(Vst3Controller::Edit::Begin, index);
        break;
    case KHostBridge::Edit::Value:
        controller_.queueEdit(Vst3Controller::Edit::Value, index);
        break;
    case KHostBridge::Edit::End:
        controller_.queueEdit(Vst3Controller::Edit::End, index);
        break;
    }
    return true;
}

// --- IComponent ---------------------------------------------------------------------

v3_result Vst3Plugin::initialize(v3_funknown** context) {
    // Hosts that use this object as its own controller may initialise it twice.
    if (initialized_) return V3_OK;
    initialized_ = true;
    if (!context) return V3_OK;
    v3_cpp_obj_ref(context);
    hostContext_ = context;
    v3_host_application** application = nullptr;
    if (v3_cpp_obj_query_interface(context, v3_host_application_iid, &application) == V3_OK &&
        application) {
        v3_str_128 name = {};
        if (vst3Methods(application)->get_name(application, name) == V3_OK) {
            char narrow[128] = {};
            fromUtf16(narrow, sizeof narrow, name);
            if (narrow[0]) bridge_.setHostName(narrow);
        }
        vst3Release(application);
    }
    v3_run_loop** loop = nullptr;
    if (v3_cpp_obj_query_interface(context, v3_run_loop_iid, &loop) == V3_OK && loop) {
        controller_.useRunLoop(loop);
        vst3Release(loop);
    }
    return V3_OK;
}

v3_result Vst3Plugin::terminate() {
    if (!initialized_) return V3_OK;
    initialized_ = false;
    controller_.useRunLoop(nullptr);
    controller_.releaseHandler();
    vst3Release(hostContext_);
    hostContext_ = nullptr;
    return V3_OK;
}

std::int32_t Vst3Plugin::busCount(std::int32_t type, std::int32_t direction) const {
    if (type == V3_AUDIO) return direction == V3_OUTPUT ? 1 : 0;
    if (type == V3_EVENT) return direction == V3_INPUT ? 1 : 0;
    return 0;
}

v3_result Vst3Plugin::busInfo(std::int32_t type, std::int32_t direction, std::int32_t index,
                              v3_bus_info* info) const {
    if (!info || index != 0 || busCount(type, direction) < 1) return V3_INVALID_ARG;
    std::memset(info, 0, sizeof *info);
    info->media_type = type;
    info->direction = direction;
    info->bus_type = V3_MAIN;
    info->flags = V3_DEFAULT_ACTIVE;
    if (type == V3_AUDIO) {
        info->channel_count = bridge_.record()->numOutputs;
        toUtf16(info->bus_name, 128, "Output");
    } else {
        info->channel_count = 1;
        toUtf16(info->bus_name, 128, "MIDI In");
    }
    return V3_OK;
}

v3_result Vst3Plugin::setActive(bool active) {
    if (active == active_) return V3_OK;
    active_ = active;
    if (active)
        bridge_.resume();
    else
        bridge_.suspend();
    return V3_OK;
}

std::vector<unsigned char> Vst3Plugin::stateBytes() { return KFaceState::save(bridge_); }

bool Vst3Plugin::takeState(const unsigned char* bytes, std::size_t size) {
    if (bridge_.takeProgramRecord(bytes, size)) return true;
    return KFaceState::load(bridge_, bytes, size);
}

v3_result Vst3Plugin::setState(v3_bstream** stream) {
    // A stream that goes on beyond today's state is no state of ours.
    const std::size_t longest = KFaceState::longest(effect());
    std::vector<unsigned char> bytes;
    if (!readStream(stream, bytes, longest + 1)) return V3_INVALID_ARG;
    if (bytes.size() > longest || !takeState(bytes.data(), bytes.size())) return V3_FALSE;
    controller_.stateTaken();
    return V3_OK;
}

v3_result Vst3Plugin::getState(v3_bstream** stream) {
    const std::vector<unsigned char> bytes = stateBytes();
    if (bytes.empty()) return V3_FALSE;
    return writeStream(stream, bytes.data(), bytes.size()) ? V3_OK : V3_FALSE;
}

// --- IAudioProcessor ----------------------------------------------------------------

v3_result Vst3Plugin::setBusArrangements(v3_speaker_arrangement* /*inputs*/,
                                         std::int32_t inputCount, v3_speaker_arrangement* outputs,
                                         std::int32_t outputCount) {
    // One mono output, nothing else; hosts then ask what we have instead.
    if (inputCount != 0 || outputCount != 1 || !outputs) return V3_FALSE;
    return outputs[0] == V3_SPEAKER_M ? V3_OK : V3_FALSE;
}

v3_result Vst3Plugin::setupProcessing(const v3_process_setup* setup) {
    if (!setup) return V3_INVALID_ARG;
    if (setup->symbolic_sample_size != V3_SAMPLE_32 && setup->symbolic_sample_size != V3_SAMPLE_64)
        return V3_FALSE;
    if (std::isfinite(setup->sample_rate) && setup->sample_rate > 0.0)
        sampleRate_ = setup->sample_rate;
    if (setup->max_block_size > 0) maxBlock_ = setup->max_block_size;
    processor_->setup(sampleRate_, maxBlock_);
    return V3_OK;
}

v3_result Vst3Plugin::setProcessing(bool on) {
    if (on)
        bridge_.startProcess();
    else
        bridge_.stopProcess();
    return V3_OK;
}

v3_result Vst3Plugin::process(v3_process_data* data) {
    if (!data) return V3_INVALID_ARG;
    if (data->symbolic_sample_size != V3_SAMPLE_32 && data->symbolic_sample_size != V3_SAMPLE_64)
        return V3_INVALID_ARG;
    processor_->process(*data);
    return V3_OK;
}

// --- Tables -------------------------------------------------------------------------

v3_component_cpp Vst3Plugin::makeComponentTable() {
    v3_component_cpp t{};
    Vst3Unknown<Vst3Plugin>::fill(t);
    t.base.initialize = [](void* f, v3_funknown** context) { return self(f)->initialize(context); };
    t.base.terminate = [](void* f) { return self(f)->terminate(); };
    // The controller is this object: hosts find it by asking for its interface.
    t.comp.get_controller_class_id = [](void*, v3_tuid) -> v3_result { return V3_NOT_IMPLEMENTED; };
    t.comp.set_io_mode = [](void*, std::int32_t) -> v3_result { return V3_OK; };
    t.comp.get_bus_count = [](void* f, std::int32_t type, std::int32_t direction) {
        return self(f)->busCount(type, direction);
    };
    t.comp.get_bus_info = [](void* f, std::int32_t type, std::int32_t direction, std::int32_t index,
                             v3_bus_info* info) {
        return self(f)->busInfo(type, direction, index, info);
    };
    t.comp.get_routing_info = [](void*, v3_routing_info*, v3_routing_info*) -> v3_result {
        return V3_NOT_IMPLEMENTED;
    };
    t.comp.activate_bus = [](void* f, std::int32_t type, std::int32_t direction, std::int32_t index,
                             v3_bool) -> v3_result {
        return index == 0 && self(f)->busCount(type, direction) > 0 ? V3_OK : V3_INVALID_ARG;
    };
    t.comp.set_active = [](void* f, v3_bool on) { return self(f)->setActive(on != 0); };
    t.comp.set_state = [](void* f, v3_bstream** s) { return self(f)->setState(s); };
    t.comp.get_state = [](void* f, v3_bstream** s) { return self(f)->getState(s); };
    return t;
}

v3_audio_processor_cpp Vst3Plugin::makeProcessorTable() {
    v3_audio_processor_cpp t{};
    Vst3Unknown<Vst3Plugin>::fill(t);
    t.proc.set_bus_arrangements = [](void* f, v3_speaker_arrangement* in, std::int32_t nIn,
                                     v3_speaker_arrangement* out, std::int32_t nOut) {
        return self(f)->setBusArrangements(in, nIn, out, nOut);
    };
    t.proc.get_bus_arrangement = [](void* f, std::int32_t direction, std::int32_t index,
                                    v3_speaker_arrangement* arrangement) -> v3_result {
        if (!arrangement || direction != V3_OUTPUT || index != 0) return V3_INVALID_ARG;
        *arrangement =
            self(f)->record()->numOutputs == 2 ? (V3_SPEAKER_L | V3_SPEAKER_R) : V3_SPEAKER_M;
        return V3_OK;
    };
    t.proc.can_process_sample_size = [](void*, std::int32_t size) -> v3_result {
        return size == V3_SAMPLE_32 || size == V3_SAMPLE_64 ? V3_OK : V3_FALSE;
    };
    t.proc.get_latency_samples = [](void*) -> std::uint32_t { return 0; };
    t.proc.setup_processing = [](void* f, v3_process_setup* setup) {
        return self(f)->setupProcessing(setup);
    };
    t.proc.set_processing = [](void* f, v3_bool on) { return self(f)->setProcessing(on != 0); };
    t.proc.process = [](void* f, v3_process_data* data) { return self(f)->process(data); };
    t.proc.get_tail_samples = [](void*) -> std::uint32_t { return 0; };
    return t;
}

v3_process_context_requirements_cpp Vst3Plugin::makeRequirementsTable() {
    v3_process_context_requirements_cpp t{};
    Vst3Unknown<Vst3Plugin>::fill(t);
    t.req.get_process_context_requirements = [](void*) -> std::uint32_t {
        return V3_PROCESS_CTX_NEED_PROJECT_TIME | V3_PROCESS_CTX_NEED_BAR_POSITION |
               V3_PROCESS_CTX_NEED_TEMPO | V3_PROCESS_CTX_NEED_TIME_SIG |
               V3_PROCESS_CTX_NEED_TRANSPORT_STATE;
    };
    return t;
}

const v3_component_cpp Vst3Plugin::kComponentTable = makeComponentTable();
const v3_audio_processor_cpp Vst3Plugin::kProcessorTable = makeProcessorTable();
const v3_process_context_requirements_cpp Vst3Plugin::kRequirementsTable = makeRequirementsTable();

}  // namespace KAMO
