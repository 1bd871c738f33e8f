#include "tools/claphost/ClapSongRenderer.h"

#include "tools/claphost/ClapInstance.h"
#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/TempoMap.h"

#include <clap/fixedpoint.h>

#include <algorithm>
#include <cmath>

namespace claphost {

namespace {

constexpr double kAfter = plughost::TempoMap::kAfter;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;

std::int64_t fixed(double x, std::int64_t factor) {
    return static_cast<std::int64_t>(std::llround(x * static_cast<double>(factor)));
}

void addMessage(const plughost::MidiMessage& m, std::uint32_t time, bool midiNotes,
                EventQueue& events) {
    const std::uint8_t kind = m.bytes[0] & 0xF0;
    const int channel = m.bytes[0] & 0x0F;
    if (!midiNotes && kind == kNoteOn && m.bytes[2] != 0)
        events.note(CLAP_EVENT_NOTE_ON, time, channel, m.bytes[1], m.bytes[2] / 127.0);
    else if (!midiNotes && (kind == kNoteOn || kind == kNoteOff))
        events.note(CLAP_EVENT_NOTE_OFF, time, channel, m.bytes[1], m.bytes[2] / 127.0);
    else
        events.midi(time, m.bytes[0], m.bytes[1], m.bytes[2]);
}

template <typename T>
bool render(ClapInstance& instance, const plughost::MidiSong& song,
            const ClapRenderOptions& options, plughost::AudioSink& sink, ClapRenderStats& stats) {
    const auto& messages = song.messages();
    plughost::AudioBuffers<T> buffers(0, 2, options.block);
    EventQueue events;
    std::size_t next = 0;
    std::size_t nextChange = 0;
    auto play = [&](std::int64_t pos, std::int64_t len, double ppq,
                    const std::vector<std::int64_t>& frameOf) -> const T* {
        events.clear();
        // In time order; at one frame the changes first.
        auto due = [&](std::int64_t frame) { return frame < pos + len; };
        auto at = [&](std::int64_t frame) {
            return static_cast<std::uint32_t>(std::max<std::int64_t>(frame - pos, 0));
        };
        while ((next < messages.size() && due(frameOf[next])) ||
               (nextChange < options.changes.size() && due(options.changes[nextChange].frame))) {
            const bool change = nextChange < options.changes.size() &&
                                due(options.changes[nextChange].frame) &&
                                (next >= messages.size() || !due(frameOf[next]) ||
                                 at(options.changes[nextChange].frame) <= at(frameOf[next]));
            if (change) {
                const ParameterChange& c = options.changes[nextChange++];
                events.value(at(c.frame), c.id, c.value);
            } else {
                addMessage(messages[next], at(frameOf[next]), options.midiNotes, events);
                ++next;
            }
        }
        const clap_event_transport_t transport = transportAt(song, ppq, options.rate, pos);
        buffers.clear();
        instance.process(static_cast<std::uint32_t>(len), buffers.outputs(), 2, events, &transport);
        const T* left = buffers.output(0);
        const T* right = buffers.output(1);
        for (std::int64_t i = 0; i < len; ++i)
            if (!(left[i] == right[i])) stats.channelsAlike = false;
        return left;
    };
    return plughost::playBlocks<T>(song, options, sink, stats, play);
}

}  // namespace

clap_event_transport_t transportAt(const plughost::MidiSong& song, double ppq, double rate,
                                   std::int64_t frame) {
    const plughost::TempoMap& map = song.tempoMap();
    clap_event_transport_t t{};
    t.header.size = sizeof t;
    t.header.space_id = CLAP_CORE_EVENT_SPACE_ID;
    t.header.type = CLAP_EVENT_TRANSPORT;
    t.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE |
              CLAP_TRANSPORT_HAS_SECONDS_TIMELINE | CLAP_TRANSPORT_HAS_TIME_SIGNATURE |
              CLAP_TRANSPORT_IS_PLAYING;
    t.song_pos_beats = fixed(ppq, CLAP_BEATTIME_FACTOR);
    t.song_pos_seconds = fixed(static_cast<double>(frame) / rate, CLAP_SECTIME_FACTOR);
    t.tempo = map.tempoAtPpq(ppq + kAfter);
    t.bar_start = fixed(map.barStartAt(ppq + kAfter), CLAP_BEATTIME_FACTOR);
    t.tsig_num = static_cast<std::uint16_t>(map.numeratorAt(ppq + kAfter));
    t.tsig_denom = static_cast<std::uint16_t>(map.denominatorAt(ppq + kAfter));
    return t;
}

bool renderSong(ClapInstance& instance, const plughost::MidiSong& song,
                const ClapRenderOptions& options, plughost::AudioSink& sink, ClapRenderStats& stats,
                std::string* error) {
    stats = ClapRenderStats();
    if (!instance.activate(options.rate, static_cast<std::uint32_t>(options.block))) {
        if (error) *error = "the plug-in refuses to activate at this rate and block size";
        return false;
    }
    const bool ok = options.doubles ? render<double>(instance, song, options, sink, stats)
                                    : render<float>(instance, song, options, sink, stats);
    instance.deactivate();
    if (!ok && error) *error = "writing the audio failed";
    return ok;
}

}  // namespace claphost
