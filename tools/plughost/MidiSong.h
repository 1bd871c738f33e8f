#pragma once
// The playable content of a Standard MIDI File (format 0 or 1): channel
// messages of all tracks merged in time order, and the song's tempo map.
// System-exclusive and meta events other than tempo and time signature are
// not played.

#include "tools/plughost/TempoMap.h"

#include <cstdint>
#include <string>
#include <vector>

struct smf_struct;

namespace plughost {

struct MidiMessage {
    double ppq = 0.0;  // quarter notes from the start
    std::uint8_t bytes[3] = {0, 0, 0};
    int size = 0;  // 1 to 3
};

class MidiSong {
public:
    // Reads a file; false with `error` set when it cannot be read or parsed.
    bool load(const std::string& path, std::string* error = nullptr);
    bool loadFromMemory(const void* data, std::size_t size, std::string* error = nullptr);

    // For songs built in code.
    void addMessage(double ppq, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    // Makes the song last at least until `ppq`.
    void extendTo(double ppq) {
        if (ppq > endPpq_) endPpq_ = ppq;
    }
    // Re-establishes time order after addMessage (stable: equal times keep their order).
    void sort();

    const std::vector<MidiMessage>& messages() const { return messages_; }
    TempoMap& tempoMap() { return tempo_; }
    const TempoMap& tempoMap() const { return tempo_; }
    int format() const { return format_; }
    int trackCount() const { return tracks_; }
    // Position of the last event (of any kind, end of track included).
    double endPpq() const { return endPpq_; }
    double lengthSeconds() const { return tempo_.secondsAt(endPpq_); }
    // Frame of a message at `rate`, rounded to the nearest frame.
    static std::int64_t frameAt(double seconds, double rate);
    // The frame of each message at `rate` under `map` (none before 0), and
    // how many frames a render takes: to the end plus `tailSeconds`, and at
    // least through the last message.
    std::int64_t messageFrames(const TempoMap& map, double rate, double tailSeconds,
                               std::vector<std::int64_t>& frameOf) const;

private:
    bool parse(::smf_struct* smf, std::string* error);

    std::vector<MidiMessage> messages_;
    TempoMap tempo_;
    int format_ = 0;
    int tracks_ = 0;
    double endPpq_ = 0.0;
};

}  // namespace plughost
