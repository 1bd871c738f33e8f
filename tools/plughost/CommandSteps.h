#pragma once
// Steps several subcommands take alike. Each reports its problem to `err`
// itself, so that the commands word it and exit on it the same way.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/PluginHost.h"

#include <memory>
#include <ostream>
#include <string>

namespace plughost {

// The plug-in at `path`, or null once the reason it did not load is told.
std::unique_ptr<PluginInstance> loadOrReport(PluginHost& host, const std::string& path,
                                             std::ostream& err);

// --preset, then each --set in order. Answers 0, or the exit status after
// the report: 1 for a preset that cannot be applied, 2 for a setting that
// names no parameter or is not Name=Text. What the plug-in shows after each
// setting goes to `report` when given.
int applyPresetAndSettings(PluginInstance& plugin, const CommandLine& line, std::ostream* report,
                           std::ostream& err);

}  // namespace plughost
