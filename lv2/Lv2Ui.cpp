#include "lv2/Lv2Ui.h"

#include "framework/KEffect.h"
#include "shell/AEffEditor.h"
#include "shell/AudioEffect.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace KAMO {

namespace {

// The instance whose model effect is being built (see Lv2Plugin.cpp).
thread_local Lv2Ui* gBuilding = nullptr;

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

}  // namespace

Lv2Ui* Lv2Ui::create(LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                     const LV2_Feature* const* features) {
    const void* parent = lv2Feature(features, LV2_UI__parent);
    if (!write || !parent) return nullptr;
    std::unique_ptr<Lv2Ui> ui(new Lv2Ui(write, controller));
    if (!ui->open(reinterpret_cast<unsigned long>(parent), features)) return nullptr;
    if (widget)
        *widget = reinterpret_cast<LV2UI_Widget>(
            ui->findEditorWindow(reinterpret_cast<unsigned long>(parent)));
    return ui.release();
}

Lv2Ui::Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller)
    : write_(write), controller_(controller) {}

bool Lv2Ui::open(unsigned long parent, const LV2_Feature* const* features) {
    resize_ = static_cast<const LV2UI_Resize*>(lv2Feature(features, LV2_UI__resize));
    touch_ = static_cast<const LV2UI_Touch*>(lv2Feature(features, LV2_UI__touch));
    float scale = 0.0f;
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
            if (options[i].key == uris.sampleRate && value > 0.0)
                sampleRate_ = static_cast<float>(value);
        }
    }

    gBuilding = this;
    AudioEffect* built = createEffectInstance(&Lv2Ui::hostCallback);
    gBuilding = nullptr;
    effect_ = dynamic_cast<KEffect*>(built);
    if (!effect_) {
        delete built;
        return false;
    }
    record_ = effect_->getAeffect();
    record_->user = this;
    record_->dispatcher(record_, effOpen, 0, 0, nullptr, 0.0f);
    if (sampleRate_ > 0.0f)
        record_->dispatcher(record_, effSetSampleRate, 0, 0, nullptr, sampleRate_);

    ports_.reset(new Lv2ControlPorts(*effect_));
    for (int i = 0; i < ports_->count(); ++i) known_.push_back(ports_->portFromEffect(*effect_, i));
    grabbed_.assign(known_.size(), false);

    AEffEditor* editor = effect_->getEditor();
    if (!editor || !(record_->flags & effFlagsHasEditor)) return false;
    if (scale > 0.0f) editor->setScaleFactor(scale);
    ERect* rect = nullptr;
    record_->dispatcher(record_, effEditGetRect, 0, 0, &rect, 0.0f);
    if (rect && resize_)
        resize_->ui_resize(resize_->handle, rect->right - rect->left, rect->bottom - rect->top);
    editorOpen_ =
        record_->dispatcher(record_, effEditOpen, 0, 0, reinterpret_cast<void*>(parent), 0.0f) != 0;
    return editorOpen_;
}

Lv2Ui::~Lv2Ui() {
    if (!record_) return;
    if (editorOpen_) record_->dispatcher(record_, effEditClose, 0, 0, nullptr, 0.0f);
    // effClose destroys the effect and its editor.
    record_->dispatcher(record_, effClose, 0, 0, nullptr, 0.0f);
}

unsigned long Lv2Ui::findEditorWindow(unsigned long parent) {
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) return 0;
    // The editor creates its window on a thread of its own; it appears in
    // the parent within moments of the open.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        Window root = 0, up = 0;
        Window* children = nullptr;
        unsigned count = 0;
        unsigned long found = 0;
        if (XQueryTree(display.get(), parent, &root, &up, &children, &count) && count > 0)
            found = children[count - 1];
        if (children) XFree(children);
        if (found || std::chrono::steady_clock::now() >= end) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

VstIntPtr Lv2Ui::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float /*opt*/) {
    Lv2Ui* self = effect && effect->user ? static_cast<Lv2Ui*>(effect->user) : gBuilding;
    if (opcode == audioMasterGetProductString && ptr) {
        vstCopyText(static_cast<char*>(ptr), "LV2 host", kVstMaxProductStrLen);
        return 1;
    }
    if (!self) return opcode == audioMasterVersion ? 2400 : 0;
    return self->answer(opcode, index, value);
}

VstIntPtr Lv2Ui::answer(VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/) {
    Edit::Kind kind;
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate_);
    case audioMasterAutomate:
        kind = Edit::Value;
        break;
    case audioMasterBeginEdit:
        kind = Edit::Begin;
        break;
    case audioMasterEndEdit:
        kind = Edit::End;
        break;
    default:
        return 0;
    }
    if (!ports_ || index < 0 || index >= ports_->count()) return 0;
    std::lock_guard<std::mutex> lock(editsMutex_);
    edits_.push_back(Edit{kind, index});
    return 1;
}

void Lv2Ui::send(int index) {
    const float value = ports_->portFromEffect(*effect_, index);
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
    effect_->setParameterReal(index, ports_->realFromPort(index, value));
    // What the model now holds, which may be the value snapped to a step:
    // the host keeps its own value, nothing is written back.
    known = ports_->portFromEffect(*effect_, index);
}

int Lv2Ui::idle() {
    {
        std::lock_guard<std::mutex> lock(editsMutex_);
        sending_.swap(edits_);
    }
    for (const Edit& edit : sending_) {
        const auto port = static_cast<uint32_t>(ports_->portOf(edit.index));
        const auto grabbed = grabbed_.begin() + edit.index;
        switch (edit.kind) {
        case Edit::Begin:
            *grabbed = true;
            if (touch_) touch_->touch(touch_->handle, port, true);
            send(edit.index);
            break;
        case Edit::Value:
            send(edit.index);
            break;
        case Edit::End:
            send(edit.index);
            if (touch_) touch_->touch(touch_->handle, port, false);
            *grabbed = false;
            break;
        }
    }
    sending_.clear();
    // Whatever else changed the model (the patch commands set many values
    // at once without automating them).
    for (int i = 0; i < ports_->count(); ++i) send(i);
    if (editorOpen_) record_->dispatcher(record_, effEditIdle, 0, 0, nullptr, 0.0f);
    return 0;
}

}  // namespace KAMO
