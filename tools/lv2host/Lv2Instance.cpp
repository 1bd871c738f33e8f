#include "tools/lv2host/Lv2Instance.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cmath>

namespace lv2host {

Lv2Instance::Lv2Instance(Lv2World& world, const LilvPlugin* plugin)
    : world_(world), plugin_(plugin) {}

std::unique_ptr<Lv2Instance> Lv2Instance::create(Lv2World& world, const LilvPlugin* plugin,
                                                 double rate, int maxBlock, std::string* error) {
    if (!plugin || maxBlock < 1) {
        if (error) *error = "no plug-in or no block size";
        return nullptr;
    }
    std::unique_ptr<Lv2Instance> self(new Lv2Instance(world, plugin));
    Lv2Instance& s = *self;
    s.maxBlock_ = maxBlock;
    s.maxBlockOption_ = maxBlock;
    const LV2_URID atomInt = world.map(LV2_ATOM__Int);
    s.options_ = {
        {LV2_OPTIONS_INSTANCE, 0, world.map(LV2_BUF_SIZE__maxBlockLength), sizeof(std::int32_t),
         atomInt, &s.maxBlockOption_},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    s.mapFeature_ = {LV2_URID__map, world.mapFeature()};
    s.unmapFeature_ = {LV2_URID__unmap, world.unmapFeature()};
    s.optionsFeature_ = {LV2_OPTIONS__options, s.options_.data()};
    s.features_ = {&s.mapFeature_, &s.unmapFeature_, &s.optionsFeature_, nullptr};

    const uint32_t ports = lilv_plugin_get_num_ports(plugin);
    s.values_.assign(ports, 0.0f);
    s.symbols_.resize(ports);
    std::vector<float> defaults(ports, NAN);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    LilvNode* control = world.node(LV2_CORE__ControlPort);
    LilvNode* input = world.node(LV2_CORE__InputPort);
    LilvNode* audio = world.node(LV2_CORE__AudioPort);
    LilvNode* output = world.node(LV2_CORE__OutputPort);
    LilvNode* atom = world.node(LV2_ATOM__AtomPort);
    for (uint32_t i = 0; i < ports; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        s.symbols_[i] = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        if (lilv_port_is_a(plugin, port, control) && lilv_port_is_a(plugin, port, input)) {
            s.controls_.push_back(static_cast<int>(i));
            s.values_[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
        } else if (lilv_port_is_a(plugin, port, atom) && lilv_port_is_a(plugin, port, input)) {
            s.eventPort_ = static_cast<int>(i);
        } else if (lilv_port_is_a(plugin, port, audio) && lilv_port_is_a(plugin, port, output)) {
            s.outputPort_ = static_cast<int>(i);
        }
    }
    s.instance_ = lilv_plugin_instantiate(plugin, rate, s.features_.data());
    if (!s.instance_) {
        if (error) *error = "the plug-in refused to instantiate";
        return nullptr;
    }
    s.output_.assign(static_cast<std::size_t>(maxBlock), 0.0f);
    s.eventBuffer_.assign(kEventBytes / sizeof(std::uint64_t), 0);
    lv2_atom_forge_init(&s.forge_, world.mapFeature());
    for (uint32_t i = 0; i < ports; ++i) {
        void* data = nullptr;
        if (static_cast<int>(i) == s.eventPort_)
            data = s.eventBuffer_.data();
        else if (static_cast<int>(i) == s.outputPort_)
            data = s.output_.data();
        else
            data = &s.values_[i];
        lilv_instance_connect_port(s.instance_, i, data);
    }
    s.restartEvents();
    return self;
}

Lv2Instance::~Lv2Instance() {
    if (!instance_) return;
    if (active_) lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

int Lv2Instance::portIndex(const std::string& symbol) const {
    for (std::size_t i = 0; i < symbols_.size(); ++i)
        if (symbols_[i] == symbol) return static_cast<int>(i);
    return -1;
}

bool Lv2Instance::isControlInput(int port) const {
    return std::find(controls_.begin(), controls_.end(), port) != controls_.end();
}

void Lv2Instance::setControl(int port, float value) {
    if (isControlInput(port)) values_[static_cast<std::size_t>(port)] = value;
}

bool Lv2Instance::setControl(const std::string& symbol, float value) {
    const int port = portIndex(symbol);
    if (!isControlInput(port)) return false;
    setControl(port, value);
    return true;
}

float Lv2Instance::control(int port) const {
    return port >= 0 && port < static_cast<int>(values_.size())
               ? values_[static_cast<std::size_t>(port)]
               : 0.0f;
}

void Lv2Instance::activate() {
    if (active_) return;
    lilv_instance_activate(instance_);
    active_ = true;
}

void Lv2Instance::deactivate() {
    if (!active_) return;
    lilv_instance_deactivate(instance_);
    active_ = false;
}

void Lv2Instance::restartEvents() {
    lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<std::uint8_t*>(eventBuffer_.data()),
                              kEventBytes);
    lv2_atom_forge_sequence_head(&forge_, &sequence_, 0);
}

void Lv2Instance::addMidi(std::uint32_t frame, std::initializer_list<std::uint8_t> bytes) {
    std::vector<std::uint8_t> body(bytes);
    addAtom(frame, world_.map(LV2_MIDI__MidiEvent), body.data(),
            static_cast<std::uint32_t>(body.size()));
}

void Lv2Instance::addAtom(std::uint32_t frame, LV2_URID type, const void* body,
                          std::uint32_t size) {
    lv2_atom_forge_frame_time(&forge_, frame);
    lv2_atom_forge_atom(&forge_, size, type);
    lv2_atom_forge_write(&forge_, body, size);
}

void Lv2Instance::addPosition(std::uint32_t frame, const Lv2Position& p) {
    Lv2World& w = world_;
    lv2_atom_forge_frame_time(&forge_, frame);
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_object(&forge_, &object, 0, w.map(LV2_TIME__Position));
    lv2_atom_forge_key(&forge_, w.map(LV2_TIME__frame));
    lv2_atom_forge_long(&forge_, p.frame);
    lv2_atom_forge_key(&forge_, w.map(LV2_TIME__speed));
    lv2_atom_forge_float(&forge_, p.speed);
    lv2_atom_forge_key(&forge_, w.map(LV2_TIME__beatsPerMinute));
    if (p.tempoAsDouble)
        lv2_atom_forge_double(&forge_, p.beatsPerMinute);
    else
        lv2_atom_forge_float(&forge_, static_cast<float>(p.beatsPerMinute));
    lv2_atom_forge_key(&forge_, w.map(LV2_TIME__beatsPerBar));
    lv2_atom_forge_float(&forge_, p.beatsPerBar);
    lv2_atom_forge_key(&forge_, w.map(LV2_TIME__beatUnit));
    lv2_atom_forge_int(&forge_, p.beatUnit);
    lv2_atom_forge_key(&forge_, w.map(LV2_TIME__bar));
    lv2_atom_forge_long(&forge_, p.bar);
    lv2_atom_forge_key(&forge_, w.map(LV2_TIME__barBeat));
    lv2_atom_forge_float(&forge_, p.barBeat);
    if (p.withBeat) {
        lv2_atom_forge_key(&forge_, w.map(LV2_TIME__beat));
        lv2_atom_forge_double(&forge_, p.beat);
    }
    lv2_atom_forge_pop(&forge_, &object);
}

void Lv2Instance::run(std::uint32_t frames) {
    frames = std::min<std::uint32_t>(frames, static_cast<std::uint32_t>(maxBlock_));
    lilv_instance_run(instance_, frames);
    restartEvents();
}

LilvState* Lv2Instance::saveState() {
    return lilv_state_new_from_instance(
        plugin_, instance_, world_.mapFeature(), nullptr, nullptr, nullptr, nullptr,
        [](const char* symbol, void* data, uint32_t* size, uint32_t* type) -> const void* {
            auto* self = static_cast<Lv2Instance*>(data);
            const int port = self->portIndex(symbol);
            if (!self->isControlInput(port)) return nullptr;
            *size = sizeof(float);
            *type = self->world_.map(LV2_ATOM__Float);
            return &self->values_[static_cast<std::size_t>(port)];
        },
        this, 0, features_.data());
}

void Lv2Instance::restoreState(const LilvState* state) {
    lilv_state_restore(
        state, instance_,
        [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t type) {
            auto* self = static_cast<Lv2Instance*>(data);
            const int port = self->portIndex(symbol);
            if (size == sizeof(float) && type == self->world_.map(LV2_ATOM__Float))
                self->setControl(port, *static_cast<const float*>(value));
        },
        this, 0, features_.data());
}

const LV2_State_Interface* Lv2Instance::stateInterface() const {
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
}

LV2_Handle Lv2Instance::handle() const { return lilv_instance_get_handle(instance_); }

}  // namespace lv2host
