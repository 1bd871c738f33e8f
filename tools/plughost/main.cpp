// plughost: a small VST 2.4 host for the command line. Each subcommand is
// one row of the table below.

#include "tools/plughost/EditorHost.h"
#include "tools/plughost/Subcommands.h"

#include <cstring>
#include <iostream>

namespace {

struct Subcommand {
    const char* name;
    const char* summary;
    int (*run)(const plughost::SubcommandArgs& args, std::ostream& out, std::ostream& err);
};

const Subcommand kSubcommands[] = {
    {"info", "info PLUGIN.so: record fields, names, parameters, programs, canDo answers",
     plughost::runInfo},
    {"render",
     "render PLUGIN.so --midi IN.mid --out OUT.wav [...]: play a MIDI file into a WAV file",
     plughost::runRender},
    {"bench",
     "bench PLUGIN.so [PLUGIN.so ...] [--rate R] [--block N] [--seconds S] [--instances N] "
     "[--rounds N] [--scene NAME]: processing cost, side by side",
     plughost::runBench},
    {"editor",
     "editor PLUGIN.so [--screenshot FILE.png] [--after-ms N] [--render] [...]: open the editor",
     plughost::runEditor},
    {"save",
     "save PLUGIN.so OUT.fxp|OUT.fxb [--preset FILE|NAME] [--program N] [--set Name=Text ...]: "
     "write the current program or the bank to a file",
     plughost::runSave},
    {"validate",
     "validate PLUGIN.so [--strictness 1..10] [--seed N]: test a plug-in against the interface",
     plughost::runValidate},
};

void usage(std::ostream& out) {
    out << "usage: plughost SUBCOMMAND ...\n";
    for (const Subcommand& s : kSubcommands) out << "  plughost " << s.summary << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        !std::strcmp(argv[1], "help")) {
        usage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    for (const Subcommand& s : kSubcommands) {
        if (std::strcmp(argv[1], s.name) == 0) {
            plughost::SubcommandArgs args(argv + 2, argv + argc);
            return s.run(args, std::cout, std::cerr);
        }
    }
    std::cerr << "plughost: unknown subcommand \"" << argv[1] << "\"\n";
    usage(std::cerr);
    return 2;
}
