#pragma once
// The LV2 face of the editor: an X11 UI embedded in the host's parent
// window. The editor needs an effect to show and edit; the UI builds one of
// its own through the same factory as the plug-in (the editor's model) and
// keeps it in step with the host's control ports:
//   - port_event from the host sets the model's parameter;
//   - the editor's edits reach the UI through the bridge (begin, value and
//     end of a gesture), and become port writes and ui:touch
//     notifications; anything else that changes the model is found by
//     comparing it with the ports at each idle.
// The editor edits on its window thread, but LV2 allows writes only on the
// host's UI thread: the bridge delivers the edits at the editor's idle,
// which the UI's idle drives, so they arrive here on the host's thread.
//
// Why a model of its own rather than the plug-in instance itself
// (instance-access): it works in every host, including those that keep the
// UI in another process or do not offer instance-access, and all traffic
// goes through the ports the host records and automates.

#include "framework/KHostBridge.h"
#include "lv2/Lv2ControlPorts.h"
#include "lv2/Lv2Uris.h"
#include "shell/Vst2.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <memory>
#include <vector>

struct _XDisplay;

namespace KAMO {

class KEffect;

class Lv2Ui final : private KHostBridge::Listener {
public:
    // Null without ui:parent, without an editor or when it cannot open.
    static Lv2Ui* create(LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features);
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;

    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // Sends what the editor did since the last idle; 0 while the UI lives.
    int idle();

private:
    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller);
    bool open(unsigned long parent, const LV2_Feature* const* features);
    bool hostEdit(KHostBridge::Edit kind, int index, float value) override;
    // Writes the model's value of `index` when the host does not have it yet.
    void send(int index);
    // The window the editor's thread made, waiting a bounded time for it.
    unsigned long editorWindow();

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Resize* resize_ = nullptr;
    const LV2UI_Touch* touch_ = nullptr;
    std::unique_ptr<Lv2ControlPorts> ports_;
    // The value the host was last told of, or told us, per port.
    std::vector<float> known_;
    // Ports held by a gesture: the host's echo of older values is not
    // allowed to pull the knob back while it is dragged.
    std::vector<bool> grabbed_;
    // Last, so that it goes first: the editor's last edits, delivered as
    // it closes, still find the ports.
    KHostBridge bridge_{"LV2 host", this};
};

}  // namespace KAMO
