#pragma once
// Host-facing base of an effect: owns the AEffect record the host talks
// through, routes the record's callbacks to virtual operations and answers
// dispatcher opcodes 0 to 24. Everything the host sees is reached through
// these virtuals, so derived classes change behaviour by overriding them.

#include "shell/Vst2.h"

#include <atomic>

class AEffEditor;

class AudioEffect {
public:
    // The rate assumed until the host sets one.
    static constexpr float kDefaultSampleRate = 44100.0f;

    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate.store(rate, std::memory_order_relaxed); }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram.load(std::memory_order_relaxed); }
    virtual void setProgram(VstInt32 program);
    virtual void setProgramName(char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);
    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);

    virtual void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state = true) {
        setFlag(effFlagsCanDoubleReplacing, state);
    }
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getAeffect() { return &cEffect; }
    virtual float getSampleRate() { return sampleRate.load(std::memory_order_relaxed); }
    virtual VstInt32 getBlockSize() { return blockSize; }

    // Host queries; each answers its default when there is no host callback.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();

    // Small formatting helpers for parameter displays; `maxLen` counts the
    // terminator and the text is always terminated.
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    // The accumulating process of older hosts; this effect only replaces.
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}

    // Attaches `newEditor` (owned from now on; an earlier one is deleted) and
    // announces it in the record. Null detaches.
    void setEditor(AEffEditor* newEditor);
    // Deletes the editor while the whole object still exists, so that an
    // editor that reaches into derived parts never sees them half destroyed.
    void releaseEditor() { setEditor(nullptr); }

    audioMasterCallback getHostCallback() const { return audioMaster; }

protected:
    void setFlag(VstInt32 flag, bool state);
    bool isParameterIndex(VstInt32 index) const { return index >= 0 && index < numParams; }
    // Calls the host with this effect's record; 0 without a callback.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    // Written by the host's user-interface thread, read by the audio and
    // editor threads: single aligned values, relaxed accesses.
    std::atomic<float> sampleRate{kDefaultSampleRate};
    VstInt32 blockSize = 1024;
    VstInt32 numPrograms;
    VstInt32 numParams;
    std::atomic<VstInt32> curProgram{0};
    AEffect cEffect;

private:
    static VstIntPtr dispatchEffect(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                    void* ptr, float opt);
    static void processEffect(AEffect* e, float** inputs, float** outputs, VstInt32 frames);
    static void processReplacingEffect(AEffect* e, float** inputs, float** outputs,
                                       VstInt32 frames);
    static void processDoubleEffect(AEffect* e, double** inputs, double** outputs, VstInt32 frames);
    static void setParameterEffect(AEffect* e, VstInt32 index, float value);
    static float getParameterEffect(AEffect* e, VstInt32 index);
};

// Defined by the instrument: builds one effect for the host.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

// Copies at most size - 1 characters of `source` (null counts as empty) and
// always terminates. The host hands fixed-size buffers; this keeps every
// answer inside them whatever the stored text holds.
void vstCopyText(char* destination, const char* source, int size);
// A printed number that rounded to zero from below ("-0.0", "-0") loses its
// sign: zero has none, and a host or player reading "-0.0" sees a level
// below zero that is not there.
void vstDropNegativeZero(char* text);
