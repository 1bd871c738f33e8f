#include "lv2/Lv2Ui.h"

#include "framework/KEffect.h"
#include "framework/KFaceBuild.h"
#include "lv2/GtkEmbedder.h"
#include "shell/AEffEditor.h"
#include "shell/AudioEffect.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace KAMO {

namespace {

// The instance whose model effect is being built (see Lv2Plugin.cpp).
thread_local Lv2Ui* gBuilding = nullptr;

// The size the user gave the last UI (device pixels), with the host's scale
// factor then: a UI opened again in the same session comes back at it.
struct ChosenSize {
    float hostScale = 0.0f;
    int width = 0;
    int height = 0;
};
ChosenSize gChosen;
std::mutex gChosenMutex;

}  // namespace

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
                sampleRate_ = static_cast<float>(value);
        }
    }

    effect_ = buildFaceEffect(this, gBuilding, &Lv2Ui::hostCallback);
    if (!effect_) return false;
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
    hostScale_ = scale;
    {
        std::lock_guard<std::mutex> lock(gChosenMutex);
        if (gChosen.width > 0 && gChosen.hostScale == hostScale_)
            editor->setSize(gChosen.width, gChosen.height);
    }
    // The editor still draws at its device size; only what the embedder is
    // told of the size is in its units.
    const int embedderScale = gtk3WindowScale(parent);
    embedderScale_ = embedderScale;
    editor->setEmbedderScale(embedderScale);
    ERect* rect = nullptr;
    record_->dispatcher(record_, effEditGetRect, 0, 0, &rect, 0.0f);
    if (rect && resize_) {
        auto inUnits = [embedderScale](int device) {
            return (device + embedderScale - 1) / embedderScale;
        };
        resize_->ui_resize(resize_->handle, inUnits(rect->right - rect->left),
                           inUnits(rect->bottom - rect->top));
    }
    // An idle before the opening tells the effect which thread is ours, so
    // that no edit ever calls back on the editor's thread.
    record_->dispatcher(record_, effEditIdle, 0, 0, nullptr, 0.0f);
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

unsigned long Lv2Ui::editorWindow() {
    AEffEditor* editor = effect_ ? effect_->getEditor() : nullptr;
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
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetSampleRate) return static_cast<VstIntPtr>(sampleRate_);
    if (opcode != audioMasterAutomate && opcode != audioMasterBeginEdit &&
        opcode != audioMasterEndEdit)
        return 0;
    if (!ports_ || index < 0 || index >= ports_->count()) return 0;
    const auto port = static_cast<uint32_t>(ports_->portOf(index));
    const auto grabbed = grabbed_.begin() + index;
    switch (opcode) {
    case audioMasterBeginEdit:
        *grabbed = true;
        if (touch_) touch_->touch(touch_->handle, port, true);
        send(index);
        break;
    case audioMasterEndEdit:
        send(index);
        if (touch_) touch_->touch(touch_->handle, port, false);
        *grabbed = false;
        break;
    default:
        send(index);
        break;
    }
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

int Lv2Ui::hostResized(int width, int height) {
    AEffEditor* editor = effect_ ? effect_->getEditor() : nullptr;
    if (!editorOpen_ || !editor || !editor->canResize() || width < 1 || height < 1) return 1;
    ERect* rect = nullptr;
    record_->dispatcher(record_, effEditGetRect, 0, 0, &rect, 0.0f);
    const int scale = embedderScale_;
    const int deviceWidth = width * scale, deviceHeight = height * scale;
    if (rect && rect->right - rect->left == deviceWidth && rect->bottom - rect->top == deviceHeight)
        return 0;
    editor->setSize(deviceWidth, deviceHeight);
    record_->dispatcher(record_, effEditGetRect, 0, 0, &rect, 0.0f);
    if (!rect) return 1;
    const int newWidth = rect->right - rect->left, newHeight = rect->bottom - rect->top;
    {
        std::lock_guard<std::mutex> lock(gChosenMutex);
        gChosen = ChosenSize{hostScale_, newWidth, newHeight};
    }
    // A host whose window is now larger than the editor learns of the
    // editor's size in its units.
    const int unitsWidth = (newWidth + scale - 1) / scale;
    const int unitsHeight = (newHeight + scale - 1) / scale;
    if (resize_ && (unitsWidth != width || unitsHeight != height))
        resize_->ui_resize(resize_->handle, unitsWidth, unitsHeight);
    return 0;
}

int Lv2Ui::idle() {
    // The editor's edits since the last idle arrive in answer() from here.
    if (editorOpen_) record_->dispatcher(record_, effEditIdle, 0, 0, nullptr, 0.0f);
    // Whatever changed the model without telling its host.
    for (int i = 0; i < ports_->count(); ++i) send(i);
    return 0;
}

}  // namespace KAMO
