#include "tools/plughost/CommandSteps.h"

#include "tools/plughost/ParameterSetting.h"
#include "tools/plughost/PresetFiles.h"

namespace plughost {

std::unique_ptr<PluginInstance> loadOrReport(PluginHost& host, const std::string& path,
                                             std::ostream& err) {
    std::string error;
    auto plugin = host.load(path, &error);
    if (!plugin) err << error << "\n";
    return plugin;
}

int applyPresetAndSettings(PluginInstance& plugin, const CommandLine& line, std::ostream* report,
                           std::ostream& err) {
    std::string error;
    if (line.has("preset") && !applyPresetOption(plugin, line.value("preset"), &error)) {
        err << error << "\n";
        return 1;
    }
    for (const std::string& setting : line.values("set"))
        if (!applyParameterSetting(plugin, setting, report, &error)) {
            err << error << "\n";
            return 2;
        }
    return 0;
}

bool readEditorTimes(const CommandLine& line, const char* tool, double& afterMs, double& scale,
                     std::ostream& err) {
    std::string error;
    afterMs = line.has("screenshot") ? 1000.0 : -1.0;
    scale = 0.0;
    if (!line.number("after-ms", 0.0, 1e9, afterMs, &error) ||
        !line.number("scale", 0.0, 16.0, scale, &error)) {
        err << tool << ": " << error << "\n";
        return false;
    }
    return true;
}

}  // namespace plughost
