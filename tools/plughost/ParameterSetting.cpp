#include "tools/plughost/ParameterSetting.h"

#include <cstdlib>

namespace plughost {

// --set Name=Text: the name as effGetParamName shows it (any letter case),
// the text as the plug-in's own display would read it.
// Reports what the plug-in shows afterwards: some plug-ins accept any text
// and keep their value when they cannot read it.
bool applyParameterSetting(PluginInstance& plugin, const std::string& setting, std::ostream* report,
                           std::string* error) {
    const auto eq = setting.find('=');
    if (eq == std::string::npos || eq == 0) {
        *error = "--set " + setting + ": expected Name=Text";
        return false;
    }
    const std::string name = setting.substr(0, eq);
    const std::string text = setting.substr(eq + 1);
    VstInt32 index = -1;
    if (name.find_first_not_of("0123456789") == std::string::npos) {
        index = static_cast<VstInt32>(std::atoi(name.c_str()));
        if (index >= plugin.numParams()) index = -1;
    } else {
        index = plugin.findParameter(name);
    }
    if (index < 0 && plugin.parametersCutFrom(name).size() > 1) {
        *error = "--set " + setting + ": \"" + name +
                 "\" is ambiguous: the plug-in cuts its parameter names and several read \"" +
                 plugin.paramName(plugin.parametersCutFrom(name).front()) +
                 "\"; give the index instead (--set INDEX=Text)";
        return false;
    }
    if (index < 0) {
        *error = "--set " + setting + ": the plug-in has no parameter \"" + name + "\"; it has:";
        for (VstInt32 i = 0; i < plugin.numParams(); ++i) *error += " " + plugin.paramName(i);
        return false;
    }
    if (!text.empty() && text[0] == '#') {
        char* end = nullptr;
        const double v = std::strtod(text.c_str() + 1, &end);
        if (*end != 0 || !(v >= 0.0 && v <= 1.0)) {
            *error = "--set " + setting + ": a normalised value must be a number from 0 to 1";
            return false;
        }
        plugin.setParameter(index, static_cast<float>(v));
    } else if (!plugin.string2Parameter(index, text.c_str())) {
        *error = "--set " + setting + ": the plug-in did not accept the text \"" + text +
                 "\" (try Name=#value for a normalised value)";
        return false;
    }
    if (!report) return true;
    const std::string label = plugin.paramLabel(index);
    *report << "Set " << plugin.paramName(index) << ": " << plugin.paramDisplay(index)
            << (label.empty() ? "" : " ") << label << "\n";
    return true;
}

}  // namespace plughost
