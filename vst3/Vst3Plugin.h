#pragma once
// The VST 3 object hosts create from the factory: one object that is the
// component (IComponent, IAudioProcessor) and its edit controller at once,
// over one effect, as a VST 2.4 plug-in is. Hosts ask the component for the
// controller interface and, when it answers, use the same object for both;
// so there is one set of values and no messages between two halves.
//
// Threads: the host's audio thread calls process (Vst3Processor); the
// host's user-interface thread calls everything else. The editor edits the
// effect from its own thread; what the host must hear of it is queued and
// sent from the host's run loop (Vst3Controller).
//
// State: the component's state is the effect's bank image (the bytes of the
// VST 2.4 bank chunk) followed by the current program as a little-endian
// 32-bit number. The bank of an older release (fewer parameters) is taken,
// the others get their defaults; a stream of any other length, or with a
// value outside [0, 1] or a program outside the bank, is refused and
// changes nothing. One program record alone (a preset file's state, as the
// library's .vstpreset files hold) is loaded into the current program, as
// the program's .fxp would be: values and name, the other programs stay.

#include "framework/KHostBridge.h"
#include "vst3/Vst3Com.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Parameters.h"
#include "vst3/Vst3Processor.h"

#include <memory>
#include <vector>

namespace KAMO {

class KEffect;

class Vst3Plugin final : private KHostBridge::Listener {
public:
    // Null when the effect cannot be built.
    static Vst3Plugin* create();

    std::uint32_t ref() { return refs_.ref(); }
    std::uint32_t unref() { return refs_.unref(this); }
    v3_result queryInterface(const v3_tuid iid, void** out);

    KHostBridge& bridge() { return bridge_; }
    KEffect& effect() { return bridge_.effect(); }
    AEffect* record() const { return bridge_.record(); }
    const Vst3Parameters& parameters() const { return *parameters_; }
    Vst3Processor& processor() { return *processor_; }
    Vst3Controller& controller() { return controller_; }

    // The component state, as written by getState and read by setState.
    std::vector<unsigned char> stateBytes();
    // Takes a whole state or nothing; false when refused.
    bool takeState(const unsigned char* bytes, std::size_t size);

    void* componentInterface() { return component_.pointer(); }

private:
    friend class Vst3RefCount<Vst3Plugin>;
    Vst3Plugin();
    ~Vst3Plugin();
    bool build();

    // The editor's edits, on the editor's thread or the run loop's.
    bool hostEdit(KHostBridge::Edit kind, int index, float value) override;

    // --- IComponent ---
    v3_result initialize(v3_funknown** context);
    v3_result terminate();
    std::int32_t busCount(std::int32_t type, std::int32_t direction) const;
    v3_result busInfo(std::int32_t type, std::int32_t direction, std::int32_t index,
                      v3_bus_info* info) const;
    v3_result setActive(bool active);
    v3_result setState(v3_bstream** stream);
    v3_result getState(v3_bstream** stream);
    // --- IAudioProcessor ---
    v3_result setBusArrangements(v3_speaker_arrangement* inputs, std::int32_t inputCount,
                                 v3_speaker_arrangement* outputs, std::int32_t outputCount);
    v3_result setupProcessing(const v3_process_setup* setup);
    v3_result setProcessing(bool on);
    v3_result process(v3_process_data* data);

    static const v3_component_cpp kComponentTable;
    static const v3_audio_processor_cpp kProcessorTable;
    static const v3_process_context_requirements_cpp kRequirementsTable;
    static v3_component_cpp makeComponentTable();
    static v3_audio_processor_cpp makeProcessorTable();
    static v3_process_context_requirements_cpp makeRequirementsTable();

    Vst3RefCount<Vst3Plugin> refs_;
    Vst3Face<Vst3Plugin> component_{&kComponentTable, this};
    Vst3Face<Vst3Plugin> processorFace_{&kProcessorTable, this};
    Vst3Face<Vst3Plugin> requirements_{&kRequirementsTable, this};

    std::unique_ptr<Vst3Parameters> parameters_;
    std::unique_ptr<Vst3Processor> processor_;
    Vst3Controller controller_;
    v3_funknown** hostContext_ = nullptr;
    double sampleRate_ = 44100.0;
    std::int32_t maxBlock_ = 4096;
    bool initialized_ = false;
    bool active_ = false;
    // Told the host's name as IHostApplication gives it. Last, so that it
    // goes first: edits the editor delivers as the effect closes still
    // find the controller.
    KHostBridge bridge_{"VST3 host", this};
};

}  // namespace KAMO
