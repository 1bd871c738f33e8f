// The LV2 binary's only exported symbols: the plug-in and UI descriptors.
// Everything else is built with hidden visibility. Nothing may unwind into
// the host, so every entry stops every exception.

#include "lv2/Lv2Plugin.h"
#include "lv2/Lv2Ui.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>

#include <cstring>

#define MURLAN_EXPORT __attribute__((visibility("default")))

namespace {

using KAMO::Lv2Plugin;
using KAMO::Lv2Ui;

Lv2Plugin* plugin(LV2_Handle handle) { return static_cast<Lv2Plugin*>(handle); }
Lv2Ui* ui(LV2UI_Handle handle) { return static_cast<Lv2Ui*>(handle); }

// Runs `body` and answers what it answers, or `failed` when it throws.
template <typename Result, typename Body>
Result guarded(Result failed, Body body) {
    try {
        return body();
    } catch (...) {
        return failed;
    }
}

// Runs `body`; an exception ends there.
template <typename Body>
void guarded(Body body) {
    try {
        body();
    } catch (...) {
    }
}

LV2_Handle instantiate(const LV2_Descriptor* /*descriptor*/, double rate, const char* /*bundle*/,
                       const LV2_Feature* const* features) {
    return guarded<LV2_Handle>(nullptr, [&] { return Lv2Plugin::create(rate, features); });
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    plugin(handle)->connectPort(port, data);
}

void activate(LV2_Handle handle) {
    guarded([&] { plugin(handle)->activate(); });
}

void run(LV2_Handle handle, uint32_t frames) {
    guarded([&] { plugin(handle)->run(frames); });
}

void deactivate(LV2_Handle handle) {
    guarded([&] { plugin(handle)->deactivate(); });
}

void cleanup(LV2_Handle handle) {
    guarded([&] { delete plugin(handle); });
}

LV2_State_Status saveState(LV2_Handle handle, LV2_State_Store_Function store,
                           LV2_State_Handle state, uint32_t /*flags*/,
                           const LV2_Feature* const* /*features*/) {
    return guarded(LV2_STATE_ERR_UNKNOWN, [&] { return plugin(handle)->save(store, state); });
}

LV2_State_Status restoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle state, uint32_t /*flags*/,
                              const LV2_Feature* const* /*features*/) {
    return guarded(LV2_STATE_ERR_UNKNOWN, [&] { return plugin(handle)->restore(retrieve, state); });
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface state = {saveState, restoreState};
    if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &state;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {KAMO::kLv2PluginUri, instantiate, connectPort,  activate, run,
                                    deactivate,          cleanup,     extensionData};

// --- UI -----------------------------------------------------------------------------

LV2UI_Handle instantiateUi(const LV2UI_Descriptor* /*descriptor*/, const char* pluginUri,
                           const char* /*bundle*/, LV2UI_Write_Function write,
                           LV2UI_Controller controller, LV2UI_Widget* widget,
                           const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, KAMO::kLv2PluginUri) != 0) return nullptr;
    return guarded<LV2UI_Handle>(
        nullptr, [&] { return Lv2Ui::create(write, controller, widget, features); });
}

void cleanupUi(LV2UI_Handle handle) {
    guarded([&] { delete ui(handle); });
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    guarded([&] { ui(handle)->portEvent(port, size, format, buffer); });
}

int idleUi(LV2UI_Handle handle) {
    return guarded(1, [&] { return ui(handle)->idle(); });
}

const void* uiExtensionData(const char* uri) {
    static const LV2UI_Idle_Interface idle = {idleUi};
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
    return nullptr;
}

const LV2UI_Descriptor kUiDescriptor = {KAMO::kLv2UiUri, instantiateUi, cleanupUi, portEvent,
                                        uiExtensionData};

}  // namespace

extern "C" MURLAN_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

extern "C" MURLAN_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kUiDescriptor : nullptr;
}
