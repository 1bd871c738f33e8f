#pragma once
// One instance of an LV2 plug-in driven the way a host drives it: control
// ports in buffers of their own (starting at the defaults), one event input
// filled per run with MIDI, transport positions or any atom, one audio
// output, and the state extension both through lilv and directly.
//
//   auto instance = lv2host::Lv2Instance::create(world, plugin, 48000, 512, &error);
//   instance->setControl("mainlvl", -6);
//   instance->activate();
//   instance->addMidi(0, {0x90, 60, 100});
//   instance->run(512);   // instance->output() holds 512 samples

#include "tools/lv2host/Lv2World.h"

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace lv2host {

// One time:Position, in the host's terms (beats of the beat unit).
struct Lv2Position {
    std::int64_t frame = 0;
    float speed = 1.0f;
    double beatsPerMinute = 120.0;
    // The time vocabulary's tempo is a float, which is what most hosts send;
    // a double carries a song's tempo (from microseconds per quarter) exactly.
    bool tempoAsDouble = false;
    float beatsPerBar = 4.0f;
    std::int32_t beatUnit = 4;
    std::int64_t bar = 0;
    float barBeat = 0.0f;
    double beat = 0.0;
    bool withBeat = true;  // false: leave out time:beat, as some hosts do
};

class Lv2Instance {
public:
    static constexpr std::uint32_t kEventBytes = 1 << 16;

    static std::unique_ptr<Lv2Instance> create(Lv2World& world, const LilvPlugin* plugin,
                                               double rate, int maxBlock,
                                               std::string* error = nullptr);
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    const LilvPlugin* plugin() const { return plugin_; }
    LilvInstance* instance() const { return instance_; }
    Lv2World& world() const { return world_; }

    // Port index of `symbol`, or -1.
    int portIndex(const std::string& symbol) const;
    bool isControlInput(int port) const;
    const std::vector<int>& controlPorts() const { return controls_; }
    void setControl(int port, float value);
    bool setControl(const std::string& symbol, float value);
    float control(int port) const;

    void activate();
    void deactivate();

    // Events for the next run, in time order.
    void addMidi(std::uint32_t frame, std::initializer_list<std::uint8_t> bytes);
    void addPosition(std::uint32_t frame, const Lv2Position& position);
    void addAtom(std::uint32_t frame, LV2_URID type, const void* body, std::uint32_t size);
    // Runs `frames` frames (at most the maximum block) and empties the events.
    void run(std::uint32_t frames);
    const float* output() const { return output_.data(); }

    // The plug-in's state through lilv (ports and the state extension).
    LilvState* saveState();
    // Restores `state`, setting the control ports it holds.
    void restoreState(const LilvState* state);
    // The state extension itself, or null.
    const LV2_State_Interface* stateInterface() const;
    LV2_Handle handle() const;

private:
    Lv2Instance(Lv2World& world, const LilvPlugin* plugin);
    void restartEvents();

    Lv2World& world_;
    const LilvPlugin* plugin_;
    LilvInstance* instance_ = nullptr;
    bool active_ = false;
    int maxBlock_ = 0;
    std::vector<float> values_;  // one per port; control inputs are read
    std::vector<int> controls_;
    std::vector<std::string> symbols_;
    int eventPort_ = -1;
    int outputPort_ = -1;
    std::vector<float> output_;
    std::vector<std::uint64_t> eventBuffer_;  // 8-byte aligned atoms
    LV2_Atom_Forge forge_;
    LV2_Atom_Forge_Frame sequence_;
    std::int32_t maxBlockOption_ = 0;
    std::vector<LV2_Options_Option> options_;
    LV2_Feature mapFeature_, unmapFeature_, optionsFeature_;
    std::vector<const LV2_Feature*> features_;
};

}  // namespace lv2host
