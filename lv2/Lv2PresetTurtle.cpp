#include "lv2/Lv2PresetTurtle.h"

#include "framework/KEffect.h"
#include "framework/KPresetLibrary.h"
#include "lv2/Lv2ControlPorts.h"
#include "lv2/Lv2Turtle.h"
#include "lv2/Lv2Uris.h"

#include <locale>
#include <sstream>

namespace KAMO {

namespace {

constexpr const char* kPrefixes =
    "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n\n";

// Lower-case letters and digits, a dash for every run of anything else: the
// names stay readable in a URI and never need escaping.
std::string slug(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (letter || (c >= '0' && c <= '9'))
            out += letter ? static_cast<char>(c | 0x20) : c;
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out;
}

}  // namespace

std::string lv2PresetUri(const std::string& name) {
    return std::string(kLv2PluginUri) + "#preset/" + slug(name);
}

std::string lv2PresetBankUri(const std::string& category) {
    return std::string(kLv2PluginUri) + "#category/" + slug(category);
}

std::string lv2PresetManifestTurtle(const KPresetLibrary& library, const std::string& presetsFile) {
    std::ostringstream out;
    out << "\n@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n\n";
    for (const KLibrarySound& sound : library.sounds())
        out << "<" << lv2PresetUri(sound.name) << ">\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo <" << kLv2PluginUri << "> ;\n"
            << "    rdfs:seeAlso <" << presetsFile << "> .\n\n";
    return out.str();
}

std::string lv2PresetTurtle(KEffect& effect, const KPresetLibrary& library) {
    const Lv2ControlPorts ports(effect);
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << kPrefixes;
    for (const std::string& category : library.categories())
        out << "<" << lv2PresetBankUri(category) << ">\n"
            << "    a pset:Bank ;\n"
            << "    lv2:appliesTo <" << kLv2PluginUri << "> ;\n"
            << "    rdfs:label " << lv2TurtleString(category) << " .\n\n";
    for (const KLibrarySound& sound : library.sounds()) {
        std::vector<unsigned char> record = sound.record;
        effect.setChunk(record.data(), static_cast<VstInt32>(record.size()), true);
        out << "<" << lv2PresetUri(sound.name) << ">\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo <" << kLv2PluginUri << "> ;\n"
            << "    rdfs:label " << lv2TurtleString(sound.name) << " ;\n"
            << "    pset:bank <" << lv2PresetBankUri(sound.category) << "> ;\n"
            << "    lv2:port";
        for (int i = 0; i < ports.count(); ++i)
            out << (i ? " , " : " ") << "[\n        lv2:symbol "
                << lv2TurtleString(ports.port(i).symbol) << " ;\n        pset:value "
                << lv2TurtleNumber(ports.portFromEffect(effect, i)) << "\n    ]";
        out << " .\n\n";
    }
    return out.str();
}

}  // namespace KAMO
