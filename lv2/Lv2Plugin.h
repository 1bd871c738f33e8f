#pragma once
// The LV2 face of the effect: one instance of the instrument, built by the
// same factory as the VST 2.4 entry and driven through the faces' bridge.
//
// Ports: one control input per parameter (real units), the event input
// (MIDI and transport) and the audio output, numbered as Lv2ControlPorts
// says. A run hands the MIDI of each stretch between two
// transport positions to processEvents with frame offsets as delta frames,
// gives the effect the time of the positions seen (Lv2Transport)
// and renders through the effect's float path, which is its double path
// converted. A control port reaches the effect only when its value changed
// since the last run: the effect may have been edited meanwhile by other
// means (a restored state), and a stale port value must not undo that.

#include "framework/KHostBridge.h"
#include "lv2/Lv2ControlPorts.h"
#include "lv2/Lv2Transport.h"
#include "lv2/Lv2Uris.h"
#include "shell/Vst2.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <memory>
#include <vector>

namespace KAMO {

class KEffect;

class Lv2Plugin {
public:
    // Most MIDI events handed to the effect in one call; a run carrying more
    // is cut into stretches.
    static constexpr int kEventCapacity = KHostBridge::kMidiCapacity;

    // Null when the host lacks urid:map, the effect cannot be built or does
    // not play `sampleRate`.
    static Lv2Plugin* create(double sampleRate, const LV2_Feature* const* features);
    ~Lv2Plugin();
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    int controlCount() const { return ports_->count(); }
    int eventPort() const { return ports_->eventPort(); }
    int outputPort() const { return ports_->outputPort(); }

    void connectPort(uint32_t port, void* data);
    void activate();
    void deactivate();
    void run(uint32_t frames);

    // The bank image (the effect's bank chunk) and the current program.
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    // Takes both or neither: a bank image of the wrong type or length, or
    // holding values that are no stored parameter values, or a program
    // outside the bank, changes nothing.
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    KEffect& effect() { return bridge_.effect(); }

private:
    Lv2Plugin(double sampleRate, const LV2_URID_Map* map);
    bool build();
    void applyControls();
    void readPosition(const LV2_Atom_Object* object);
    void addMidi(const LV2_Atom& body, uint32_t delta);
    void renderStretch(uint32_t from, uint32_t to);

    Lv2Uris uris_;
    double sampleRate_;
    int maxBlock_ = 4096;
    // Edits come only from the host's ports here: the editor talks to an
    // effect of its own (see Lv2Ui), so no listener.
    KHostBridge bridge_{"LV2 host"};
    std::unique_ptr<Lv2ControlPorts> ports_;
    Lv2Transport transport_;

    std::vector<const float*> controls_;
    std::vector<float> lastControls_;
    const LV2_Atom_Sequence* events_ = nullptr;
    float* output_ = nullptr;
};

}  // namespace KAMO
