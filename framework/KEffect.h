#pragma once
// The layer between the host interface and an instrument. It owns the
// parameters, commands and features, keeps all programs in a ProgramBank,
// reads factory presets from a text resource, answers the host's program,
// parameter-text, chunk and channel requests, stages float audio into double
// precision and expands ${Name} information variables for the editor.
//
// An instrument derives from KEffect, appends its parameters, calls
// programBank().setupPrograms(), loadPresets() and adds its commands in its
// constructor, and supplies resetState, acceptsIoConfig and parametersChanged.

#include "framework/KEffectCommand.h"
#include "framework/KEffectFeature.h"
#include "framework/KEffectParameter.h"
#include "framework/KHostNotices.h"
#include "framework/KParameterInfo.h"
#include "framework/ProgramBank.h"
#include "framework/PtrList.h"
#include "shell/AudioEffectX.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace XP {
class InputReader;
}

namespace KAMO {

class KPresetLibrary;

class KEffect : public AudioEffectX {
public:
    // Longest display text handed to the host, terminator included.
    static constexpr int kDisplayLength = 32;
    // Parameter names and labels of up to 8 characters and program names of
    // up to 24 reach the host whole, terminator behind them: every host's
    // buffer holds that, and a name cut short may read like its neighbour's.
    static constexpr int kNameSize = kVstMaxParamStrLen + 1;
    static constexpr int kProgramNameSize = kVstMaxProgNameLen + 1;

    KEffect(audioMasterCallback host, int programCount, int parameterCount, int inputCount,
            int outputCount);
    ~KEffect() override;

    // --- Host interface (AudioEffect / AudioEffectX) -------------------------
    void suspend() override;
    void resume() override;
    void setSampleRate(float rate) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;

    // Parameter and program operations work on the current program. Indices
    // outside the parameter list or the bank are ignored (answer 0 / false).
    void setParameter(VstInt32 index, float value) override;
    // setParameter, then the host hears of the value as of an editor edit.
    void setParameterAutomated(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    bool string2parameter(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    // The image of the current program's record (isPreset) or of the whole
    // bank, made from the stored values; the memory stays ours, valid until
    // the next call.
    VstInt32 getChunk(void** data, bool isPreset) override;
    // Takes a record or bank image and answers the bytes read. An image of
    // an older release, with fewer parameters, gives the others their
    // defaults; a longer one is read as far as needed. A null image, or one
    // whose size matches no parameter count, changes nothing and answers 0.
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    AEffect* getAeffect() override;
    bool setSpeakerArrangement(VstSpeakerArrangement* input,
                               VstSpeakerArrangement* output) override;
    bool getSpeakerArrangement(VstSpeakerArrangement** input,
                               VstSpeakerArrangement** output) override;
    bool setBypass(bool onOff) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 canDo(char* text) override;

    // --- Operations an instrument overrides ---------------------------------
    virtual const char* effectName() const { return nullptr; }
    virtual const char* vendorName() const { return nullptr; }
    virtual const char* productName() const { return nullptr; }
    virtual const char* plugVersion() const { return nullptr; }
    virtual const char* plugBuild() const { return nullptr; }
    virtual const char* buildDate() const { return nullptr; }
    virtual const char* platformName() const { return nullptr; }
    // The folder the documents are installed to, for the about page's links.
    virtual const char* docFolder() const { return nullptr; }
    virtual void processMidiEvent(const VstMidiEvent& /*event*/) {}
    // Also makes room for what executeEditorCommand compares.
    virtual void editorOpened();
    virtual void editorClosed() { mEditorOpen.store(false, std::memory_order_relaxed); }
    virtual void executeCommand(int /*id*/, bool /*shift*/, bool /*ctrl*/) {}
    virtual void resetState() = 0;
    virtual bool acceptsIoConfig(int inputs, int outputs) const = 0;
    // Whether the instrument plays at `rate` as it should; setSampleRate
    // keeps the previous rate for any other. Any positive finite rate here.
    virtual bool playsSampleRate(double rate) const;
    // Copies `text` into `out` (size bytes with terminator), replacing each
    // ${Name} by getInfoVariable(Name); an unterminated name runs to the end.
    virtual void expandText(char* out, int size, const char* text);
    // Re-derives everything the instrument computes from the current program.
    virtual void parametersChanged(bool afterReset) = 0;
    virtual void parameterChanged(int /*index*/) {}
    // Applies the preset text of the named resource; a missing one changes nothing.
    virtual void loadPresets(const char* resourceName);
    // Host and plug-in facts by exact name ("SRate", "HostVend", ...); "" if unknown.
    virtual void getInfoVariable(char* out, int size, const char* name);
    virtual void foldChannels(bool twoInputs, bool twoOutputs, double& out0, double& out1, double a,
                              double b);
    // The instrument's renderer; the default renders nothing.
    virtual void processDouble(double** /*inputs*/, int /*inputCount*/, double** /*outputs*/,
                               int /*outputCount*/, int /*frames*/) {}
    // Stages float buffers into double precision around processDouble.
    virtual void processFloat(float** inputs, int inputCount, float** outputs, int outputCount,
                              int frames);

    // --- What the editor and the instrument use -------------------------------
    const PtrMgr<const KEffectParameter>& parameters() const { return mParameters; }
    int parameterCount() const { return mParameters.count(); }
    // Index of the parameter named `name` ignoring letter case, or -1.
    int findParameter(const char* name) const;
    // The parameter at `index`, or null.
    const KEffectParameter* parameter(int index) const;
    // The row parameter `index` was made from (see addParameters), or null
    // for a parameter made by hand.
    const KParameterInfo* parameterInfo(int index) const;
    // How many parameters the first release had. Hosts laid out ports and
    // identifiers around those, so a face keeps them where they were and
    // puts later parameters behind its own fixed ports. All of them unless
    // the instrument says otherwise.
    int originalParameterCount() const;
    ProgramBank& programBank() { return mBank; }
    const ProgramBank& programBank() const { return mBank; }
    // One change of parameter `index` in the current program: a normalised
    // value stored as given (no clamping), a real value stored through the
    // parameter's mapping, or a text the parameter parses.
    struct ParameterEdit {
        enum Kind { Normalised, Real, Text };
        static ParameterEdit normalised(double v) { return {Normalised, v, nullptr}; }
        static ParameterEdit real(double v) { return {Real, v, nullptr}; }
        static ParameterEdit parsed(const char* t) { return {Text, 0.0, t}; }
        Kind kind;
        double value;
        const char* text;
    };
    // The one way a stored value changes, whoever changes it (host, editor,
    // commands): store, refresh both display texts, parameterChanged,
    // parametersChanged(false). The host is not told; false, and nothing
    // changes, for an unknown index or a text the parameter cannot take.
    bool editParameter(int index, const ParameterEdit& edit);
    // Stores a real value in the current program with the steps of setParameter.
    void setParameterReal(int index, double real);

    // Edits made in the effect's own user interface, which the host hears
    // of: begin opens the host's gesture and tells it the value before;
    // perform edits and tells it the new value; end closes the gesture.
    void beginParameterEdit(int index);
    void performParameterEdit(int index, double normalised);
    void endParameterEdit(int index);
    // Tells the host the value of `index` as getParameter answers it.
    void reportParameter(int index);
    // Runs a command for the editor; the host hears of each value it changed
    // as of a value reported outside a gesture.
    void executeEditorCommand(int id, bool shift, bool ctrl);

    // What the host hears of edits made in the editor goes out on the
    // thread the host drives the editor from. Until the first editorIdle the
    // host is called at once from whichever thread edits (a host that never
    // idles its editor still hears of them); from then on the editor
    // thread's notices wait in a queue for the next editorIdle, or for
    // deliverEditorNotices when the editor closes. The stored value changes
    // at once either way, so the sound follows the editor without delay.
    void editorIdle();
    void deliverEditorNotices();
    const KHostNotices& editorNotices() const { return mNotices; }
    // Asks an open editor to follow a change; it throttles by itself.
    void refreshEditor();
    bool isEditorOpen() const { return mEditorOpen.load(std::memory_order_relaxed); }
    KCommandMgr& commands() { return mCommands; }
    PtrMgr<KEffectFeature>& features() { return mFeatures; }
    int inputChannels() const { return mInputChannels.load(std::memory_order_relaxed); }
    int outputChannels() const { return mOutputChannels.load(std::memory_order_relaxed); }
    bool isBypassed() const { return mBypass; }
    // The preset reader of loadPresets over any byte source.
    void loadPresetsFrom(XP::InputReader& source);
    // The same reader into another bank made over this effect's parameters.
    void readPresets(ProgramBank& bank, XP::InputReader& source) const;

    // --- The factory sound library ---------------------------------------------
    // The library is the preset texts among the compiled-in resources whose
    // names start with `prefix`, one category per resource, in name order.
    void useSoundLibrary(const char* prefix) { mLibraryPrefix = prefix; }
    // Read strictly on first use, from any thread but the audio thread; a
    // resource that does not read is left out whole.
    const KPresetLibrary& soundLibrary() const;
    // Loads library sound `sound` into the current program as a program
    // file of it would: its values and its name. The host hears of each
    // value that changed as of a gesture of its own, and of the name through
    // a display update, on the editor's host thread like every editor edit.
    // False, and nothing changes, for an index outside the library.
    bool loadLibrarySound(int sound);
    // The library sound whose name the current program carries, or -1.
    int currentLibrarySound() const;

protected:
    // Appends the parameter for the next index; the effect owns it from now on.
    void addParameter(const KEffectParameter* parameter) { mParameters.add(parameter); }
    // Appends one parameter per row, in the rows' order; the rows must
    // outlive the effect (a static table).
    void addParameters(const KParameterInfo* rows, int count);
    void setOriginalParameterCount(int count) { mOriginalParameterCount = count; }
    // Sizes the parameter list's storage to exactly `count` entries ahead of adding.
    void reserveParameters(int count);
    void reserveCommands(int count);

private:
    void updateChannelCounts();
    void tellHost(KHostNotices::Kind kind, int index, float value);
    // The host callbacks of one notice; the last value again before an end
    // when `resend`.
    void callHostWith(const KHostNotices::Notice& notice, bool resend);
    // As the queue's consumer, which keeps track of the last value told.
    void deliver(const KHostNotices::Notice& notice);
    // Makes the scratch block and channel tables fit; false when the layout
    // cannot be staged (then nothing is rendered).
    bool stageLayout(int inputCount, int outputCount, int frames);

    // Declared in the reverse of the order in which they are released.
    PtrMgr<const KEffectParameter> mParameters;
    // Row of each parameter, null for those made by hand.
    std::vector<const KParameterInfo*> mInfo;
    int mOriginalParameterCount = -1;
    ProgramBank mBank;
    PtrMgr<KEffectFeature> mFeatures;
    KCommandMgr mCommands;
    std::atomic<bool> mEditorOpen{false};
    KHostNotices mNotices;
    // The thread of the last editorIdle; none before the first.
    std::atomic<std::thread::id> mIdleThread{};
    // Consumer side of mNotices: the last value the host was told, so that
    // a gesture whose values were cut short ends on its last one.
    int mToldIndex = -1;
    float mToldValue = 0.0f;
    // A library load renamed the program; the host is told on its thread.
    std::atomic<bool> mDisplayChanged{false};
    const char* mLibraryPrefix = nullptr;
    mutable std::once_flag mLibraryRead;
    mutable std::unique_ptr<KPresetLibrary> mLibrary;
    // Values before an editor command, sized when the editor opens.
    std::unique_ptr<float[]> mCommandValues;
    int mCommandValueCount = 0;
    VstSpeakerArrangement* mInputArrangement = nullptr;
    VstSpeakerArrangement* mOutputArrangement = nullptr;
    // Cached channel counts of the arrangements, read by the audio thread.
    std::atomic<int> mInputChannels{0};
    std::atomic<int> mOutputChannels{0};
    bool mBypass = false;

    std::unique_ptr<double[]> mScratch;
    int mScratchCapacity = 0;
    int mStagedInputs = -1;
    int mStagedOutputs = -1;
    int mStagedFrames = -1;
    std::unique_ptr<double*[]> mInputTable;
    std::unique_ptr<double*[]> mOutputTable;
    int mInputTableCapacity = 0;
    int mOutputTableCapacity = 0;
};

}  // namespace KAMO
