#include "tools/vst3host/Vst3SongRenderer.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/TempoMap.h"
#include "tools/vst3host/Vst3Instance.h"

#include <travesty/audio_processor.h>

#include <algorithm>
#include <cmath>

namespace vst3host {

namespace {

constexpr double kAfter = plughost::TempoMap::kAfter;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kPitchBend = 0xE0;

// One MIDI message as the VST 3 events and parameters it stands for.
void addMessage(const plughost::MidiMessage& m, std::int32_t offset, bool haveBend,
                v3_param_id bend, EventList& events, ParamChanges& changes) {
    const std::uint8_t kind = m.bytes[0] & 0xF0;
    const int channel = m.bytes[0] & 0x0F;
    if (kind == kNoteOn && m.bytes[2] != 0)
        events.noteOn(offset, channel, m.bytes[1], m.bytes[2] / 127.0f);
    else if (kind == kNoteOn || kind == kNoteOff)
        events.noteOff(offset, channel, m.bytes[1], m.bytes[2] / 127.0f);
    else if (kind == kPitchBend && haveBend)
        changes.add(bend, offset, (m.bytes[2] * 128 + m.bytes[1]) / 16383.0);
}

template <typename T>
bool render(Vst3Instance& instance, const plughost::MidiSong& song,
            const Vst3RenderOptions& options, plughost::AudioSink& sink, Vst3RenderStats& stats) {
    const plughost::TempoMap& map = song.tempoMap();
    const auto& messages = song.messages();
    v3_param_id bend = 0;
    const bool haveBend = instance.bendParameter(bend);

    plughost::AudioBuffers<T> buffers(0, 1, options.block);
    EventList events;
    ParamChanges changes;
    std::size_t next = 0;
    std::size_t nextChange = 0;
    auto play = [&](std::int64_t pos, std::int64_t len, double ppq,
                    const std::vector<std::int64_t>& frameOf) -> const T* {
        events.events.clear();
        changes.clear();
        for (; next < messages.size() && frameOf[next] < pos + len; ++next)
            addMessage(messages[next],
                       static_cast<std::int32_t>(std::max<std::int64_t>(frameOf[next] - pos, 0)),
                       haveBend, bend, events, changes);
        for (; nextChange < options.changes.size() && options.changes[nextChange].frame < pos + len;
             ++nextChange) {
            const ParameterChange& c = options.changes[nextChange];
            changes.add(c.id, static_cast<std::int32_t>(std::max<std::int64_t>(c.frame - pos, 0)),
                        c.value);
        }

        v3_process_context context{};
        context.state = V3_PROCESS_CTX_PLAYING | V3_PROCESS_CTX_PROJECT_TIME_VALID |
                        V3_PROCESS_CTX_TEMPO_VALID | V3_PROCESS_CTX_BAR_POSITION_VALID |
                        V3_PROCESS_CTX_TIME_SIG_VALID;
        context.sample_rate = options.rate;
        context.project_time_in_samples = pos;
        context.continuous_time_in_samples = pos;
        context.project_time_quarters = ppq;
        context.bar_position_quarters = map.barStartAt(ppq + kAfter);
        context.bpm = map.tempoAtPpq(ppq + kAfter);
        context.time_sig_numerator = map.numeratorAt(ppq + kAfter);
        context.time_sig_denom = map.denominatorAt(ppq + kAfter);

        buffers.clear();
        instance.process(static_cast<int>(len), reinterpret_cast<void**>(buffers.outputs()), 1,
                         &changes, &events, &context);
        return buffers.output(0);
    };
    return plughost::playBlocks<T>(song, options, sink, stats, play);
}

}  // namespace

bool renderSong(Vst3Instance& instance, const plughost::MidiSong& song,
                const Vst3RenderOptions& options, plughost::AudioSink& sink, Vst3RenderStats& stats,
                std::string* error) {
    stats = Vst3RenderStats();
    if (!instance.setup(options.rate, options.block, options.doubles)) {
        if (error) *error = "the plug-in refuses this sample size or setup";
        return false;
    }
    instance.setActive(true);
    const bool ok = options.doubles ? render<double>(instance, song, options, sink, stats)
                                    : render<float>(instance, song, options, sink, stats);
    instance.setActive(false);
    if (!ok && error) *error = "writing the audio failed";
    return ok;
}

}  // namespace vst3host
