#include "tools/plughost/PluginBenchmark.h"

#include "tools/plughost/MidiBytes.h"
#include "tools/plughost/PluginHost.h"

#include <algorithm>

namespace plughost {

namespace {
double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}
}  // namespace

PluginBenchmark::PluginBenchmark(std::string path, const BenchOptions& options)
    : path_(std::move(path)), options_(options) {
    if (options_.instances < 1) options_.instances = 1;
}

const char* PluginBenchmark::scenarioName(Scenario scenario) {
    return scenario == HeldNote ? "held note" : "melody";
}

MidiSong PluginBenchmark::makeSong(Scenario scenario, double seconds) {
    MidiSong song;  // 120 BPM: two quarters per second
    const double end = seconds * 2.0;
    if (scenario == HeldNote) {
        song.addMessage(0.0, kMidiNoteOn, 57, 100);
    } else {
        // Eighth notes that overlap their successor a little (legato), with
        // a pitch-bend sweep every bar, so note logic and glides get work.
        static const int kPattern[] = {60, 64, 67, 72, 71, 67, 64, 62, 60, 55, 57, 59};
        int step = 0;
        for (double t = 0.0; t + 0.5 <= end; t += 0.5, ++step) {
            const int key = kPattern[step % 12];
            song.addMessage(t, kMidiNoteOn, static_cast<std::uint8_t>(key), 96);
            song.addMessage(std::min(t + 0.55, end), kMidiNoteOff, static_cast<std::uint8_t>(key), 0);
            if (step % 8 == 0) {
                for (int k = 0; k <= 8; ++k) {
                    const int up = (k < 5 ? k : 8 - k) * 1024;
                    const int bend = std::min(kMidiBendCentre + up, kMidiBendMax);
                    song.addMessage(t + k * 0.05, kMidiPitchBend,
                                    static_cast<std::uint8_t>(bend & kMidiDataMask),
                                    static_cast<std::uint8_t>(bend >> 7));
                }
            }
        }
        song.sort();
    }
    song.extendTo(end);
    return song;
}

bool PluginBenchmark::offersDouble(std::string* error) {
    PluginHost host;
    auto plugin = host.load(path_, error);
    return plugin && plugin->canDouble();
}

bool PluginBenchmark::measure(Scenario scenario, RenderOptions::Precision precision,
                              BenchResult& result, std::string* error) {
    result = BenchResult();
    const MidiSong song = makeSong(scenario, options_.seconds);
    RenderOptions render;
    render.rate = options_.rate;
    render.block = options_.block;
    render.precision = precision;
    render.tailSeconds = 0.0;
    std::vector<double> rtf;
    for (int i = 0; i < options_.instances; ++i) {
        PluginHost host;
        host.setSampleRate(options_.rate);
        host.setBlockSize(options_.block);
        auto plugin = host.load(path_, error);
        if (!plugin) return false;
        SongRenderer renderer(*plugin, render);
        renderer.prepare();
        RenderStats stats;
        if (!renderer.render(song, nullptr, stats, error)) return false;
        const double nanos = std::max<double>(double(stats.processNanos), 1.0);
        result.runs.push_back(nanos / double(std::max<std::int64_t>(stats.frames, 1)));
        rtf.push_back(double(stats.frames) / options_.rate / (nanos * 1e-9));
    }
    result.nsPerSample = median(result.runs);
    result.realTimeFactor = median(rtf);
    return true;
}

}  // namespace plughost
