#include "lv2/Lv2Turtle.h"

#include "framework/KEffect.h"
#include "lv2/Lv2ControlPorts.h"
#include "lv2/Lv2Uris.h"

#include <locale>
#include <sstream>

namespace KAMO {

namespace {

constexpr const char* kPrefixes =
    "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi:  <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix param: <http://lv2plug.in/ns/ext/parameters#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time:  <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

void writeControlPort(std::ostream& out, int index, const Lv2ControlPort& p) {
    out << "    [\n"
        << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << quoted(p.symbol) << " ;\n"
        << "        lv2:name " << quoted(p.name) << " ;\n"
        << "        lv2:default " << lv2TurtleNumber(p.defaultValue) << " ;\n"
        << "        lv2:minimum " << lv2TurtleNumber(p.minimum) << " ;\n"
        << "        lv2:maximum " << lv2TurtleNumber(p.maximum) << " ;\n";
    if (p.integer) out << "        lv2:portProperty lv2:integer ;\n";
    if (p.enumeration) out << "        lv2:portProperty lv2:enumeration ;\n";
    if (p.rangeSteps > 0) out << "        pprops:rangeSteps " << p.rangeSteps << " ;\n";
    if (!p.unit.empty()) out << "        units:unit units:" << p.unit << " ;\n";
    if (!p.customUnitLabel.empty())
        out << "        units:unit [\n"
            << "            a units:Unit ;\n"
            << "            rdfs:label " << quoted(p.customUnitLabel) << " ;\n"
            << "            units:symbol " << quoted(p.customUnitSymbol) << " ;\n"
            << "            units:render " << quoted(p.customUnitRender) << "\n"
            << "        ] ;\n";
    for (const auto& point : p.scalePoints)
        out << "        lv2:scalePoint [ rdfs:label " << quoted(point.second) << " ; rdf:value "
            << lv2TurtleNumber(point.first) << " ] ;\n";
    out << "    ]";
}

void writeEventPort(std::ostream& out, int index) {
    out << "    [\n"
        << "        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent , time:Position ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"events\" ;\n"
        << "        lv2:name \"Events\"\n"
        << "    ]";
}

void writeOutputPort(std::ostream& out, int index) {
    out << "    [\n"
        << "        a lv2:OutputPort , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"out\" ;\n"
        << "        lv2:name \"Output\"\n"
        << "    ]";
}

}  // namespace

int lv2MinorVersion(int vendorVersion) { return vendorVersion > 0 ? 2 * (vendorVersion / 100) : 0; }

int lv2MicroVersion(int vendorVersion) { return vendorVersion > 0 ? vendorVersion % 100 : 0; }

std::string lv2TurtleNumber(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(9);
    out << value;
    std::string text = out.str();
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

std::string lv2TurtleString(const std::string& text) { return quoted(text); }

std::string lv2ManifestTurtle(const std::string& binary, const std::string& description) {
    std::ostringstream out;
    out << "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
        << "@prefix ui:   <http://lv2plug.in/ns/extensions/ui#> .\n\n"
        << "<" << kLv2PluginUri << ">\n"
        << "    a lv2:Plugin ;\n"
        << "    lv2:binary <" << binary << "> ;\n"
        << "    rdfs:seeAlso <" << description << "> .\n\n"
        << "<" << kLv2UiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary <" << binary << "> ;\n"
        << "    rdfs:seeAlso <" << description << "> .\n";
    return out.str();
}

std::string lv2PluginTurtle(KEffect& effect) {
    const Lv2ControlPorts ports(effect);
    char name[kVstMaxEffectNameLen] = {};
    char vendor[kVstMaxVendorStrLen] = {};
    effect.getEffectName(name);
    effect.getVendorString(vendor);

    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << kPrefixes;
    out << "<" << kLv2PluginUri << ">\n"
        << "    a lv2:InstrumentPlugin , lv2:Plugin ;\n"
        << "    doap:name " << quoted(name) << " ;\n"
        << "    doap:maintainer [ foaf:name " << quoted(vendor) << " ] ;\n"
        << "    lv2:minorVersion " << lv2MinorVersion(effect.getVendorVersion()) << " ;\n"
        << "    lv2:microVersion " << lv2MicroVersion(effect.getVendorVersion()) << " ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , opts:options ;\n"
        << "    opts:supportedOption bufsz:maxBlockLength ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    ui:ui <" << kLv2UiUri << "> ;\n"
        << "    lv2:port\n";
    // In port order: the event and output ports sit between the first
    // release's controls and the later ones.
    for (int port = 0; port < ports.portCount(); ++port) {
        const int parameter = ports.parameterOf(static_cast<uint32_t>(port));
        if (parameter >= 0)
            writeControlPort(out, port, ports.port(parameter));
        else if (port == ports.eventPort())
            writeEventPort(out, port);
        else
            writeOutputPort(out, port);
        out << (port + 1 < ports.portCount() ? " ,\n" : " .\n\n");
    }

    out << "<" << kLv2UiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent ;\n"
        << "    lv2:optionalFeature ui:resize , ui:touch , urid:map , opts:options ;\n"
        << "    opts:supportedOption ui:scaleFactor , param:sampleRate ;\n"
        << "    lv2:extensionData ui:idleInterface , ui:resize .\n";
    return out.str();
}

}  // namespace KAMO
