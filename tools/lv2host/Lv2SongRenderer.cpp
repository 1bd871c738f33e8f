#include "tools/lv2host/Lv2SongRenderer.h"

#include "tools/lv2host/Lv2Instance.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lv2host {

namespace {
constexpr double kAfter = plughost::TempoMap::kAfter;
}  // namespace

bool renderSong(Lv2Instance& instance, const plughost::MidiSong& song,
                const Lv2RenderOptions& options, plughost::AudioSink& sink, Lv2RenderStats& stats) {
    stats = Lv2RenderStats();
    const double rate = options.rate;
    const plughost::TempoMap& map = song.tempoMap();
    const auto& messages = song.messages();
    std::vector<std::int64_t> frameOf;
    const std::int64_t total = song.messageFrames(map, rate, options.tailSeconds, frameOf);

    instance.activate();
    double sumSquares = 0.0;
    bool ok = true;
    std::size_t next = 0;
    std::int64_t pos = 0;
    while (pos < total) {
        double ppq = 0.0;
        std::int64_t len = map.nextBlock(pos, total, options.block, rate, ppq);
        if (options.positionEveryBlock || pos == 0) {
            // The VST transport counts quarter notes; LV2 counts beats of the
            // signature's beat unit.
            const int unit = map.denominatorAt(ppq + kAfter);
            const double beatsPerQuarter = unit / 4.0;
            const double barStart = map.barStartAt(ppq + kAfter);
            const double barQuarters = map.numeratorAt(ppq + kAfter) * 4.0 / unit;
            Lv2Position p;
            p.frame = pos;
            p.speed = 1.0f;
            p.beatsPerMinute = map.tempoAtPpq(ppq + kAfter) * beatsPerQuarter;
            p.tempoAsDouble = options.tempoAsDouble;
            p.beatsPerBar = static_cast<float>(map.numeratorAt(ppq + kAfter));
            p.beatUnit = unit;
            p.bar = static_cast<std::int64_t>(std::floor(barStart / barQuarters + 0.5));
            p.barBeat = static_cast<float>((ppq - barStart) * beatsPerQuarter);
            p.beat = ppq * beatsPerQuarter;
            instance.addPosition(0, p);
        }
        while (next < messages.size() && frameOf[next] < pos + len) {
            const plughost::MidiMessage& m = messages[next];
            const auto frame =
                static_cast<std::uint32_t>(std::max<std::int64_t>(frameOf[next] - pos, 0));
            if (m.size == 1)
                instance.addMidi(frame, {m.bytes[0]});
            else if (m.size == 2)
                instance.addMidi(frame, {m.bytes[0], m.bytes[1]});
            else
                instance.addMidi(frame, {m.bytes[0], m.bytes[1], m.bytes[2]});
            ++next;
        }
        instance.run(static_cast<std::uint32_t>(len));
        const float* out = instance.output();
        for (std::int64_t i = 0; i < len; ++i) {
            const double v = out[i];
            stats.peak = std::max(stats.peak, std::fabs(v));
            sumSquares += v * v;
        }
        if (ok && !sink.write(out, static_cast<int>(len), 1)) ok = false;
        pos += len;
    }
    instance.deactivate();
    stats.frames = total;
    stats.rms = total > 0 ? std::sqrt(sumSquares / static_cast<double>(total)) : 0.0;
    return ok;
}

}  // namespace lv2host
