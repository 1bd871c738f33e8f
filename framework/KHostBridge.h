#pragma once
// The VST 2.4 host that a face of another format (LV2, VST 3, CLAP) plays
// to the effect it adapts: it builds and owns the effect, answers its host
// calls (rate, block size, time, host name, MIDI wanted), drives its life
// cycle, hands it MIDI and renders it, delivers what its editor edited,
// and reads and writes its state. The face is only its format's
// translation onto these calls.
//
// How a face uses it:
//   1. Construct with the name the effect is told for its host, and a Listener
//      when an editor's edits are to reach the face (then make the bridge the
//      face's last member: edits delivered as the effect closes still find
//      the rest of it); build() makes the effect (false: none, the face
//      refuses to instantiate).
//   2. open() once, then setSampleRate/setBlockSize as the host tells them
//      (the effect hears them at once; its questions get them as answers),
//      resume()/suspend() around processing and startProcess()/stopProcess()
//      where the format has them. The destructor closes the effect.
//   3. Audio thread: addMidi() the events of a stretch, setTime() the
//      transport's record (or setBlockTime() once a block and moveTime()
//      to each stretch's first frame), then sendMidi() and render();
//      nothing allocates.
//   4. The host's editor or main thread: openEditor()/closeEditor(), and
//      idleEditor() from the host's timer or idle: editor edits reach the
//      Listener there, as begin, value and end, in the order made.
//   5. Main thread: bankImage()/program() to save; takeState() to restore
//      (checked: a bank image that is none of ours or a program outside the
//      bank changes nothing).
//
// Threads: the effect asks its questions from whichever thread drives it;
// answers read values the face set beforehand on the thread that drives
// the effect then. The effect is built unbound: what it asks while it is
// constructed gets the answers of a host that knows nothing yet (no rate,
// no block size), and it learns them through setSampleRate/setBlockSize.

#include "shell/AudioEffect.h"
#include "shell/Vst2.h"

#include <cstddef>
#include <memory>

namespace KAMO {

class KEffect;
class KMidiEventList;

class KHostBridge {
public:
    enum class Edit { Begin, Value, End };

    class Listener {
    public:
        // An edit the effect reports to its host: a gesture's begin or end,
        // or a new value (normalised) of parameter `index`. On the thread
        // that last called idleEditor(); before any idle, on the thread
        // that edits. False when the face ignores it.
        virtual bool hostEdit(Edit kind, int index, float value) = 0;

    protected:
        ~Listener() = default;
    };

    using EffectFactory = AudioEffect* (*)(audioMasterCallback host);

    // Most MIDI events handed to the effect in one call.
    static constexpr int kMidiCapacity = 512;

    KHostBridge(const char* hostName, Listener* listener = nullptr);
    ~KHostBridge();
    KHostBridge(const KHostBridge&) = delete;
    KHostBridge& operator=(const KHostBridge&) = delete;

    // Builds the effect with `make`; false, with nothing left over, when it
    // builds none or one that is not a KEffect.
    bool build(EffectFactory make = &createEffectInstance);
    KEffect& effect() { return *effect_; }
    AEffect* record() const { return record_; }

    // The name the effect is told for its host (at most 63 characters).
    void setHostName(const char* name);

    // --- Life cycle ---
    void open();
    // A rate the effect does not play is passed on all the same (it keeps
    // its own then), but never answered to its questions.
    void setSampleRate(double rate);
    // The last rate told that the effect plays; 0 before any.
    double sampleRate() const { return rate_; }
    void setBlockSize(int frames);
    void resume();
    void suspend();
    void startProcess();
    void stopProcess();

    // --- Audio ---
    // Listed for the next sendMidi, `delta` frames into the stretch; false
    // when the list is full or the message is not 1 to 3 bytes.
    bool addMidi(const unsigned char* bytes, int size, int delta);
    int midiCount() const;
    // Hands the listed events to the effect and empties the list. An empty
    // list goes too: the effect drops what an earlier stretch left over.
    void sendMidi();
    // Hands over only the events due within the next `frames` frames; the
    // later ones stay listed, `frames` earlier, for the next stretch.
    void sendMidi(int frames);
    void clearMidi();
    // The transport the effect reads while it renders, as it stands for the
    // stretch to come; null: none.
    void setTime(const VstTimeInfo* time) { time_ = time; }
    // The transport at the first frame of the block to come (copied; its
    // sampleRate is the rate it moves at); null: none. moveTime() then
    // sets it for each stretch.
    void setBlockTime(const VstTimeInfo* start);
    // The effect reads the block's transport `offset` frames on: a stopped
    // one stays where it is, a playing one moves on.
    void moveTime(int offset);
    void render(float* out, int frames);
    void render(double* out, int frames);

    // --- Editor ---
    // Idles once first, so that the effect knows the host's thread before
    // any edit can be made.
    bool openEditor(void* parent);
    void closeEditor();
    // The editor's size in device pixels; false without an editor.
    bool editorSize(int& width, int& height);
    void idleEditor();

    // --- State ---
    // The effect's bank image, valid until the next call into the effect;
    // null when it has none.
    const unsigned char* bankImage(std::size_t& size);
    int program();
    int programCount() const;
    void setProgram(int program);
    // Takes the bank image and then the program, or nothing.
    bool takeState(const unsigned char* bank, std::size_t size, long long program);
    // Takes one program record of today's length with every value in [0, 1]
    // into the current program, as its program file would be (values and
    // name); false, and nothing changes, for anything else.
    bool takeProgramRecord(const unsigned char* record, std::size_t size);

private:
    static VstIntPtr hostCallback(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, void* ptr, float opt);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    Listener* listener_;
    char hostName_[kVstMaxProductStrLen + 1] = {};
    KEffect* effect_ = nullptr;
    AEffect* record_ = nullptr;
    double rate_ = 0.0;
    VstIntPtr rateAnswer_ = 0;
    int maxBlock_ = 0;
    const VstTimeInfo* time_ = nullptr;
    VstTimeInfo blockStart_{};
    VstTimeInfo blockTime_{};
    std::unique_ptr<KMidiEventList> midi_;
    VstEvents* list_ = nullptr;
    // Where sendMidi(frames) keeps the later events while the list goes.
    std::unique_ptr<VstMidiEvent[]> later_;
    bool editorOpen_ = false;
};

}  // namespace KAMO
