#pragma once
// The subcommands of the plughost command line. Each takes the words after
// its name, writes its report to `out` and problems to `err`, and answers
// the process exit status. main.cpp lists them in its table.

#include <ostream>
#include <string>
#include <vector>

namespace plughost {

using SubcommandArgs = std::vector<std::string>;

int runInfo(const SubcommandArgs& args, std::ostream& out, std::ostream& err);
int runRender(const SubcommandArgs& args, std::ostream& out, std::ostream& err);
int runBench(const SubcommandArgs& args, std::ostream& out, std::ostream& err);
int runSave(const SubcommandArgs& args, std::ostream& out, std::ostream& err);
int runValidate(const SubcommandArgs& args, std::ostream& out, std::ostream& err);

}  // namespace plughost
