#pragma once
// One VST 3 plug-in as a host sees it: the bundle's binary loaded, its
// factory read, and an instance of a class with its controller (the same
// object when the component offers the controller interface, else the
// controller class, connected to the component), initialised with a host
// application and given a component handler.
//
//   auto plugin = vst3host::Vst3Instance::load("build/Murlan.vst3", &error);
//   plugin->setup(48000, 512, false);
//   plugin->setActive(true);
//   plugin->process(frames, outputs, &changes, &events, &context);

#include "tools/vst3host/Vst3HostObjects.h"

#include <travesty/component.h>
#include <travesty/factory.h>
#include <travesty/unit.h>
#include <travesty/view.h>

#include <memory>
#include <string>
#include <vector>

namespace vst3host {

struct ClassInfo {
    std::uint8_t id[16];
    std::string name, category, subCategories, vendor, version, sdkVersion;
};

struct ParameterInfo {
    v3_param_id id = 0;
    std::string title, shortTitle, units;
    int stepCount = 0;
    double defaultValue = 0.0;
    std::int32_t flags = 0;
    std::int32_t unit = 0;
};

class Vst3Instance {
public:
    // The binary of a bundle (Contents/x86_64-linux/NAME.so), or a binary.
    static std::string binaryOf(const std::string& bundle);
    // Loads the bundle and makes an instance of its first audio module
    // class; null with `error` set when anything fails.
    static std::unique_ptr<Vst3Instance> load(const std::string& bundle, std::string* error);
    ~Vst3Instance();
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    const std::vector<ClassInfo>& classes() const { return classes_; }
    std::string factoryVendor() const { return vendor_; }
    bool singleObject() const { return single_; }

    v3_plugin_factory** factory() const { return factory_; }
    v3_component** component() const { return component_; }
    v3_audio_processor** processor() const { return processor_; }
    v3_edit_controller** controller() const { return controller_; }
    v3_unit_information** units() const { return units_; }
    v3_midi_mapping** midiMapping() const { return mapping_; }
    ComponentHandler& handler() { return handler_; }
    // The run loop the host application offers (timers served by fire()).
    RunLoop& runLoop() { return runLoop_; }

    std::vector<ParameterInfo> parameters() const;
    // The id of the parameter titled `title` (letter case ignored), or of
    // the parameter at that index when it is a number; false when none.
    bool findParameter(const std::string& title, v3_param_id& id) const;
    double normalised(v3_param_id id) const;
    std::string text(v3_param_id id, double normalised) const;
    bool valueOfText(v3_param_id id, const std::string& text, double& normalised) const;
    // The parameter flagged as program change, if any.
    bool programParameter(ParameterInfo& info) const;
    std::vector<std::string> programNames() const;
    // The parameter the bend maps to (IMidiMapping), if any.
    bool bendParameter(v3_param_id& id) const;

    bool setup(double rate, int maxBlock, bool doubles);
    bool setActive(bool on);
    // One process call on a mono or stereo output of `frames` samples.
    v3_result process(int frames, void** outputs, int channels, ParamChanges* changes,
                      EventList* events, v3_process_context* context);
    bool usesDoubles() const { return doubles_; }

    // Component state as the plug-in writes it; empty when it fails.
    std::vector<std::uint8_t> state();
    // The component and then the controller (setComponentState) take it.
    v3_result setState(const std::vector<std::uint8_t>& bytes, std::int32_t piece = 0);
    // What the host does when the user picks a program: the controller
    // hears it, the processor gets it in the next block (not sent here).
    v3_result setNormalised(v3_param_id id, double normalised);

private:
    Vst3Instance() = default;
    bool open(const std::string& bundle, std::string* error);

    void* library_ = nullptr;
    v3_plugin_factory** factory_ = nullptr;
    std::string vendor_;
    std::vector<ClassInfo> classes_;
    RunLoop runLoop_;
    HostApplication application_;
    ComponentHandler handler_;
    v3_component** component_ = nullptr;
    v3_audio_processor** processor_ = nullptr;
    v3_edit_controller** controller_ = nullptr;
    v3_unit_information** units_ = nullptr;
    v3_midi_mapping** mapping_ = nullptr;
    v3_connection_point** componentPoint_ = nullptr;
    v3_connection_point** controllerPoint_ = nullptr;
    bool single_ = false;
    bool doubles_ = false;
    bool active_ = false;
    bool processing_ = false;
};

}  // namespace vst3host
