#pragma once
// The --set Name=Text option that render and editor share.

#include "tools/plughost/PluginInstance.h"

#include <ostream>
#include <string>

namespace plughost {

// Name is the parameter as effGetParamName shows it (any letter case; a
// longer name also finds one the plug-in cut, when only one fits) or its
// index; Text is read by the plug-in (effString2Parameter), or "#0.25" is a
// normalised value. Reports what the plug-in then shows when `report` is
// given; answers false with a message in `error` otherwise.
bool applyParameterSetting(PluginInstance& plugin, const std::string& setting, std::ostream* report,
                           std::string* error);

}  // namespace plughost
