#include "tools/vst3host/Vst3Instance.h"

#include "tools/plughost/NamedParameter.h"

#include <travesty/message.h>

#include <dlfcn.h>

#include <cstring>
#include <sys/stat.h>

namespace vst3host {

namespace {

using EntryProc = bool (*)(void*);
using ExitProc = bool (*)();
using FactoryProc = v3_plugin_factory** (*)();

template <typename T>
T* methods(T** object) {
    return v3_cpp_obj(object);
}

template <typename T>
void release(T**& object) {
    if (object) v3_cpp_obj_unref(object);
    object = nullptr;
}

bool isDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string Vst3Instance::binaryOf(const std::string& bundle) {
    if (!isDirectory(bundle)) return bundle;
    std::string path = bundle;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.rfind(".vst3");
    if (dot != std::string::npos) name.erase(dot);
    return path + "/Contents/x86_64-linux/" + name + ".so";
}

std::unique_ptr<Vst3Instance> Vst3Instance::load(const std::string& bundle, std::string* error) {
    std::unique_ptr<Vst3Instance> instance(new Vst3Instance());
    if (!instance->open(bundle, error)) return nullptr;
    return instance;
}

bool Vst3Instance::open(const std::string& bundle, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    const std::string binary = binaryOf(bundle);
    library_ = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) return fail(std::string("cannot load ") + binary + ": " + dlerror());
    auto entry = reinterpret_cast<EntryProc>(dlsym(library_, "ModuleEntry"));
    auto getFactory = reinterpret_cast<FactoryProc>(dlsym(library_, "GetPluginFactory"));
    if (!entry || !getFactory) return fail("no ModuleEntry or GetPluginFactory");
    if (!entry(library_)) return fail("ModuleEntry failed");
    factory_ = getFactory();
    if (!factory_) return fail("GetPluginFactory answered null");

    v3_factory_info info{};
    if (methods(factory_)->get_factory_info(factory_, &info) == V3_OK) vendor_ = info.vendor;
    v3_plugin_factory_2** factory2 = nullptr;
    v3_cpp_obj_query_interface(factory_, v3_plugin_factory_2_iid, &factory2);
    const std::int32_t count = methods(factory_)->num_classes(factory_);
    for (std::int32_t i = 0; i < count; ++i) {
        ClassInfo c{};
        v3_class_info_2 info2{};
        v3_class_info info1{};
        if (factory2 && v3_cpp_obj(factory2)->get_class_info_2(factory2, i, &info2) == V3_OK) {
            std::memcpy(c.id, info2.class_id, 16);
            c.name = info2.name;
            c.category = info2.category;
            c.subCategories = info2.sub_categories;
            c.vendor = info2.vendor;
            c.version = info2.version;
            c.sdkVersion = info2.sdk_version;
        } else if (methods(factory_)->get_class_info(factory_, i, &info1) == V3_OK) {
            std::memcpy(c.id, info1.class_id, 16);
            c.name = info1.name;
            c.category = info1.category;
        } else {
            continue;
        }
        classes_.push_back(c);
    }
    release(factory2);

    const ClassInfo* module = nullptr;
    for (const ClassInfo& c : classes_)
        if (c.category == "Audio Module Class") {
            module = &c;
            break;
        }
    if (!module) return fail("no audio module class");
    void* made = nullptr;
    if (methods(factory_)->create_instance(factory_, module->id, v3_component_iid, &made) !=
            V3_OK ||
        !made)
        return fail("the factory made no component");
    component_ = static_cast<v3_component**>(made);
    application_.loop = &runLoop_;
    if (v3_cpp_obj_initialize(component_, application_.pointer()) != V3_OK)
        return fail("the component did not initialise");
    if (v3_cpp_obj_query_interface(component_, v3_audio_processor_iid, &processor_) != V3_OK)
        return fail("the component is no audio processor");

    if (v3_cpp_obj_query_interface(component_, v3_edit_controller_iid, &controller_) == V3_OK &&
        controller_) {
        single_ = true;
    } else {
        v3_tuid cid{};
        if (methods(component_)->get_controller_class_id(component_, cid) != V3_OK)
            return fail("no edit controller");
        made = nullptr;
        if (methods(factory_)->create_instance(factory_, cid, v3_edit_controller_iid, &made) !=
                V3_OK ||
            !made)
            return fail("the factory made no edit controller");
        controller_ = static_cast<v3_edit_controller**>(made);
        if (v3_cpp_obj_initialize(controller_, application_.pointer()) != V3_OK)
            return fail("the controller did not initialise");
        if (v3_cpp_obj_query_interface(component_, v3_connection_point_iid, &componentPoint_) ==
                V3_OK &&
            v3_cpp_obj_query_interface(controller_, v3_connection_point_iid, &controllerPoint_) ==
                V3_OK) {
            methods(componentPoint_)->connect(componentPoint_, controllerPoint_);
            methods(controllerPoint_)->connect(controllerPoint_, componentPoint_);
        }
    }
    methods(controller_)->set_component_handler(controller_, handler_.pointer());
    v3_cpp_obj_query_interface(controller_, v3_unit_information_iid, &units_);
    v3_cpp_obj_query_interface(controller_, v3_midi_mapping_iid, &mapping_);
    // The controller starts from the component's state, as hosts do.
    const std::vector<std::uint8_t> initial = state();
    MemoryStream stream(initial);
    methods(controller_)->set_component_state(controller_, stream.pointer());
    return true;
}

Vst3Instance::~Vst3Instance() {
    if (processing_) methods(processor_)->set_processing(processor_, 0);
    if (active_) methods(component_)->set_active(component_, 0);
    if (componentPoint_ && controllerPoint_) {
        methods(componentPoint_)->disconnect(componentPoint_, controllerPoint_);
        methods(controllerPoint_)->disconnect(controllerPoint_, componentPoint_);
    }
    release(componentPoint_);
    release(controllerPoint_);
    release(units_);
    release(mapping_);
    if (controller_) {
        methods(controller_)->set_component_handler(controller_, nullptr);
        if (!single_) v3_cpp_obj_terminate(controller_);
    }
    release(controller_);
    release(processor_);
    if (component_) v3_cpp_obj_terminate(component_);
    release(component_);
    if (library_) {
        if (auto exit = reinterpret_cast<ExitProc>(dlsym(library_, "ModuleExit"))) exit();
        dlclose(library_);
    }
}

std::vector<ParameterInfo> Vst3Instance::parameters() const {
    std::vector<ParameterInfo> list;
    const std::int32_t count = methods(controller_)->get_parameter_count(controller_);
    for (std::int32_t i = 0; i < count; ++i) {
        v3_param_info info{};
        if (methods(controller_)->get_parameter_info(controller_, i, &info) != V3_OK) continue;
        ParameterInfo p;
        p.id = info.param_id;
        p.title = narrow(info.title, 128);
        p.shortTitle = narrow(info.short_title, 128);
        p.units = narrow(info.units, 128);
        p.stepCount = info.step_count;
        p.defaultValue = info.default_normalised_value;
        p.flags = info.flags;
        p.unit = info.unit_id;
        list.push_back(p);
    }
    return list;
}

bool Vst3Instance::findParameter(const std::string& title, v3_param_id& id) const {
    return plughost::findNamedParameter(parameters(), &ParameterInfo::title, title, id);
}

double Vst3Instance::normalised(v3_param_id id) const {
    return methods(controller_)->get_parameter_normalised(controller_, id);
}

std::string Vst3Instance::text(v3_param_id id, double normalised) const {
    v3_str_128 text = {};
    if (methods(controller_)->get_parameter_string_for_value(controller_, id, normalised, text) !=
        V3_OK)
        return std::string();
    return narrow(text, 128);
}

bool Vst3Instance::valueOfText(v3_param_id id, const std::string& text, double& normalised) const {
    v3_str_128 wide = {};
    widen(wide, 128, text);
    return methods(controller_)
               ->get_parameter_value_for_string(controller_, id, wide, &normalised) == V3_OK;
}

bool Vst3Instance::programParameter(ParameterInfo& info) const {
    for (const ParameterInfo& p : parameters())
        if (p.flags & V3_PARAM_PROGRAM_CHANGE) {
            info = p;
            return true;
        }
    return false;
}

std::vector<std::string> Vst3Instance::programNames() const {
    std::vector<std::string> names;
    if (!units_) return names;
    v3_program_list_info list{};
    if (methods(units_)->get_program_list_count(units_) < 1 ||
        methods(units_)->get_program_list_info(units_, 0, &list) != V3_OK)
        return names;
    for (std::int32_t i = 0; i < list.programCount; ++i) {
        v3_str_128 name = {};
        methods(units_)->get_program_name(units_, list.id, i, name);
        names.push_back(narrow(name, 128));
    }
    return names;
}

bool Vst3Instance::bendParameter(v3_param_id& id) const {
    constexpr std::int16_t kPitchBend = 129;
    return mapping_ && methods(mapping_)->get_midi_controller_assignment(mapping_, 0, 0, kPitchBend,
                                                                         &id) == V3_OK;
}

bool Vst3Instance::setup(double rate, int maxBlock, bool doubles) {
    const std::int32_t size = doubles ? V3_SAMPLE_64 : V3_SAMPLE_32;
    if (methods(processor_)->can_process_sample_size(processor_, size) != V3_OK) return false;
    v3_speaker_arrangement mono = V3_SPEAKER_M;
    methods(processor_)->set_bus_arrangements(processor_, nullptr, 0, &mono, 1);
    v3_process_setup setup{};
    setup.process_mode = V3_REALTIME;
    setup.symbolic_sample_size = size;
    setup.max_block_size = maxBlock;
    setup.sample_rate = rate;
    doubles_ = doubles;
    return methods(processor_)->setup_processing(processor_, &setup) == V3_OK;
}

bool Vst3Instance::setActive(bool on) {
    if (on == active_) return true;
    if (!on && processing_) {
        methods(processor_)->set_processing(processor_, 0);
        processing_ = false;
    }
    if (methods(component_)->set_active(component_, on ? 1 : 0) != V3_OK) return false;
    active_ = on;
    if (on) processing_ = methods(processor_)->set_processing(processor_, 1) == V3_OK;
    return true;
}

v3_result Vst3Instance::process(int frames, void** outputs, int channels, ParamChanges* changes,
                                EventList* events, v3_process_context* context) {
    v3_audio_bus_buffers bus{};
    bus.num_channels = channels;
    if (doubles_)
        bus.channel_buffers_64 = reinterpret_cast<double**>(outputs);
    else
        bus.channel_buffers_32 = reinterpret_cast<float**>(outputs);
    v3_process_data data{};
    data.process_mode = V3_REALTIME;
    data.symbolic_sample_size = doubles_ ? V3_SAMPLE_64 : V3_SAMPLE_32;
    data.nframes = frames;
    data.num_output_buses = outputs ? 1 : 0;
    data.outputs = outputs ? &bus : nullptr;
    data.input_params = changes ? changes->pointer() : nullptr;
    data.input_events = events ? events->pointer() : nullptr;
    data.ctx = context;
    return methods(processor_)->process(processor_, &data);
}

std::vector<std::uint8_t> Vst3Instance::state() {
    MemoryStream stream;
    if (methods(component_)->get_state(component_, stream.pointer()) != V3_OK) return {};
    return stream.bytes;
}

v3_result Vst3Instance::setState(const std::vector<std::uint8_t>& bytes, std::int32_t piece) {
    MemoryStream stream(bytes);
    stream.piece = piece;
    const v3_result result = methods(component_)->set_state(component_, stream.pointer());
    if (result != V3_OK) return result;
    stream.position = 0;
    return methods(controller_)->set_component_state(controller_, stream.pointer());
}

v3_result Vst3Instance::setNormalised(v3_param_id id, double normalised) {
    return methods(controller_)->set_parameter_normalised(controller_, id, normalised);
}

}  // namespace vst3host
