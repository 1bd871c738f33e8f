#pragma once
// The audio side of the CLAP face. One host block becomes a run of the
// effect's own calls, as a VST 2.4 host would make them. The host's events
// come in time order: notes (CLAP or MIDI dialect) and MIDI messages wait
// in a list with their frames; a parameter change cuts the block at its
// frame, so that what comes before it is rendered first and the effect
// hears the change exactly there. Each stretch is rendered with the host's
// transport moved on to the stretch's first frame, which the effect reads
// as its time info.
//
// What the editor told the host (gestures and values, queued on the host's
// main thread) goes out as parameter events at the start of the next
// process or flush, the only places CLAP takes them.
//
// Everything is sized at construction; process() allocates nothing. Notes
// beyond kEventsPerCall on one frame are dropped.

#include "framework/KHostNotices.h"
#include "shell/Vst2.h"

#include <clap/events.h>
#include <clap/process.h>

namespace KAMO {

class KEffect;
class KHostBridge;
class ClapParams;

class ClapProcessor {
public:
    static constexpr int kEventsPerCall = 512;  // what the bridge's list holds
    // Most events read from one block's list.
    static constexpr std::uint32_t kEventsPerBlock = 1u << 16;
    // The output port's channels: the one signal on both sides of a stereo
    // pair, which hosts that play mono instruments on the left alone need.
    static constexpr std::uint32_t kChannels = 2;

    ClapProcessor(KHostBridge& bridge, const ClapParams& params);
    ClapProcessor(const ClapProcessor&) = delete;
    ClapProcessor& operator=(const ClapProcessor&) = delete;

    // From activate: the rate, and the longest block the host promised.
    void setup(double sampleRate, std::uint32_t maxFrames);
    clap_process_status process(const clap_process_t& process);
    // Parameter changes without audio, and the editor's news.
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);

    // Main thread: what the host has to hear of an editor edit. False when
    // the queue is full.
    bool tellHost(KHostNotices::Kind kind, int index, float normalised);
    bool hasNews() const { return !news_.empty(); }

private:
    struct Midi {
        std::uint32_t frame;
        unsigned char bytes[3];
    };

    void readTransport(const clap_event_transport_t* transport);
    // A parameter change the host made, in the core event space.
    void takeParameter(const clap_event_header_t& header);
    void takeNote(const clap_event_header_t& header, std::uint32_t frame);
    void addMidi(std::uint32_t frame, unsigned char status, unsigned char d1, unsigned char d2);
    void render(const clap_process_t& process, std::uint32_t from, std::uint32_t to);
    void sendNews(const clap_output_events_t* out);

    KHostBridge& bridge_;
    KEffect& effect_;
    const ClapParams& params_;
    double rate_ = 44100.0;
    std::uint32_t maxFrames_ = 4096;

    Midi waiting_[kEventsPerCall];
    int waitingCount_ = 0;

    KHostNotices news_;
};

}  // namespace KAMO
