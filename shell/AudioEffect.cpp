#include "shell/AudioEffect.h"

#include "shell/AEffEditor.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

void vstCopyText(char* destination, const char* source, int size) {
    if (!destination || size <= 0) return;
    int n = 0;
    if (source)
        while (n < size - 1 && source[n]) ++n;
    if (n > 0) std::memcpy(destination, source, static_cast<std::size_t>(n));
    destination[n] = 0;
}

void vstDropNegativeZero(char* text) {
    if (!text || text[0] != '-') return;
    const char* digits = text + 1;
    const std::size_t length = std::strlen(digits);
    if (length == 0 || std::strspn(digits, "0.") != length) return;
    std::memmove(text, digits, length + 1);
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = &dispatchEffect;
    cEffect.process = &processEffect;
    cEffect.setParameter = &setParameterEffect;
    cEffect.getParameter = &getParameterEffect;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = vstFourCC('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = &processReplacingEffect;
    cEffect.processDoubleReplacing = &processDoubleEffect;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setEditor(AEffEditor* newEditor) {
    if (newEditor == editor) return;
    AEffEditor* old = editor;
    // Clear the flag before the old editor goes, so nobody is told about an
    // editor that no longer exists.
    editor = nullptr;
    setFlag(effFlagsHasEditor, false);
    delete old;
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
    if (!audioMaster) return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

// --- Trampolines: the host holds only the record, the object sits in it. ----
// Nothing may unwind into the host, so each one stops every exception.

VstIntPtr AudioEffect::dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                      void* ptr, float opt) {
    if (!e || !e->object) return 0;
    auto* effect = static_cast<AudioEffect*>(e->object);
    try {
        if (opcode == effClose) {
            // A host may close without closing the editor first: it closes
            // here, on the host's thread, so that what it has to tell (the
            // end of a gesture still held) reaches the host before the
            // effect goes, and nothing after.
            if (effect->editor && effect->editor->isOpen()) effect->editor->close();
            effect->dispatcher(opcode, index, value, ptr, opt);
            e->object = nullptr;
            effect->releaseEditor();
            delete effect;
            return 1;
        }
        return effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

namespace {

// Calls `call` with the effect in the record, if there is one.
template <typename Call>
void withEffect(AEffect* e, Call call) {
    if (!e || !e->object) return;
    try {
        call(*static_cast<AudioEffect*>(e->object));
    } catch (...) {
    }
}

}  // namespace

void AudioEffect::processEffect(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
    withEffect(e, [&](AudioEffect& effect) { effect.process(inputs, outputs, frames); });
}

void AudioEffect::processReplacingEffect(AEffect* e, float** inputs, float** outputs,
                                         VstInt32 frames) {
    withEffect(e, [&](AudioEffect& effect) { effect.processReplacing(inputs, outputs, frames); });
}

void AudioEffect::processDoubleEffect(AEffect* e, double** inputs, double** outputs,
                                      VstInt32 frames) {
    withEffect(
        e, [&](AudioEffect& effect) { effect.processDoubleReplacing(inputs, outputs, frames); });
}

void AudioEffect::setParameterEffect(AEffect* e, VstInt32 index, float value) {
    withEffect(e, [&](AudioEffect& effect) {
        if (effect.isParameterIndex(index)) effect.setParameter(index, value);
    });
}

float AudioEffect::getParameterEffect(AEffect* e, VstInt32 index) {
    if (!e || !e->object) return 0.0f;
    auto* effect = static_cast<AudioEffect*>(e->object);
    if (!effect->isParameterIndex(index)) return 0.0f;
    try {
        return effect->getParameter(index);
    } catch (...) {
        return 0.0f;
    }
}

// --- Dispatcher for opcodes 0 to 24 -------------------------------------------

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        // The value is pointer-sized: one outside the 32-bit range would wrap
        // into a valid index (-4294967295 into 1) and select a program.
        if (value >= INT32_MIN && value < numPrograms) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr) setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr) getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr && isParameterIndex(index)) getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr && isParameterIndex(index)) getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr && isParameterIndex(index)) getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        if (editor && ptr) return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        if (editor) return editor->open(ptr) ? 1 : 0;
        return 0;
    case effEditClose:
        if (editor) editor->close();
        return 0;
    case effEditIdle:
        if (editor) editor->idle();
        return 0;
    case effIdentify:
        return vstFourCC('N', 'v', 'E', 'f');
    case effGetChunk:
        if (!ptr) return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        // More bytes than an int can count are still more than enough.
        if (!ptr || value < 0) return 0;
        return setChunk(ptr, static_cast<VstInt32>(value > 0x7fffffff ? 0x7fffffff : value),
                        index != 0);
    default:
        return 0;
    }
}

// --- Defaults of the operations the framework overrides ----------------------

void AudioEffect::processReplacing(float** /*inputs*/, float** /*outputs*/,
                                   VstInt32 /*sampleFrames*/) {}

void AudioEffect::processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                         VstInt32 /*sampleFrames*/) {}

void AudioEffect::setParameter(VstInt32 /*index*/, float /*value*/) {}

float AudioEffect::getParameter(VstInt32 /*index*/) { return 0.0f; }

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    if (!isParameterIndex(index)) return;
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::setProgram(VstInt32 program) {
    if (program >= 0 && program < numPrograms) curProgram.store(program, std::memory_order_relaxed);
}

void AudioEffect::setProgramName(char* /*name*/) {}

void AudioEffect::getProgramName(char* name) { vstCopyText(name, "", kVstMaxProgNameLen); }

void AudioEffect::getParameterLabel(VstInt32 /*index*/, char* label) {
    vstCopyText(label, "", kVstMaxParamStrLen);
}

void AudioEffect::getParameterDisplay(VstInt32 /*index*/, char* text) {
    vstCopyText(text, "", kVstMaxParamStrLen);
}

void AudioEffect::getParameterName(VstInt32 /*index*/, char* text) {
    vstCopyText(text, "", kVstMaxParamStrLen);
}

VstInt32 AudioEffect::getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }

VstInt32 AudioEffect::setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) {
    return 0;
}

// --- Host queries --------------------------------------------------------------

VstInt32 AudioEffect::getMasterVersion() {
    if (!audioMaster) return 1;
    VstIntPtr version = callHost(audioMasterVersion);
    return version ? static_cast<VstInt32>(version) : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

// --- Formatting helpers --------------------------------------------------------

namespace {

void printNumber(char* text, VstInt32 maxLen, const char* format, double value) {
    if (!text || maxLen <= 0) return;
    std::snprintf(text, static_cast<std::size_t>(maxLen), format, value);
    vstDropNegativeZero(text);
}

}  // namespace

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    if (value <= 0.0f)
        vstCopyText(text, "-oo", maxLen);
    else
        printNumber(text, maxLen, "%.2f", 20.0 * std::log10(static_cast<double>(value)));
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    if (samples == 0.0f)
        vstCopyText(text, "0", maxLen);
    else
        printNumber(text, maxLen, "%.2f", static_cast<double>(getSampleRate()) / samples);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    float rate = getSampleRate();
    if (rate <= 0.0f)
        vstCopyText(text, "0", maxLen);
    else
        printNumber(text, maxLen, "%.2f", samples * 1000.0 / rate);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    printNumber(text, maxLen, "%.2f", value);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    if (!text || maxLen <= 0) return;
    std::snprintf(text, static_cast<std::size_t>(maxLen), "%d", static_cast<int>(value));
}
