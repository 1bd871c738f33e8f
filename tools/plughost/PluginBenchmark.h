#pragma once
// Measures what a plug-in's process calls cost: thread CPU time inside
// processReplacing or processDoubleReplacing only, over several fresh
// instances, reported as the median.

#include "tools/plughost/MidiSong.h"
#include "tools/plughost/SongRenderer.h"

#include <string>
#include <vector>

namespace plughost {

struct BenchOptions {
    double rate = 48000.0;
    int block = 512;
    double seconds = 10.0;
    int instances = 5;
};

struct BenchResult {
    double nsPerSample = 0.0;     // median over instances, per frame
    double realTimeFactor = 0.0;  // audio time / CPU time, median
    std::vector<double> runs;     // ns per sample of each instance
};

class PluginBenchmark {
public:
    enum Scenario { HeldNote, Melody };

    PluginBenchmark(std::string path, const BenchOptions& options);

    // The MIDI played in each scenario over `seconds`.
    static MidiSong makeSong(Scenario scenario, double seconds);
    static const char* scenarioName(Scenario scenario);
    // False with `error` set when the plug-in does not load or lacks the path.
    bool measure(Scenario scenario, RenderOptions::Precision precision, BenchResult& result,
                 std::string* error);
    // Whether the plug-in offers the double path (loads it once to ask).
    bool offersDouble(std::string* error);

private:
    std::string path_;
    BenchOptions options_;
};

}  // namespace plughost
