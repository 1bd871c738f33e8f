#pragma once
// Measures what plug-ins' process calls cost: thread CPU time inside
// processReplacing or processDoubleReplacing only, over several fresh
// instances and rounds, reported as the median. Several plug-ins are
// measured in turn (A B C A B C ...), so that whatever else the machine
// does weighs on all of them alike and their ratios stay fair.

#include "tools/plughost/MidiSong.h"
#include "tools/plughost/SongRenderer.h"

#include <string>
#include <vector>

namespace plughost {

struct BenchOptions : RenderSizes {
    double seconds = 10.0;
    int instances = 5;  // fresh instances per round
    int rounds = 3;
};

class PluginBenchmark {
public:
    enum Scenario { HeldNote, Melody, Glide, Released, Idle, Sixteen, kScenarioCount };
    static constexpr int kSixteen = 16;  // instances in one thread in that scene

    // One plug-in on one processing path.
    struct Column {
        std::string path;
        std::string label;  // plug-in name and path
        RenderOptions::Precision precision;
    };

    PluginBenchmark(std::vector<std::string> paths, const BenchOptions& options);

    // The MIDI played in each scenario over `seconds`.
    static MidiSong makeSong(Scenario scenario, double seconds);
    static const char* scenarioName(Scenario scenario);
    // What one reading of the thread CPU clock before and after a process
    // call adds to its measured time, in ns (the median of many pairs). On
    // machines where the clock is a system call this is most of what an
    // idle instrument costs, so run() takes it off every figure.
    static double clockCost();
    // Parameter settings a scenario asks of plug-ins that have them (the
    // glide scene's portamento), as --set texts; others ignore them.
    static std::vector<std::string> scenarioSettings(Scenario scenario);

    // Loads each plug-in once to find its paths (double first when offered).
    // False with `error` set when one does not load or processes nothing.
    bool findColumns(std::string* error);
    const std::vector<Column>& columns() const { return columns_; }

    // Median ns per sample for each scenario (rows) and column, net of
    // clockCost() (measured once per run) for each call; a scene with
    // several instances counts every instance's samples.
    bool run(const std::vector<Scenario>& scenarios, std::vector<std::vector<double>>& medians,
             std::string* error);
    // The clock's cost per call that run() took off (0 before a run).
    double clock() const { return clock_; }

private:
    bool measure(const Column& column, Scenario scenario, double& nsPerSample, std::string* error);
    bool measureMany(const Column& column, Scenario scenario, int count, double& nsPerSample,
                     std::string* error);

    std::vector<std::string> paths_;
    BenchOptions options_;
    std::vector<Column> columns_;
    double clock_ = 0.0;
};

}  // namespace plughost
