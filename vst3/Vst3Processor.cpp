#include "vst3/Vst3Processor.h"

#include "framework/KBlockTime.h"
#include "framework/KEffect.h"
#include "framework/KEffectParameter.h"
#include "framework/KHostBridge.h"
#include "vst3/Vst3Parameters.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace KAMO {

namespace {

constexpr unsigned char kNoteOn = 0x90;
constexpr unsigned char kNoteOff = 0x80;
constexpr unsigned char kPitchBend = 0xE0;
constexpr double kBendSteps = 16383.0;  // a 14-bit bend from 0 to 16383

double unit(double x) { return KEffectParameter::clampUnit(x); }

unsigned char velocity(float v) {
    const long scaled = std::lround(unit(static_cast<double>(v)) * 127.0);
    return static_cast<unsigned char>(scaled);
}

// Offsets a host may get wrong: anything outside the block goes to its
// nearest frame, so that a late note-off still ends its note.
std::int32_t intoBlock(std::int32_t offset, std::int32_t frames) {
    if (offset < 0) return 0;
    return offset >= frames ? frames - 1 : offset;
}

// The effect has one output: it renders into the bus's first channel from
// frame `from`, and the other channels get a copy. False without a first
// channel to render into.
template <typename T>
bool renderMono(KHostBridge& bridge, T** channels, int numChannels, std::int32_t from,
                std::int32_t frames) {
    if (!channels || !channels[0]) return false;
    T* out = channels[0] + from;
    bridge.render(out, frames);
    for (int c = 1; c < numChannels; ++c)
        if (channels[c]) std::memcpy(channels[c] + from, out, sizeof(T) * frames);
    return true;
}

}  // namespace

Vst3Processor::Vst3Processor(KHostBridge& bridge, const Vst3Parameters& parameters)
    : bridge_(bridge),
      effect_(bridge.effect()),
      parameters_(parameters),
      midi_(new Midi[kEventCapacity]),
      changes_(new Change[kChangeCapacity]) {
    static_assert(kEventsPerCall <= KHostBridge::kMidiCapacity, "one call fits the bridge's list");
    KEffect& effect = effect_;
    hostValueCount_ = parameters.effectCount();
    hostValues_.reset(new std::atomic<double>[static_cast<std::size_t>(hostValueCount_)]);
    for (int i = 0; i < hostValueCount_; ++i) {
        const KEffectParameter* p = effect.parameter(i);
        const void* slot = effect.programBank().valueSlot(effect.getProgram(), i);
        hostValues_[i].store(p && slot ? p->getConfinedValue(slot) : 0.0);
    }
    hostProgram_.store(effect.getProgram());
}

Vst3Processor::~Vst3Processor() = default;

void Vst3Processor::setup(double sampleRate, int maxBlock) {
    if (std::isfinite(sampleRate) && sampleRate > 0.0) rate_ = sampleRate;
    bridge_.setSampleRate(rate_);
    bridge_.setBlockSize(maxBlock);
}

double Vst3Processor::hostValue(int index) const {
    if (index < 0 || index >= hostValueCount_) return 0.0;
    return hostValues_[index].load(std::memory_order_relaxed);
}

void Vst3Processor::setHostValue(int index, double normalised) {
    if (index >= 0 && index < hostValueCount_)
        hostValues_[index].store(normalised, std::memory_order_relaxed);
}

void Vst3Processor::apply(v3_param_id id, double normalised) {
    if (std::isnan(normalised) || !parameters_.isKnown(id)) return;
    const double v = unit(normalised);
    if (id == Vst3Parameters::kProgramId) {
        const int program = parameters_.programOf(v);
        setHostProgram(program);
        if (program != effect_.getProgram()) bridge_.setProgram(program);
        return;
    }
    if (id == Vst3Parameters::kBendId) {
        setBend(v);
        return;
    }
    const int index = static_cast<int>(id);
    effect_.editParameter(index, KEffect::ParameterEdit::normalised(v));
    setHostValue(index, v);
}

void Vst3Processor::addMidi(std::int32_t offset, unsigned char status, unsigned char d1,
                            unsigned char d2) {
    if (midiCount_ >= kEventCapacity) return;
    // Kept in order of frames, equal frames in the order they came.
    int at = midiCount_++;
    while (at > 0 && midi_[at - 1].offset > offset) {
        midi_[at] = midi_[at - 1];
        --at;
    }
    midi_[at] = Midi{offset, {status, d1, d2}};
}

void Vst3Processor::readEvents(v3_event_list** list, std::int32_t frames) {
    if (!list) return;
    // The count is the list's word only: reading ends where the list has no
    // event to give, when no more can be kept, or after kReadLimit events.
    const std::uint32_t count = vst3Methods(list)->get_event_count(list);
    for (std::uint32_t i = 0;
         i < count && i < static_cast<std::uint32_t>(kReadLimit) && midiCount_ < kEventCapacity;
         ++i) {
        v3_event event;
        std::memset(&event, 0, sizeof event);
        if (vst3Methods(list)->get_event(list, static_cast<std::int32_t>(i), &event) != V3_OK)
            break;
        const std::int32_t at = intoBlock(event.sample_offset, frames);
        if (event.type == V3_EVENT_NOTE_ON) {
            const auto& on = event.note_on;
            if (on.pitch < 0 || on.pitch > 127) continue;
            const unsigned char channel = static_cast<unsigned char>(on.channel & 0x0F);
            unsigned char v = velocity(on.velocity);
            // Velocity 0 would read as a note-off.
            if (v == 0) v = 1;
            addMidi(at, kNoteOn | channel, static_cast<unsigned char>(on.pitch), v);
        } else if (event.type == V3_EVENT_NOTE_OFF) {
            const auto& off = event.note_off;
            if (off.pitch < 0 || off.pitch > 127) continue;
            const unsigned char channel = static_cast<unsigned char>(off.channel & 0x0F);
            addMidi(at, kNoteOff | channel, static_cast<unsigned char>(off.pitch),
                    velocity(off.velocity));
        }
    }
}

void Vst3Processor::readChanges(v3_param_changes** changes, std::int32_t frames) {
    if (!changes) return;
    // As with events: the counts bound nothing by themselves. A queue or a
    // point the list cannot give ends its loop; so do kReadLimit of them.
    const std::int32_t queues = vst3Methods(changes)->get_param_count(changes);
    for (std::int32_t q = 0; q < queues && q < kReadLimit; ++q) {
        v3_param_value_queue** queue = vst3Methods(changes)->get_param_data(changes, q);
        if (!queue) break;
        const v3_param_id id = vst3Methods(queue)->get_param_id(queue);
        if (!parameters_.isKnown(id)) continue;
        const std::int32_t points = vst3Methods(queue)->get_point_count(queue);
        for (std::int32_t p = 0; p < points && p < kReadLimit; ++p) {
            if (changeCount_ >= kChangeCapacity && midiCount_ >= kEventCapacity) return;
            std::int32_t offset = 0;
            double value = 0.0;
            if (vst3Methods(queue)->get_point(queue, p, &offset, &value) != V3_OK) break;
            if (std::isnan(value)) continue;
            const std::int32_t at = frames > 0 ? intoBlock(offset, frames) : 0;
            if (id == Vst3Parameters::kBendId) {
                // Played as the MIDI message it stands for, among the notes.
                const auto bend = static_cast<int>(std::lround(unit(value) * kBendSteps));
                addMidi(at, kPitchBend, static_cast<unsigned char>(bend & 0x7F),
                        static_cast<unsigned char>(bend >> 7));
                setBend(unit(value));
                continue;
            }
            if (changeCount_ >= kChangeCapacity) continue;
            int slot = changeCount_++;
            while (slot > 0 && changes_[slot - 1].offset > at) {
                changes_[slot] = changes_[slot - 1];
                --slot;
            }
            changes_[slot] = Change{at, id, value};
        }
    }
}

void Vst3Processor::readTransport(const v3_process_context* context) {
    if (!context) {
        bridge_.setBlockTime(nullptr);
        return;
    }
    const std::uint32_t state = context->state;
    KBlockTime start(rate_);
    start.setFrame(static_cast<double>(context->project_time_in_samples));
    start.setMotion(state & V3_PROCESS_CTX_PLAYING, state & V3_PROCESS_CTX_RECORDING,
                    state & V3_PROCESS_CTX_CYCLE_ACTIVE);
    if (state & V3_PROCESS_CTX_PROJECT_TIME_VALID)
        start.setQuarters(context->project_time_quarters);
    if (state & V3_PROCESS_CTX_TEMPO_VALID) start.setTempo(context->bpm);
    if (state & V3_PROCESS_CTX_BAR_POSITION_VALID)
        start.setBarStart(context->bar_position_quarters);
    if (state & V3_PROCESS_CTX_CYCLE_VALID)
        start.setCycle(context->cycle_start_quarters, context->cycle_end_quarters);
    if (state & V3_PROCESS_CTX_TIME_SIG_VALID)
        start.setSignature(context->time_sig_numerator, context->time_sig_denom);
    if (state & V3_PROCESS_CTX_SYSTEM_TIME_VALID)
        start.setSystemTime(static_cast<double>(context->system_time_ns));
    bridge_.setBlockTime(&start.info());
}

void Vst3Processor::render(v3_process_data& data, std::int32_t from, std::int32_t to,
                           int firstEvent, int eventCount) {
    bridge_.clearMidi();
    for (int i = 0; i < eventCount; ++i) {
        const Midi& m = midi_[firstEvent + i];
        bridge_.addMidi(m.bytes, sizeof m.bytes, m.offset > from ? m.offset - from : 0);
    }
    bridge_.sendMidi();
    bridge_.moveTime(static_cast<int>(from));

    const std::int32_t n = to - from;
    if (data.num_output_buses < 1 || !data.outputs) return;
    v3_audio_bus_buffers& bus = data.outputs[0];
    if (bus.num_channels < 1) return;
    const bool rendered =
        data.symbolic_sample_size == V3_SAMPLE_64
            ? renderMono(bridge_, bus.channel_buffers_64, bus.num_channels, from, n)
            : renderMono(bridge_, bus.channel_buffers_32, bus.num_channels, from, n);
    if (rendered) bus.channel_silence_bitset = 0;
}

void Vst3Processor::process(v3_process_data& data) {
    const std::int32_t frames = data.nframes > 0 ? data.nframes : 0;
    midiCount_ = 0;
    changeCount_ = 0;
    readChanges(data.input_params, frames);
    if (frames == 0) {
        // A call without audio carries parameter changes only (hosts flush
        // them this way); notes would have no frame to sound on.
        for (int i = 0; i < changeCount_; ++i) apply(changes_[i].id, changes_[i].value);
        return;
    }
    readEvents(data.input_events, frames);
    readTransport(data.ctx);

    int nextChange = 0;
    int nextEvent = 0;
    std::int32_t from = 0;
    while (from < frames) {
        while (nextChange < changeCount_ && changes_[nextChange].offset <= from) {
            apply(changes_[nextChange].id, changes_[nextChange].value);
            ++nextChange;
        }
        std::int32_t to = nextChange < changeCount_ ? changes_[nextChange].offset : frames;
        int last = nextEvent;
        while (last < midiCount_ && midi_[last].offset < to) ++last;
        if (last - nextEvent > kEventsPerCall) {
            // More than one call takes: end the stretch before the first
            // event that does not fit; more on one frame move to the next.
            const std::int32_t cut = midi_[nextEvent + kEventsPerCall].offset;
            to = cut > from ? cut : from + 1;
            last = nextEvent + kEventsPerCall;
            while (cut > from && last > nextEvent && midi_[last - 1].offset >= cut) --last;
        }
        render(data, from, to, nextEvent, last - nextEvent);
        nextEvent = last;
        from = to;
    }
    bridge_.setTime(nullptr);
}

}  // namespace KAMO
