#include "clap/ClapProcessor.h"

#include "clap/ClapParams.h"
#include "framework/KBlockTime.h"
#include "framework/KEffect.h"
#include "framework/KHostBridge.h"

#include <clap/fixedpoint.h>

#include <cmath>
#include <cstring>

namespace KAMO {

namespace {

constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kNoteOn = 0x90;

unsigned char velocity(double v) {
    if (!(v >= 0.0)) return 0;
    return static_cast<unsigned char>(std::lround((v > 1.0 ? 1.0 : v) * 127.0));
}

// The event as the type its header names, when it is one of ours and as
// long as that type; null otherwise.
template <typename Event>
const Event* as(const clap_event_header_t& header) {
    if (header.space_id != CLAP_CORE_EVENT_SPACE_ID || header.size < sizeof(Event)) return nullptr;
    return reinterpret_cast<const Event*>(&header);
}

// The effect has one output: it renders into the port's first channel from
// frame `from`, and the other channels get a copy.
template <typename T>
void renderMono(KHostBridge& bridge, T* const* channels, std::uint32_t count, std::uint32_t from,
                std::uint32_t frames) {
    if (!channels[0]) return;
    T* out = channels[0] + from;
    bridge.render(out, static_cast<int>(frames));
    for (std::uint32_t c = 1; c < count; ++c)
        if (channels[c]) std::memcpy(channels[c] + from, out, sizeof(T) * frames);
}

// How many events of a list are read: all a real host sends, and not four
// billion calls for a list that says so.
std::uint32_t eventCount(const clap_input_events_t* in) {
    if (!in || !in->size || !in->get) return 0;
    const std::uint32_t count = in->size(in);
    return count < ClapProcessor::kEventsPerBlock ? count : ClapProcessor::kEventsPerBlock;
}

}  // namespace

ClapProcessor::ClapProcessor(KHostBridge& bridge, const ClapParams& params)
    : bridge_(bridge), effect_(bridge.effect()), params_(params) {}

void ClapProcessor::setup(double sampleRate, std::uint32_t maxFrames) {
    rate_ = sampleRate;
    maxFrames_ = maxFrames;
    bridge_.setSampleRate(rate_);
    bridge_.setBlockSize(static_cast<int>(maxFrames));
}

bool ClapProcessor::tellHost(KHostNotices::Kind kind, int index, float normalised) {
    if (!params_.isKnown(static_cast<clap_id>(index))) return false;
    return news_.push(kind, index, normalised);
}

void ClapProcessor::sendNews(const clap_output_events_t* out) {
    news_.drain([&](const KHostNotices::Notice& notice) {
        if (!out || !out->try_push) return;
        const auto id = static_cast<clap_id>(notice.index);
        clap_event_param_gesture_t gesture{};
        gesture.header = {sizeof gesture, 0, CLAP_CORE_EVENT_SPACE_ID, 0, 0};
        gesture.param_id = id;
        if (notice.kind == KHostNotices::Begin) {
            gesture.header.type = CLAP_EVENT_PARAM_GESTURE_BEGIN;
            out->try_push(out, &gesture.header);
            return;
        }
        if (notice.kind == KHostNotices::Value || notice.resend) {
            clap_event_param_value_t value{};
            value.header = {sizeof value, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
            value.param_id = id;
            value.note_id = -1;
            value.port_index = -1;
            value.channel = -1;
            value.key = -1;
            value.value = params_.plainOf(id, notice.value);
            out->try_push(out, &value.header);
        }
        if (notice.kind == KHostNotices::End) {
            gesture.header.type = CLAP_EVENT_PARAM_GESTURE_END;
            out->try_push(out, &gesture.header);
        }
    });
}

void ClapProcessor::takeParameter(const clap_event_header_t& header) {
    const auto* event = as<clap_event_param_value_t>(header);
    // Values for one note, key or channel are not ours: the instrument
    // has one set of values.
    if (!event || std::isnan(event->value) || !params_.isKnown(event->param_id)) return;
    if (event->note_id >= 0 || event->key >= 0 || event->channel >= 0) return;
    const double normalised = params_.normalisedOf(event->param_id, event->value);
    effect_.editParameter(static_cast<int>(event->param_id),
                          KEffect::ParameterEdit::normalised(normalised));
}

void ClapProcessor::addMidi(std::uint32_t frame, unsigned char status, unsigned char d1,
                            unsigned char d2) {
    if (waitingCount_ >= kEventsPerCall) return;
    waiting_[waitingCount_++] = Midi{frame, {status, d1, d2}};
}

void ClapProcessor::takeNote(const clap_event_header_t& header, std::uint32_t frame) {
    if (header.type == CLAP_EVENT_MIDI) {
        const auto* midi = as<clap_event_midi_t>(header);
        // Channel messages of three bytes or two; nothing else is played.
        if (!midi || midi->port_index != 0 || midi->data[0] < 0x80 || midi->data[0] >= 0xF0) return;
        addMidi(frame, midi->data[0], midi->data[1] & 0x7F, midi->data[2] & 0x7F);
        return;
    }
    const auto* note = as<clap_event_note_t>(header);
    if (!note || note->port_index > 0 || note->key < 0 || note->key > 127) return;
    // -1 stands for every channel; the instrument plays them all alike.
    const unsigned char channel =
        note->channel < 0 ? 0 : static_cast<unsigned char>(note->channel & 0x0F);
    const auto key = static_cast<unsigned char>(note->key);
    if (header.type == CLAP_EVENT_NOTE_ON) {
        unsigned char v = velocity(note->velocity);
        // Velocity 0 would read as a note-off.
        addMidi(frame, kNoteOn | channel, key, v == 0 ? 1 : v);
    } else {
        addMidi(frame, kNoteOff | channel, key, velocity(note->velocity));
    }
}

void ClapProcessor::readTransport(const clap_event_transport_t* transport) {
    if (!transport) {
        bridge_.setBlockTime(nullptr);
        return;
    }
    const std::uint32_t f = transport->flags;
    KBlockTime start(rate_);
    start.setMotion(f & CLAP_TRANSPORT_IS_PLAYING, f & CLAP_TRANSPORT_IS_RECORDING,
                    f & CLAP_TRANSPORT_IS_LOOP_ACTIVE);
    if (f & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE)
        start.setFrame(std::round(static_cast<double>(transport->song_pos_seconds) /
                                  CLAP_SECTIME_FACTOR * rate_));
    if (f & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) {
        const double factor = static_cast<double>(CLAP_BEATTIME_FACTOR);
        start.setQuarters(static_cast<double>(transport->song_pos_beats) / factor);
        start.setBarStart(static_cast<double>(transport->bar_start) / factor);
        start.setCycle(static_cast<double>(transport->loop_start_beats) / factor,
                       static_cast<double>(transport->loop_end_beats) / factor);
    }
    if (f & CLAP_TRANSPORT_HAS_TEMPO) start.setTempo(transport->tempo);
    if (f & CLAP_TRANSPORT_HAS_TIME_SIGNATURE)
        start.setSignature(transport->tsig_num, transport->tsig_denom);
    bridge_.setBlockTime(&start.info());
}

void ClapProcessor::render(const clap_process_t& process, std::uint32_t from, std::uint32_t to) {
    // The notes due before `to` go with this stretch; later ones wait.
    bridge_.clearMidi();
    int kept = 0;
    for (int i = 0; i < waitingCount_; ++i) {
        const Midi& m = waiting_[i];
        if (m.frame >= to)
            waiting_[kept++] = m;
        else
            bridge_.addMidi(m.bytes, sizeof m.bytes,
                            static_cast<int>(m.frame > from ? m.frame - from : 0));
    }
    waitingCount_ = kept;
    bridge_.sendMidi();
    bridge_.moveTime(static_cast<int>(from));
    const clap_audio_buffer_t& port = process.audio_outputs[0];
    const std::uint32_t channels = port.channel_count < kChannels ? port.channel_count : kChannels;
    if (port.data64)
        renderMono(bridge_, port.data64, channels, from, to - from);
    else
        renderMono(bridge_, port.data32, channels, from, to - from);
}

clap_process_status ClapProcessor::process(const clap_process_t& process) {
    sendNews(process.out_events);
    const std::uint32_t frames = process.frames_count;
    const bool haveOutput = process.audio_outputs && process.audio_outputs_count >= 1 &&
                            process.audio_outputs[0].channel_count >= 1 &&
                            (process.audio_outputs[0].data64 || process.audio_outputs[0].data32);
    if (!haveOutput) {
        // Nowhere to render: the parameter changes still count.
        flush(process.in_events, nullptr);
        return frames == 0 ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR;
    }
    if (frames == 0) {
        flush(process.in_events, nullptr);
        return CLAP_PROCESS_CONTINUE;
    }
    readTransport(process.transport);
    waitingCount_ = 0;

    const clap_input_events_t* in = process.in_events;
    const std::uint32_t count = eventCount(in);
    std::uint32_t from = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* header = in->get(in, i);
        if (!header) continue;
        // Frames beyond the block go to its last one, so that a late
        // note-off still ends its note; an event out of order is late.
        std::uint32_t at = header->time < frames ? header->time : frames - 1;
        if (at < from) at = from;
        const bool isParameter = header->type == CLAP_EVENT_PARAM_VALUE;
        const bool isNote =
            header->type == CLAP_EVENT_NOTE_ON || header->type == CLAP_EVENT_NOTE_OFF ||
            header->type == CLAP_EVENT_NOTE_CHOKE || header->type == CLAP_EVENT_MIDI;
        if (!isParameter && !isNote) continue;
        // A change, or a note the list has no room for, first renders what
        // comes before it (in pieces no longer than the host promised).
        if (isParameter || waitingCount_ == kEventsPerCall) {
            while (from < at) {
                const std::uint32_t to = at - from > maxFrames_ ? from + maxFrames_ : at;
                render(process, from, to);
                from = to;
            }
        }
        if (isParameter)
            takeParameter(*header);
        else
            takeNote(*header, at);
    }
    while (from < frames) {
        const std::uint32_t to = frames - from > maxFrames_ ? from + maxFrames_ : frames;
        render(process, from, to);
        from = to;
    }
    process.audio_outputs[0].constant_mask = 0;
    bridge_.setTime(nullptr);
    return CLAP_PROCESS_CONTINUE;
}

void ClapProcessor::flush(const clap_input_events_t* in, const clap_output_events_t* out) {
    const std::uint32_t count = eventCount(in);
    for (std::uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* header = in->get(in, i);
        if (header && header->type == CLAP_EVENT_PARAM_VALUE) takeParameter(*header);
    }
    if (out) sendNews(out);
}

}  // namespace KAMO
