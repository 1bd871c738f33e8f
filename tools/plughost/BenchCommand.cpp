// plughost bench PLUGIN.so [PLUGIN.so ...]: cost of the process calls per
// sample for every plug-in and processing path, side by side from one run,
// with the ratios to the second plug-in's float path.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
#include "tools/plughost/PluginBenchmark.h"
#include "tools/plughost/Subcommands.h"

#include <algorithm>
#include <iomanip>

namespace plughost {

int runBench(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line(CommandLine::joined(
        {kRenderSizeOptions,
         {{"seconds", true}, {"instances", true}, {"rounds", true}, {"scene", true}}}));
    std::string error;
    BenchOptions options;
    double block = options.block, instances = options.instances, rounds = options.rounds;
    if (!line.parse(args, &error) || line.positionals().empty() ||
        !line.number("rate", 1000, 1536000, options.rate, &error) ||
        !line.number("block", 1, 65536, block, &error) ||
        !line.number("seconds", 0.01, 3600, options.seconds, &error) ||
        !line.number("instances", 1, 1000, instances, &error) ||
        !line.number("rounds", 1, 1000, rounds, &error)) {
        err << (error.empty() ? "" : error + "\n")
            << "usage: plughost bench PLUGIN.so [PLUGIN.so ...] [--rate 48000] [--block 512] "
               "[--seconds 10] "
               "[--instances 5] [--rounds 3] [--scene NAME]\n";
        return 2;
    }
    options.block = static_cast<int>(block);
    options.instances = static_cast<int>(instances);
    options.rounds = static_cast<int>(rounds);
    PluginBenchmark bench(line.positionals(), options);
    if (!bench.findColumns(&error)) {
        err << error << "\n";
        return 1;
    }
    std::vector<PluginBenchmark::Scenario> scenarios;
    // --scene picks the scenes whose name contains the text.
    const std::string only = line.value("scene");
    for (int s = 0; s < PluginBenchmark::kScenarioCount; ++s) {
        const auto scenario = PluginBenchmark::Scenario(s);
        if (only.empty() ||
            std::string(PluginBenchmark::scenarioName(scenario)).find(only) != std::string::npos)
            scenarios.push_back(scenario);
    }
    if (scenarios.empty()) {
        err << "no scene is called " << only << "\n";
        return 2;
    }
    std::vector<std::vector<double>> medians;
    if (!bench.run(scenarios, medians, &error)) {
        err << error << "\n";
        return 1;
    }
    const auto& columns = bench.columns();
    out << "Process cost in ns per sample, median of " << options.rounds << " rounds x "
        << options.instances << " fresh instances, " << options.seconds << " s at " << options.rate
        << " Hz in blocks of " << options.block
        << " (thread CPU time inside process calls only; plug-ins taken in turn)\n";
    const double clock = bench.clock();
    out << "Net of reading the clock around each call: " << std::fixed << std::setprecision(0)
        << clock << " ns a call here (" << std::setprecision(2) << clock / options.block
        << " ns per sample; a sixteenth of that with 16 instances in one call), measured in this "
           "run and taken off every figure\n"
        << std::defaultfloat;
    std::size_t width = 12;
    for (const auto& c : columns) width = std::max(width, c.label.size() + 2);
    auto header = [&] {
        out << std::left << std::setw(16) << "scene";
        for (const auto& c : columns) out << std::right << std::setw(int(width)) << c.label;
        out << "\n";
    };
    header();
    for (std::size_t s = 0; s < scenarios.size(); ++s) {
        out << std::left << std::setw(16) << PluginBenchmark::scenarioName(scenarios[s])
            << std::right << std::fixed << std::setprecision(2);
        for (double v : medians[s]) out << std::setw(int(width)) << v;
        out << std::defaultfloat << "\n";
    }
    // The reference: the second plug-in's float path (the first one's when alone).
    std::size_t reference = 0;
    const std::string second =
        line.positionals().size() > 1 ? line.positionals()[1] : line.positionals()[0];
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (columns[c].path == second && columns[c].precision == RenderOptions::Float)
            reference = c;
    out << "Ratio to " << columns[reference].label << "\n";
    header();
    for (std::size_t s = 0; s < scenarios.size(); ++s) {
        out << std::left << std::setw(16) << PluginBenchmark::scenarioName(scenarios[s])
            << std::right << std::fixed << std::setprecision(2);
        const double ref = medians[s][reference];
        for (double v : medians[s]) out << std::setw(int(width)) << (ref > 0.0 ? v / ref : 0.0);
        out << std::defaultfloat << "\n";
    }
    return 0;
}

}  // namespace plughost
