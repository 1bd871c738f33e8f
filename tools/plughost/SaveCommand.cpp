// plughost save PLUGIN.so OUT.fxp|OUT.fxb [options]: writes the current
// program or the whole bank of a plug-in, after the same --program,
// --preset and --set steps render takes, to a program or bank file.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/PresetFiles.h"
#include "tools/plughost/Subcommands.h"

#include <filesystem>
#include <strings.h>

namespace plughost {

namespace {

const char* const kUsage =
    "usage: plughost save PLUGIN.so OUT.fxp|OUT.fxb [--program N] [--preset FILE|NAME]\n"
    "         [--set Name=Text ...]\n"
    "  OUT.fxp gets the current program, OUT.fxb the whole bank, as chunks.";

}  // namespace

int runSave(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line(CommandLine::joined({kSettingOptions, {{"program", true}}}));
    std::string error;
    if (!line.parse(args, &error) || line.positionals().size() != 2) {
        if (!error.empty()) err << error << "\n";
        err << kUsage << "\n";
        return 2;
    }
    const std::string target = line.positionals()[1];
    const std::string extension = std::filesystem::path(target).extension().string();
    const bool bank = strcasecmp(extension.c_str(), ".fxb") == 0;
    if (!bank && strcasecmp(extension.c_str(), ".fxp") != 0) {
        err << target << ": the name must end in .fxp (a program) or .fxb (a bank)\n";
        return 2;
    }
    double program = -1;
    if (!line.number("program", 0, 1e9, program, &error)) {
        err << error << "\n";
        return 2;
    }
    PluginHost host;
    auto plugin = loadOrReport(host, line.positionals()[0], err);
    if (!plugin) return 1;
    if (program >= plugin->numPrograms()) {
        err << "--program " << program << ": the plug-in has " << plugin->numPrograms()
            << " programs\n";
        return 2;
    }
    if (program >= 0) plugin->setProgram(static_cast<VstInt32>(program));
    if (const int status = applyPresetAndSettings(*plugin, line, nullptr, err)) return status;
    if (!savePresetFile(*plugin, target, bank, &error)) {
        err << error << "\n";
        return 1;
    }
    out << "Wrote " << target << ": "
        << (bank ? "bank of " + std::to_string(plugin->numPrograms()) + " programs"
                 : "program \"" + plugin->programName() + "\"")
        << "\n";
    return 0;
}

}  // namespace plughost
