#pragma once
// How the adapter faces' hosts find the parameter a command line names,
// whatever their plug-in interface calls its ids and titles.

#include <cstdlib>
#include <string>
#include <strings.h>
#include <vector>

namespace plughost {

// The id of the parameter in `list` whose `title` reads `name` (letter case
// ignored), or of the one at index `name` when that is a number; false when
// none.
template <typename Info, typename Id>
bool findNamedParameter(const std::vector<Info>& list, std::string Info::*title,
                        const std::string& name, Id& id) {
    for (const Info& p : list)
        if (strcasecmp((p.*title).c_str(), name.c_str()) == 0) {
            id = p.id;
            return true;
        }
    char* end = nullptr;
    const unsigned long index = std::strtoul(name.c_str(), &end, 10);
    if (name.empty() || *end || index >= list.size()) return false;
    id = list[index].id;
    return true;
}

// --set NAME=TEXT: the parameter `plugin` finds by NAME and the value it
// reads from TEXT, in its own terms; false when either fails.
template <class Instance, typename Id>
bool readNamedSetting(const Instance& plugin, const std::string& setting, Id& id, double& value) {
    const auto equals = setting.find('=');
    return equals != std::string::npos && plugin.findParameter(setting.substr(0, equals), id) &&
           plugin.valueOfText(id, setting.substr(equals + 1), value);
}

}  // namespace plughost
