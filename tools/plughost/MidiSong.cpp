#include "tools/plughost/MidiSong.h"

#include "tools/plughost/MidiBytes.h"

// glib, which smf.h includes inside extern "C", needs the C++ headers first.
#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>

#include <smf.h>

namespace plughost {

namespace {
struct SmfDeleter {
    void operator()(smf_t* smf) const { smf_delete(smf); }
};
using SmfPtr = std::unique_ptr<smf_t, SmfDeleter>;

// Bytes a channel message of this status carries, status included.
int channelMessageSize(std::uint8_t status) {
    switch (status & kMidiKindMask) {
    case kMidiProgramChange:
    case kMidiChannelPressure:
        return 2;
    default:
        return 3;
    }
}
}  // namespace

bool MidiSong::load(const std::string& path, std::string* error) {
    SmfPtr smf(smf_load(path.c_str()));
    if (!smf) {
        if (error) *error = path + ": not a readable Standard MIDI File";
        return false;
    }
    return parse(smf.get(), error);
}

bool MidiSong::loadFromMemory(const void* data, std::size_t size, std::string* error) {
    SmfPtr smf(smf_load_from_memory(data, static_cast<int>(size)));
    if (!smf) {
        if (error) *error = "not a readable Standard MIDI File";
        return false;
    }
    return parse(smf.get(), error);
}

bool MidiSong::parse(smf_t* smf, std::string* error) {
    messages_.clear();
    tempo_ = TempoMap();
    format_ = smf->format;
    tracks_ = smf->number_of_tracks;
    endPpq_ = 0.0;

    // Time-code files count ticks per second; they carry no musical tempo,
    // so they are laid on the default 120 BPM axis.
    const bool timecode = smf->ppqn <= 0;
    const double ticksPerSecond = timecode ? double(smf->frames_per_second) * smf->resolution : 0.0;
    if (timecode && ticksPerSecond <= 0.0) {
        if (error) *error = "the file's time division is invalid";
        return false;
    }
    auto toPpq = [&](int pulses) {
        return timecode ? pulses / ticksPerSecond * 2.0 : double(pulses) / smf->ppqn;
    };

    smf_rewind(smf);
    while (smf_event_t* event = smf_get_next_event(smf)) {
        const double ppq = toPpq(event->time_pulses);
        endPpq_ = std::max(endPpq_, ppq);
        const unsigned char* b = event->midi_buffer;
        const int n = event->midi_buffer_length;
        if (n <= 0 || !b) continue;
        if (b[0] == kSmfMeta) {
            if (n >= 6 && b[1] == kSmfTempo && b[2] == 3 && !timecode) {
                const long us = (long(b[3]) << 16) | (long(b[4]) << 8) | long(b[5]);
                if (us > 0) tempo_.addTempo(ppq, 60.0e6 / double(us));
            } else if (n >= 5 && b[1] == kSmfTimeSignature && b[2] >= 2) {
                tempo_.addTimeSignature(ppq, b[3], b[4] < 16 ? 1 << b[4] : 4);
            }
            continue;
        }
        // Only channel messages are played.
        if ((b[0] & kMidiStatusBit) == 0 || b[0] >= kMidiSystem) continue;
        MidiMessage m;
        m.ppq = ppq;
        m.size = std::min(n, channelMessageSize(b[0]));
        for (int i = 0; i < m.size; ++i) m.bytes[i] = b[i];
        messages_.push_back(m);
    }
    endPpq_ = std::max(endPpq_, toPpq(smf_get_length_pulses(smf)));
    sort();
    return true;
}

void MidiSong::addMessage(double ppq, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    MidiMessage m;
    m.ppq = ppq;
    m.size = channelMessageSize(status);
    m.bytes[0] = status;
    m.bytes[1] = data1;
    m.bytes[2] = m.size > 2 ? data2 : 0;
    messages_.push_back(m);
    endPpq_ = std::max(endPpq_, ppq);
}

void MidiSong::sort() {
    std::stable_sort(messages_.begin(), messages_.end(),
                     [](const MidiMessage& a, const MidiMessage& b) { return a.ppq < b.ppq; });
}

std::int64_t MidiSong::frameAt(double seconds, double rate) {
    return static_cast<std::int64_t>(std::llround(seconds * rate));
}

std::int64_t MidiSong::messageFrames(const TempoMap& map, double rate, double tailSeconds,
                                     std::vector<std::int64_t>& frameOf) const {
    frameOf.assign(messages_.size(), 0);
    for (std::size_t i = 0; i < messages_.size(); ++i)
        frameOf[i] = std::max<std::int64_t>(0, frameAt(map.secondsAt(messages_[i].ppq), rate));
    const double endSeconds = map.secondsAt(endPpq_) + std::max(tailSeconds, 0.0);
    std::int64_t total = static_cast<std::int64_t>(std::ceil(endSeconds * rate));
    if (!frameOf.empty()) total = std::max(total, frameOf.back() + 1);
    return total;
}

}  // namespace plughost
