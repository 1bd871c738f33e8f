#pragma once
// One loaded plug-in instance: the AEffect record, the library handle and
// typed wrappers over the dispatcher. Destruction closes the effect
// (effClose, after effMainsChanged 0 when still resumed) and unloads the
// library. Created only by PluginHost::load.

#include "shell/Vst2.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plughost {

class PluginHost;
class VstEventList;
template <typename T>
class AudioBuffers;

class PluginInstance {
public:
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* effect() const { return effect_; }
    PluginHost& host() const { return host_; }
    const std::string& path() const { return path_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    // --- Record fields
    VstInt32 numParams() const { return effect_->numParams; }
    VstInt32 numPrograms() const { return effect_->numPrograms; }
    VstInt32 numInputs() const { return effect_->numInputs; }
    VstInt32 numOutputs() const { return effect_->numOutputs; }
    VstInt32 flags() const { return effect_->flags; }
    bool hasEditor() const { return (effect_->flags & effFlagsHasEditor) != 0; }
    bool isSynth() const { return (effect_->flags & effFlagsIsSynth) != 0; }
    bool canFloat() const;   // flag set and processReplacing present
    bool canDouble() const;  // flag set and processDoubleReplacing present

    // --- Life cycle, in the order a host calls them
    void setSampleRate(float rate);      // effSetSampleRate, and tells the host
    void setBlockSize(VstInt32 frames);  // effSetBlockSize, and tells the host
    void resume();                       // effMainsChanged 1 then effStartProcess
    void suspend();                      // effStopProcess then effMainsChanged 0
    bool isResumed() const { return resumed_; }

    // --- Names and identity (texts cut at the buffer; never longer than 255)
    std::string effectName();
    std::string vendorString();
    std::string productString();
    VstIntPtr vendorVersion();
    VstIntPtr vstVersion();
    VstIntPtr category();
    VstIntPtr canDo(const char* text);

    // --- Parameters
    std::string paramName(VstInt32 index);
    std::string paramLabel(VstInt32 index);
    std::string paramDisplay(VstInt32 index);
    float getParameter(VstInt32 index);
    void setParameter(VstInt32 index, float value);
    bool string2Parameter(VstInt32 index, const char* text);
    // Index of the parameter whose effGetParamName equals `name` ignoring
    // case. Some plug-ins cut names to 7 characters and the terminator, so a
    // longer `name` also matches a shown name of 7 or more characters that
    // begins it, when only one does. Else -1.
    VstInt32 findParameter(const std::string& name);
    // Every index that findParameter's second rule matches (for messages).
    std::vector<VstInt32> parametersCutFrom(const std::string& name);

    // --- Programs
    VstInt32 getProgram();
    void setProgram(VstInt32 program);
    std::string programName();  // of the current program
    void setProgramName(const std::string& name);
    // effGetProgramNameIndexed; falls back to switching programs when the
    // plug-in does not answer it (and switches back).
    std::string programNameIndexed(VstInt32 program, bool* answered = nullptr);

    // --- State: effGetChunk / effSetChunk (isProgram: index 1, else bank)
    std::vector<std::uint8_t> getChunk(bool isProgram);
    VstIntPtr setChunk(const std::vector<std::uint8_t>& data, bool isProgram);
    // The same with the copy handed over zero padded to at least `room` bytes
    // (its size is still the data's).
    VstIntPtr setChunk(const std::vector<std::uint8_t>& data, bool isProgram, std::size_t room);

    // --- Processing (real-time safe: no allocation here)
    VstIntPtr processEvents(VstEventList& events);
    VstIntPtr processEvents(VstEvents* events);
    // processReplacing / processDoubleReplacing; false when the plug-in lacks it.
    bool process(float** inputs, float** outputs, VstInt32 frames);
    bool process(double** inputs, double** outputs, VstInt32 frames);
    bool process(AudioBuffers<float>& buffers, VstInt32 frames);
    bool process(AudioBuffers<double>& buffers, VstInt32 frames);

private:
    friend class PluginHost;
    PluginInstance(PluginHost& host, void* library, AEffect* effect, std::string path);

    std::string text(VstInt32 opcode, VstInt32 index, std::size_t size);

    PluginHost& host_;
    void* library_;
    AEffect* effect_;
    std::string path_;
    bool resumed_ = false;
};

}  // namespace plughost
