// plughost validate PLUGIN.so [--strictness 1..10] [--seed N]: runs the
// validator's tests and exits non-zero when any fails.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/PluginValidator.h"
#include "tools/plughost/Subcommands.h"

namespace plughost {

int runValidate(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line({{"strictness", true},
                      {"seed", true},
                      {"no-fork", false},
                      {"timeout", true},
                      {"list", false}});
    std::string error;
    ValidatorOptions options;
    double strictness = options.strictness, seed = double(options.seed),
           timeout = options.timeoutSeconds;
    if (!line.parse(args, &error) || (line.positionals().size() != 1 && !line.has("list")) ||
        !line.number("strictness", 1, 10, strictness, &error) ||
        !line.number("seed", 0, 9007199254740992.0, seed, &error) ||
        !line.number("timeout", 1, 86400, timeout, &error)) {
        err << (error.empty() ? "" : error + "\n")
            << "usage: plughost validate PLUGIN.so [--strictness 1..10] [--seed N] [--timeout "
               "SECONDS]\n"
               "                         [--no-fork] [--list]\n"
               "  Each test runs in a child process with a fresh instance; --no-fork runs them\n"
               "  here (a crash then ends the run). --list shows the tests and their levels.\n";
        return 2;
    }
    if (line.has("list")) {
        for (const ValidationTest& t : PluginValidator::allTests())
            out << t.level << "  " << t.name << "\n";
        return 0;
    }
    options.strictness = static_cast<int>(strictness);
    options.seed = static_cast<std::uint64_t>(seed);
    options.timeoutSeconds = static_cast<int>(timeout);
    options.fork = !line.has("no-fork");
    PluginSource source;
    source.path = line.positionals()[0];
    PluginValidator validator(source, options);
    const ValidationSummary summary = validator.run(out);
    return summary.failed > 0 ? 1 : 0;
}

}  // namespace plughost
