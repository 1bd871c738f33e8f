#include "tools/lv2host/Lv2SongRenderer.h"

#include "tools/lv2host/Lv2Instance.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lv2host {

namespace {

constexpr double kAfter = plughost::TempoMap::kAfter;

// What the VST transport says at quarter `ppq` of `map`, as LV2 counts it:
// in beats of the signature's beat unit rather than quarter notes.
Lv2Position positionAt(const plughost::TempoMap& map, double ppq, std::int64_t frame,
                       bool tempoAsDouble) {
    const int unit = map.denominatorAt(ppq + kAfter);
    const double beatsPerQuarter = unit / 4.0;
    const double barStart = map.barStartAt(ppq + kAfter);
    const double barQuarters = map.numeratorAt(ppq + kAfter) * 4.0 / unit;
    Lv2Position p;
    p.frame = frame;
    p.speed = 1.0f;
    p.beatsPerMinute = map.tempoAtPpq(ppq + kAfter) * beatsPerQuarter;
    p.tempoAsDouble = tempoAsDouble;
    p.beatsPerBar = static_cast<float>(map.numeratorAt(ppq + kAfter));
    p.beatUnit = unit;
    p.bar = static_cast<std::int64_t>(std::floor(barStart / barQuarters + 0.5));
    p.barBeat = static_cast<float>((ppq - barStart) * beatsPerQuarter);
    p.beat = ppq * beatsPerQuarter;
    return p;
}

}  // namespace

bool renderSong(Lv2Instance& instance, const plughost::MidiSong& song,
                const Lv2RenderOptions& options, plughost::AudioSink& sink, Lv2RenderStats& stats) {
    stats = Lv2RenderStats();
    const auto& messages = song.messages();
    std::size_t next = 0;
    auto play = [&](std::int64_t pos, std::int64_t len, double ppq,
                    const std::vector<std::int64_t>& frameOf) -> const float* {
        if (options.positionEveryBlock || pos == 0)
            instance.addPosition(0, positionAt(song.tempoMap(), ppq, pos, options.tempoAsDouble));
        for (; next < messages.size() && frameOf[next] < pos + len; ++next) {
            const plughost::MidiMessage& m = messages[next];
            const auto frame =
                static_cast<std::uint32_t>(std::max<std::int64_t>(frameOf[next] - pos, 0));
            if (m.size == 1)
                instance.addMidi(frame, {m.bytes[0]});
            else if (m.size == 2)
                instance.addMidi(frame, {m.bytes[0], m.bytes[1]});
            else
                instance.addMidi(frame, {m.bytes[0], m.bytes[1], m.bytes[2]});
        }
        instance.run(static_cast<std::uint32_t>(len));
        return instance.output();
    };
    instance.activate();
    const bool ok = plughost::playBlocks<float>(song, options, sink, stats, play);
    instance.deactivate();
    return ok;
}

}  // namespace lv2host
