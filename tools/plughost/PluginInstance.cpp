#include "tools/plughost/PluginInstance.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/VstEventList.h"

#include <dlfcn.h>

#include <cctype>
#include <cstring>

namespace plughost {

namespace {
// Text buffers are far larger than the interface's lengths: plug-ins that
// overrun them must not corrupt the host (the validator checks the lengths).
constexpr std::size_t kTextBuffer = 512;
}  // namespace

PluginInstance::PluginInstance(PluginHost& host, void* library, AEffect* effect, std::string path)
    : host_(host), library_(library), effect_(effect), path_(std::move(path)) {}

PluginInstance::~PluginInstance() {
    if (resumed_) suspend();
    AEffect* effect = effect_;
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
    PluginHost::unregisterEffect(effect);
    if (library_) dlclose(library_);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

bool PluginInstance::canFloat() const {
    return (effect_->flags & effFlagsCanReplacing) && effect_->processReplacing;
}

bool PluginInstance::canDouble() const {
    return (effect_->flags & effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing;
}

void PluginInstance::setSampleRate(float rate) {
    host_.setSampleRate(rate);
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void PluginInstance::setBlockSize(VstInt32 frames) {
    host_.setBlockSize(frames);
    dispatch(effSetBlockSize, 0, frames);
}

void PluginInstance::resume() {
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    resumed_ = true;
}

void PluginInstance::suspend() {
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index, std::size_t size) {
    char buffer[kTextBuffer];
    std::memset(buffer, 0, sizeof buffer);
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBuffer - 1] = 0;
    return std::string(buffer, strnlen(buffer, std::min(size, kTextBuffer - 1)));
}

std::string PluginInstance::effectName() { return text(effGetEffectName, 0, 255); }
std::string PluginInstance::vendorString() { return text(effGetVendorString, 0, 255); }
std::string PluginInstance::productString() { return text(effGetProductString, 0, 255); }
VstIntPtr PluginInstance::vendorVersion() { return dispatch(effGetVendorVersion); }
VstIntPtr PluginInstance::vstVersion() { return dispatch(effGetVstVersion); }
VstIntPtr PluginInstance::category() { return dispatch(effGetPlugCategory); }

VstIntPtr PluginInstance::canDo(const char* text) {
    return dispatch(effCanDo, 0, 0, const_cast<char*>(text));
}

std::string PluginInstance::paramName(VstInt32 index) { return text(effGetParamName, index, 255); }
std::string PluginInstance::paramLabel(VstInt32 index) {
    return text(effGetParamLabel, index, 255);
}
std::string PluginInstance::paramDisplay(VstInt32 index) {
    return text(effGetParamDisplay, index, 255);
}

float PluginInstance::getParameter(VstInt32 index) { return effect_->getParameter(effect_, index); }

void PluginInstance::setParameter(VstInt32 index, float value) {
    effect_->setParameter(effect_, index, value);
}

bool PluginInstance::string2Parameter(VstInt32 index, const char* text) {
    return dispatch(effString2Parameter, index, 0, const_cast<char*>(text)) != 0;
}

namespace {
bool sameIgnoringCase(const std::string& a, const std::string& b, std::size_t n) {
    if (a.size() < n || b.size() < n) return false;
    for (std::size_t k = 0; k < n; ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) !=
            std::tolower(static_cast<unsigned char>(b[k])))
            return false;
    return true;
}
}  // namespace

VstInt32 PluginInstance::findParameter(const std::string& name) {
    for (VstInt32 i = 0; i < numParams(); ++i) {
        const std::string shown = paramName(i);
        if (shown.size() == name.size() && sameIgnoringCase(shown, name, name.size())) return i;
    }
    const std::vector<VstInt32> cut = parametersCutFrom(name);
    return cut.size() == 1 ? cut.front() : -1;
}

std::vector<VstInt32> PluginInstance::parametersCutFrom(const std::string& name) {
    std::vector<VstInt32> found;
    for (VstInt32 i = 0; i < numParams(); ++i) {
        const std::string shown = paramName(i);
        if (shown.size() >= kVstMaxParamStrLen - 1 && shown.size() < name.size() &&
            sameIgnoringCase(shown, name, shown.size()))
            found.push_back(i);
    }
    return found;
}

VstInt32 PluginInstance::getProgram() { return static_cast<VstInt32>(dispatch(effGetProgram)); }

void PluginInstance::setProgram(VstInt32 program) {
    dispatch(effBeginSetProgram);
    dispatch(effSetProgram, 0, program);
    dispatch(effEndSetProgram);
}

std::string PluginInstance::programName() { return text(effGetProgramName, 0, 255); }

void PluginInstance::setProgramName(const std::string& name) {
    char buffer[kTextBuffer];
    std::memset(buffer, 0, sizeof buffer);
    std::memcpy(buffer, name.data(), std::min(name.size(), kTextBuffer - 1));
    dispatch(effSetProgramName, 0, 0, buffer);
}

std::string PluginInstance::programNameIndexed(VstInt32 program, bool* answered) {
    char buffer[kTextBuffer];
    std::memset(buffer, 0, sizeof buffer);
    const bool ok = dispatch(effGetProgramNameIndexed, program, -1, buffer) != 0;
    if (answered) *answered = ok;
    if (ok) {
        buffer[kTextBuffer - 1] = 0;
        return buffer;
    }
    if (program < 0 || program >= numPrograms()) return std::string();
    const VstInt32 current = getProgram();
    setProgram(program);
    std::string name = programName();
    setProgram(current);
    return name;
}

std::vector<std::uint8_t> PluginInstance::getChunk(bool isProgram) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, isProgram ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

VstIntPtr PluginInstance::setChunk(const std::vector<std::uint8_t>& data, bool isProgram) {
    return setChunk(data, isProgram, data.size());
}

VstIntPtr PluginInstance::setChunk(const std::vector<std::uint8_t>& data, bool isProgram,
                                   std::size_t room) {
    // The plug-in may not write into our data; one that reads more than it
    // is told finds zeros up to `room`, not the end of our memory.
    std::vector<std::uint8_t> copy(data);
    if (copy.size() < room) copy.resize(room, 0);
    return dispatch(effSetChunk, isProgram ? 1 : 0, static_cast<VstIntPtr>(data.size()),
                    copy.empty() ? nullptr : copy.data());
}

VstIntPtr PluginInstance::processEvents(VstEventList& events) {
    return processEvents(events.events());
}

VstIntPtr PluginInstance::processEvents(VstEvents* events) {
    return dispatch(effProcessEvents, 0, 0, events);
}

bool PluginInstance::process(float** inputs, float** outputs, VstInt32 frames) {
    if (!effect_->processReplacing) return false;
    effect_->processReplacing(effect_, inputs, outputs, frames);
    return true;
}

bool PluginInstance::process(double** inputs, double** outputs, VstInt32 frames) {
    if (!effect_->processDoubleReplacing) return false;
    effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
    return true;
}

bool PluginInstance::process(AudioBuffers<float>& buffers, VstInt32 frames) {
    return process(buffers.inputs(), buffers.outputs(), frames);
}

bool PluginInstance::process(AudioBuffers<double>& buffers, VstInt32 frames) {
    return process(buffers.inputs(), buffers.outputs(), frames);
}

}  // namespace plughost
