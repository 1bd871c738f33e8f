#include "lv2/Lv2Ui.h"

#include "framework/KEffect.h"
#include "lv2/GtkEmbedder.h"
#include "shell/AEffEditor.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace KAMO {

Lv2Ui* Lv2Ui::create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                     const LV2_Feature* const* features) {
    const void* parent = lv2Feature(features, LV2_UI__parent);
    if (!write || !parent) return nullptr;
    std::unique_ptr<Lv2Ui> ui(new Lv2Ui(write, controller));
    if (!ui->open(reinterpret_cast<unsigned long>(parent), features)) return nullptr;
    if (widget) *widget = reinterpret_cast<LV2UI_Widget>(ui->editorWindow());
    return ui.release();
}

Lv2Ui::Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller)
    : write_(write), controller_(controller) {}

bool Lv2Ui::open(unsigned long parent, const LV2_Feature* const* features) {
    resize_ = static_cast<const LV2UI_Resize*>(lv2Feature(features, LV2_UI__resize));
    touch_ = static_cast<const LV2UI_Touch*>(lv2Feature(features, LV2_UI__touch));
    float scale = 0.0f;
    double sampleRate = 0.0;
    const auto* map = static_cast<const LV2_URID_Map*>(lv2Feature(features, LV2_URID__map));
    const auto* options =
        static_cast<const LV2_Options_Option*>(lv2Feature(features, LV2_OPTIONS__options));
    if (map && options) {
        const Lv2Uris uris(map);
        for (int i = 0; options[i].key; ++i) {
            double value = 0.0;
            if (!uris.number(options[i].value, options[i].type, options[i].size, value)) continue;
            if (options[i].key == uris.scaleFactor && value > 0.0)
                scale = static_cast<float>(value);
            // The editor asks for the rate as an integer: anything that
            // would not convert is no rate.
            if (options[i].key == uris.sampleRate && value > 0.0 && value < 1.0e7)
                sampleRate = value;
        }
    }

    if (!bridge_.build()) return false;
    KEffect& effect = bridge_.effect();
    bridge_.open();
    if (sampleRate > 0.0) bridge_.setSampleRate(sampleRate);

    ports_.reset(new Lv2ControlPorts(effect));
    for (int i = 0; i < ports_->count(); ++i) known_.push_back(ports_->portFromEffect(effect, i));
    grabbed_.assign(known_.size(), false);

    AEffEditor* editor = effect.getEditor();
    if (!editor || !(bridge_.record()->flags & effFlagsHasEditor)) return false;
    if (scale > 0.0f) editor->setScaleFactor(scale);
    // The editor still draws at its device size; only what the embedder is
    // told of the size is in its units.
    const int embedderScale = gtk3WindowScale(parent);
    editor->setEmbedderScale(embedderScale);
    int width = 0, height = 0;
    if (bridge_.editorSize(width, height) && resize_) {
        auto inUnits = [embedderScale](int device) {
            return (device + embedderScale - 1) / embedderScale;
        };
        resize_->ui_resize(resize_->handle, inUnits(width), inUnits(height));
    }
    // The bridge idles the editor before it opens it, so that no edit ever
    // calls back on the editor's thread.
    return bridge_.openEditor(reinterpret_cast<void*>(parent));
}

Lv2Ui::~Lv2Ui() = default;

unsigned long Lv2Ui::editorWindow() {
    AEffEditor* editor = bridge_.record() ? bridge_.effect().getEditor() : nullptr;
    if (!editor) return 0;
    // The editor's thread makes its window moments after the opening; a
    // thread that cannot (no display, the parent gone) never publishes one.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        const unsigned long window = editor->nativeWindow();
        if (window || std::chrono::steady_clock::now() >= end) return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool Lv2Ui::hostEdit(KHostBridge::Edit kind, int index, float /*value*/) {
    if (!ports_ || index < 0 || index >= ports_->count()) return false;
    const auto port = static_cast<uint32_t>(ports_->portOf(index));
    const auto grabbed = grabbed_.begin() + index;
    switch (kind) {
    case KHostBridge::Edit::Begin:
        *grabbed = true;
        if (touch_) touch_->touch(touch_->handle, port, true);
        send(index);
        break;
    case KHostBridge::Edit::End:
        send(index);
        if (touch_) touch_->touch(touch_->handle, port, false);
        *grabbed = false;
        break;
    case KHostBridge::Edit::Value:
        send(index);
        break;
    }
    return true;
}

void Lv2Ui::send(int index) {
    const float value = ports_->portFromEffect(bridge_.effect(), index);
    float& known = known_[static_cast<std::size_t>(index)];
    if (std::memcmp(&value, &known, sizeof value) == 0) return;
    known = value;
    write_(controller_, static_cast<uint32_t>(ports_->portOf(index)), sizeof value, 0, &value);
}

void Lv2Ui::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    const int index = ports_->parameterOf(port);
    if (format != 0 || size != sizeof(float) || !buffer || index < 0) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    float& known = known_[static_cast<std::size_t>(index)];
    if (grabbed_[static_cast<std::size_t>(index)] || std::memcmp(&value, &known, sizeof value) == 0)
        return;
    KEffect& effect = bridge_.effect();
    effect.setParameterReal(index, ports_->realFromPort(index, value));
    // What the model now holds, which may be the value snapped to a step:
    // the host keeps its own value, nothing is written back.
    known = ports_->portFromEffect(effect, index);
}

int Lv2Ui::idle() {
    // The editor's edits since the last idle arrive in hostEdit() from here.
    bridge_.idleEditor();
    // Whatever changed the model without telling its host.
    for (int i = 0; i < ports_->count(); ++i) send(i);
    return 0;
}

}  // namespace KAMO
