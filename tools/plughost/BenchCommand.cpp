// plughost bench PLUGIN.so: cost of the process calls per sample and as a
// factor of real time, for both processing paths and two kinds of playing.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/PluginBenchmark.h"
#include "tools/plughost/Subcommands.h"

#include <iomanip>

namespace plughost {

int runBench(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line({{"rate", true}, {"block", true}, {"seconds", true}, {"instances", true}});
    std::string error;
    BenchOptions options;
    double block = options.block, instances = options.instances;
    if (!line.parse(args, &error) || line.positionals().size() != 1 ||
        !line.number("rate", 1000, 1536000, options.rate, &error) ||
        !line.number("block", 1, 65536, block, &error) ||
        !line.number("seconds", 0.01, 3600, options.seconds, &error) ||
        !line.number("instances", 1, 1000, instances, &error)) {
        err << (error.empty() ? "" : error + "\n")
            << "usage: plughost bench PLUGIN.so [--rate 48000] [--block 512] [--seconds 10] "
               "[--instances 5]\n";
        return 2;
    }
    options.block = static_cast<int>(block);
    options.instances = static_cast<int>(instances);
    PluginBenchmark bench(line.positionals()[0], options);
    const bool hasDouble = bench.offersDouble(&error);
    if (!error.empty()) {
        err << error << "\n";
        return 1;
    }
    out << "Process cost, median of " << options.instances << " fresh instances, "
        << options.seconds << " s at " << options.rate << " Hz in blocks of " << options.block
        << " (thread CPU time inside process calls only)\n";
    out << "  path    scenario     ns/sample   real-time factor\n";
    const RenderOptions::Precision paths[] = {RenderOptions::Double, RenderOptions::Float};
    for (RenderOptions::Precision path : paths) {
        const char* pathName = path == RenderOptions::Double ? "double" : "float";
        if (path == RenderOptions::Double && !hasDouble) {
            out << "  double  (not offered by the plug-in)\n";
            continue;
        }
        for (auto scenario : {PluginBenchmark::HeldNote, PluginBenchmark::Melody}) {
            BenchResult result;
            if (!bench.measure(scenario, path, result, &error)) {
                err << error << "\n";
                return 1;
            }
            out << "  " << std::left << std::setw(7) << pathName << " " << std::setw(12)
                << PluginBenchmark::scenarioName(scenario) << std::right << std::fixed
                << std::setprecision(2) << std::setw(9) << result.nsPerSample << std::setw(16)
                << std::setprecision(1) << result.realTimeFactor << "x\n"
                << std::defaultfloat;
        }
    }
    return 0;
}

}  // namespace plughost
