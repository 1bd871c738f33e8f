#include "tools/plughost/PluginBenchmark.h"

#include "tools/plughost/AudioBuffers.h"
#include "tools/plughost/MidiBytes.h"
#include "tools/plughost/ParameterSetting.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/PluginInstance.h"
#include "tools/plughost/VstEventList.h"

#include <time.h>

#include <algorithm>
#include <memory>

namespace plughost {

namespace {

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::int64_t threadNanos() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

constexpr double kTempo = 120.0;  // two quarters per second

void applySettings(PluginInstance& plugin, PluginBenchmark::Scenario scenario) {
    for (const std::string& setting : PluginBenchmark::scenarioSettings(scenario)) {
        std::string ignored;
        applyParameterSetting(plugin, setting, nullptr, &ignored);
    }
}

}  // namespace

PluginBenchmark::PluginBenchmark(std::vector<std::string> paths, const BenchOptions& options)
    : paths_(std::move(paths)), options_(options) {
    options_.instances = std::max(options_.instances, 1);
    options_.rounds = std::max(options_.rounds, 1);
}

double PluginBenchmark::clockCost() {
    constexpr int kPairs = 2001;
    std::vector<double> pairs(kPairs);
    for (double& pair : pairs) {
        const std::int64_t t0 = threadNanos();
        pair = double(threadNanos() - t0);
    }
    return median(std::move(pairs));
}

const char* PluginBenchmark::scenarioName(Scenario scenario) {
    switch (scenario) {
    case HeldNote:
        return "held note";
    case Melody:
        return "melody";
    case Glide:
        return "legato glides";
    case Released:
        return "after a note";
    case Idle:
        return "idle";
    case Sixteen:
        return "16 instances";
    default:
        return "?";
    }
}

std::vector<std::string> PluginBenchmark::scenarioSettings(Scenario scenario) {
    if (scenario != Glide) return {};
    // A quarter of a second on every oscillator: as long as a note, so the
    // pitch is always on its way.
    return {"Porta1=#0.25", "Porta2=#0.25", "Porta3=#0.25"};
}

namespace {

// Eighth notes of `pattern` (of `length` keys) over and over until `end`,
// each held `hold` beats, a little past the next key's start (legato);
// `each(t, step)` adds what goes with the note at beat t. Sorted at the end.
template <typename Each>
void addLegatoLine(MidiSong& song, const int* pattern, int length, double hold, double end,
                   Each each) {
    int step = 0;
    for (double t = 0.0; t + 0.5 <= end; t += 0.5, ++step) {
        const auto key = static_cast<std::uint8_t>(pattern[step % length]);
        song.addMessage(t, kMidiNoteOn, key, 96);
        song.addMessage(std::min(t + hold, end), kMidiNoteOff, key, 0);
        each(t, step);
    }
    song.sort();
}

}  // namespace

MidiSong PluginBenchmark::makeSong(Scenario scenario, double seconds) {
    MidiSong song;
    const double end = seconds * kTempo / 60.0;
    if (scenario == HeldNote) {
        song.addMessage(0.0, kMidiNoteOn, 57, 100);
    } else if (scenario == Released) {
        // One short note, then silence: what a track costs between phrases,
        // when its partials sound no more but their phases run on.
        song.addMessage(0.0, kMidiNoteOn, 57, 100);
        song.addMessage(0.5, kMidiNoteOff, 57, 0);
    } else if (scenario == Glide) {
        // A legato line: each key goes a little after the next one starts.
        static const int kPattern[] = {48, 55, 60, 67, 72, 64, 57, 50};
        addLegatoLine(song, kPattern, 8, 0.54, end, [](double, int) {});
    } else if (scenario == Melody || scenario == Sixteen) {
        // Eighth notes that overlap their successor a little (legato), with
        // a pitch-bend sweep every bar, so note logic and glides get work.
        static const int kPattern[] = {60, 64, 67, 72, 71, 67, 64, 62, 60, 55, 57, 59};
        addLegatoLine(song, kPattern, 12, 0.55, end, [&song](double t, int step) {
            if (step % 8 != 0) return;
            for (int k = 0; k <= 8; ++k) {
                const int up = (k < 5 ? k : 8 - k) * 1024;
                const int bend = std::min(kMidiBendCentre + up, kMidiBendMax);
                song.addMessage(t + k * 0.05, kMidiPitchBend,
                                static_cast<std::uint8_t>(bend & kMidiDataMask),
                                static_cast<std::uint8_t>(bend >> 7));
            }
        });
    }
    song.extendTo(end);
    return song;
}

bool PluginBenchmark::findColumns(std::string* error) {
    columns_.clear();
    for (const std::string& path : paths_) {
        PluginHost host;
        auto plugin = host.load(path, error);
        if (!plugin) return false;
        std::string name = plugin->effectName();
        if (name.empty()) name = path.substr(path.find_last_of('/') + 1);
        if (plugin->canDouble())
            columns_.push_back({path, name + " double", RenderOptions::Double});
        if (plugin->canFloat()) columns_.push_back({path, name + " float", RenderOptions::Float});
        if (!plugin->canDouble() && !plugin->canFloat()) {
            if (error) *error = path + ": no process call";
            return false;
        }
    }
    return true;
}

bool PluginBenchmark::measure(const Column& column, Scenario scenario, double& nsPerSample,
                              std::string* error) {
    if (scenario == Sixteen) return measureMany(column, scenario, kSixteen, nsPerSample, error);
    PluginHost host;
    host.setSampleRate(options_.rate);
    host.setBlockSize(options_.block);
    auto plugin = host.load(column.path, error);
    if (!plugin) return false;
    RenderOptions render;
    render.rate = options_.rate;
    render.block = options_.block;
    render.precision = column.precision;
    render.tempo = kTempo;
    render.tailSeconds = 0.0;
    SongRenderer renderer(*plugin, render);
    renderer.prepare();
    applySettings(*plugin, scenario);
    RenderStats stats;
    if (!renderer.render(makeSong(scenario, options_.seconds), nullptr, stats, error)) return false;
    const double nanos = double(stats.processNanos) - clock_ * double(stats.processCalls);
    nsPerSample = std::max(nanos, 0.0) / double(std::max<std::int64_t>(stats.frames, 1));
    return true;
}

template <typename T>
static void processAll(std::vector<std::unique_ptr<PluginInstance>>& plugins,
                       std::vector<AudioBuffers<T>>& buffers, VstInt32 frames) {
    for (std::size_t i = 0; i < plugins.size(); ++i) plugins[i]->process(buffers[i], frames);
}

bool PluginBenchmark::measureMany(const Column& column, Scenario scenario, int count,
                                  double& nsPerSample, std::string* error) {
    PluginHost host;
    host.setSampleRate(options_.rate);
    host.setBlockSize(options_.block);
    host.setTempo(kTempo);
    std::vector<std::unique_ptr<PluginInstance>> plugins;
    for (int i = 0; i < count; ++i) {
        auto plugin = host.load(column.path, error);
        if (!plugin) return false;
        plugin->setSampleRate(float(options_.rate));
        plugin->setBlockSize(options_.block);
        applySettings(*plugin, scenario);
        plugins.push_back(std::move(plugin));
    }
    const MidiSong song = makeSong(scenario, options_.seconds);
    const auto& messages = song.messages();
    const double rate = options_.rate;
    const std::int64_t total = std::int64_t(options_.seconds * rate);
    const bool useDouble = column.precision == RenderOptions::Double;
    std::vector<AudioBuffers<float>> floats;
    std::vector<AudioBuffers<double>> doubles;
    floats.reserve(plugins.size());
    doubles.reserve(plugins.size());
    for (auto& plugin : plugins) {
        floats.emplace_back(std::max(plugin->numInputs(), 0), std::max(plugin->numOutputs(), 0),
                            options_.block);
        doubles.emplace_back(std::max(plugin->numInputs(), 0), std::max(plugin->numOutputs(), 0),
                             options_.block);
    }
    host.setPlaying(true);
    for (auto& plugin : plugins) plugin->resume();
    VstEventList events(512);
    std::size_t next = 0;
    std::int64_t nanos = 0;
    std::int64_t calls = 0;
    for (std::int64_t pos = 0; pos < total; pos += options_.block) {
        const VstInt32 len = VstInt32(std::min<std::int64_t>(options_.block, total - pos));
        events.clear();
        while (next < messages.size()) {
            const std::int64_t frame = MidiSong::frameAt(messages[next].ppq * 60.0 / kTempo, rate);
            if (frame >= pos + len) break;
            const MidiMessage& m = messages[next++];
            events.addMidi(VstInt32(std::max<std::int64_t>(frame - pos, 0)), m.bytes[0], m.bytes[1],
                           m.bytes[2]);
        }
        host.setPosition(double(pos), double(pos) / rate * kTempo / 60.0);
        for (auto& plugin : plugins) plugin->processEvents(events);
        const std::int64_t t0 = threadNanos();
        if (useDouble) {
            processAll(plugins, doubles, len);
        } else {
            processAll(plugins, floats, len);
        }
        nanos += threadNanos() - t0;
        ++calls;
        host.advance(len);
    }
    for (auto& plugin : plugins) plugin->suspend();
    const double net = double(nanos) - clock_ * double(calls);
    nsPerSample = std::max(net, 0.0) / (double(std::max<std::int64_t>(total, 1)) * count);
    return true;
}

bool PluginBenchmark::run(const std::vector<Scenario>& scenarios,
                          std::vector<std::vector<double>>& medians, std::string* error) {
    if (columns_.empty() && !findColumns(error)) return false;
    clock_ = clockCost();
    // runs[scene][column]: every measurement, taken in interleaved order.
    std::vector<std::vector<std::vector<double>>> runs(
        scenarios.size(), std::vector<std::vector<double>>(columns_.size()));
    for (int round = 0; round < options_.rounds; ++round) {
        for (std::size_t s = 0; s < scenarios.size(); ++s) {
            for (int instance = 0; instance < options_.instances; ++instance) {
                for (std::size_t c = 0; c < columns_.size(); ++c) {
                    double ns = 0.0;
                    if (!measure(columns_[c], scenarios[s], ns, error)) return false;
                    runs[s][c].push_back(ns);
                }
            }
        }
    }
    medians.assign(scenarios.size(), std::vector<double>(columns_.size(), 0.0));
    for (std::size_t s = 0; s < scenarios.size(); ++s)
        for (std::size_t c = 0; c < columns_.size(); ++c) medians[s][c] = median(runs[s][c]);
    return true;
}

}  // namespace plughost
