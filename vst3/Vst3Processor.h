#pragma once
// The audio side of the VST 3 face. One host block becomes a run of the
// effect's own calls, as a VST 2.4 host would make them: notes and the bend
// (a parameter in VST 3, a MIDI message to the effect) go to processEvents
// at their frames; a parameter change cuts the block at its frame, so that
// the effect hears it exactly there; each stretch is rendered with the
// host's transport moved on to the stretch's first frame, which the effect
// reads as its time info.
//
// Everything is sized in setup(); process() allocates nothing. Events and
// changes beyond the capacities of one block are dropped.

#include "shell/Vst2.h"
#include "vst3/Vst3Com.h"

#include <atomic>
#include <memory>

namespace KAMO {

class KEffect;
class KHostBridge;
class Vst3Parameters;

class Vst3Processor {
public:
    // Most MIDI events handed to the effect in one call, and most events
    // and parameter changes taken from one host block.
    static constexpr int kEventsPerCall = 512;
    static constexpr int kEventCapacity = 2048;
    static constexpr int kChangeCapacity = 4096;
    // Most events, queues or points of one queue read in one block, whatever
    // count the host's lists give.
    static constexpr int kReadLimit = 65536;

    Vst3Processor(KHostBridge& bridge, const Vst3Parameters& parameters);
    ~Vst3Processor();
    Vst3Processor(const Vst3Processor&) = delete;
    Vst3Processor& operator=(const Vst3Processor&) = delete;

    void setup(double sampleRate, int maxBlock);
    double sampleRate() const { return rate_; }
    void process(v3_process_data& data);
    // The value each parameter last had from the host (process or
    // controller), so that the controller tells the host only of changes
    // that came from elsewhere. Any thread.
    double hostValue(int index) const;
    void setHostValue(int index, double normalised);
    double bend() const { return bend_.load(std::memory_order_relaxed); }
    void setBend(double normalised) { bend_.store(normalised, std::memory_order_relaxed); }
    // The program the host last chose (through the program-change parameter).
    int hostProgram() const { return hostProgram_.load(std::memory_order_relaxed); }
    void setHostProgram(int program) { hostProgram_.store(program, std::memory_order_relaxed); }

    // Sends one parameter change the host made to the effect; NaN and
    // unknown ids change nothing, values beyond [0, 1] are clamped.
    void apply(v3_param_id id, double normalised);

private:
    struct Midi {
        std::int32_t offset;
        unsigned char bytes[3];
    };
    struct Change {
        std::int32_t offset;
        v3_param_id id;
        double value;
    };

    void readEvents(v3_event_list** list, std::int32_t frames);
    void readChanges(v3_param_changes** changes, std::int32_t frames);
    void addMidi(std::int32_t offset, unsigned char status, unsigned char d1, unsigned char d2);
    void readTransport(const v3_process_context* context);
    void render(v3_process_data& data, std::int32_t from, std::int32_t to, int firstEvent,
                int eventCount);

    KHostBridge& bridge_;
    KEffect& effect_;
    const Vst3Parameters& parameters_;
    double rate_ = 44100.0;

    std::unique_ptr<Midi[]> midi_;
    int midiCount_ = 0;
    std::unique_ptr<Change[]> changes_;
    int changeCount_ = 0;

    std::unique_ptr<std::atomic<double>[]> hostValues_;
    int hostValueCount_ = 0;
    std::atomic<double> bend_{0.5};
    std::atomic<int> hostProgram_{0};
};

}  // namespace KAMO
