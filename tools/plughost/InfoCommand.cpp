// plughost info PLUGIN.so: everything a host can learn about a plug-in
// without processing audio.

#include "tools/plughost/CommandLine.h"
#include "tools/plughost/CommandSteps.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/Subcommands.h"

#include <cstdio>
#include <iomanip>

namespace plughost {

namespace {

const char* const kCanDoTexts[] = {"sendVstEvents",
                                   "sendVstMidiEvent",
                                   "receiveVstEvents",
                                   "receiveVstMidiEvent",
                                   "receiveVstTimeInfo",
                                   "sendVstTimeInfo",
                                   "offline",
                                   "midiProgramNames",
                                   "bypass",
                                   "noRealTime",
                                   "multipass",
                                   "metapass",
                                   "plugAsChannelInsert",
                                   "plugAsSend",
                                   "mixDryWet",
                                   "conformsToWindowRules",
                                   "midiSingleNoteTuningChange",
                                   "midiKeyBasedInstrumentControl",
                                   "1in1out",
                                   "1in2out",
                                   "2in1out",
                                   "2in2out",
                                   "2in4out",
                                   "4in2out",
                                   "4in4out",
                                   "4in8out",
                                   "8in4out",
                                   "8in8out"};

const char* categoryName(VstIntPtr category) {
    static const char* const names[] = {"Unknown",     "Effect",         "Synth",  "Analysis",
                                        "Mastering",   "Spacializer",    "RoomFx", "SurroundFx",
                                        "Restoration", "OfflineProcess", "Shell",  "Generator"};
    if (category < 0 || category > 11) return "?";
    return names[category];
}

std::string fourCC(VstInt32 code) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(code) >> shift) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '.';
    }
    return s;
}

std::string flagNames(VstInt32 flags) {
    static const struct {
        VstInt32 bit;
        const char* name;
    } bits[] = {{effFlagsHasEditor, "HasEditor"},
                {effFlagsCanReplacing, "CanReplacing"},
                {effFlagsProgramChunks, "ProgramChunks"},
                {effFlagsIsSynth, "IsSynth"},
                {effFlagsNoSoundInStop, "NoSoundInStop"},
                {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
    std::string s;
    VstInt32 rest = flags;
    for (const auto& b : bits) {
        if (flags & b.bit) {
            if (!s.empty()) s += ' ';
            s += b.name;
            rest &= ~b.bit;
        }
    }
    if (rest) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "%s0x%x", s.empty() ? "" : " ", static_cast<unsigned>(rest));
        s += hex;
    }
    return s;
}

std::string hex(VstInt32 v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(v));
    return text;
}

}  // namespace

int runInfo(const SubcommandArgs& args, std::ostream& out, std::ostream& err) {
    CommandLine line({});
    std::string error;
    if (!line.parse(args, &error) || line.positionals().size() != 1) {
        err << (error.empty() ? "usage: plughost info PLUGIN.so" : error) << "\n";
        return 2;
    }
    PluginHost host;
    auto plugin = loadOrReport(host, line.positionals()[0], err);
    if (!plugin) return 1;
    const AEffect* e = plugin->effect();
    out << "Plug-in: " << plugin->path() << "\n";
    out << "  magic:           " << hex(e->magic) << " (" << fourCC(e->magic) << ")\n";
    out << "  uniqueID:        " << hex(e->uniqueID) << " (" << fourCC(e->uniqueID) << ")\n";
    out << "  version:         " << e->version << "\n";
    out << "  numPrograms:     " << e->numPrograms << "\n";
    out << "  numParams:       " << e->numParams << "\n";
    out << "  numInputs:       " << e->numInputs << "\n";
    out << "  numOutputs:      " << e->numOutputs << "\n";
    out << "  flags:           " << hex(e->flags) << " (" << flagNames(e->flags) << ")\n";
    out << "  initialDelay:    " << e->initialDelay << "\n";
    out << "  effect name:     \"" << plugin->effectName() << "\"\n";
    out << "  vendor:          \"" << plugin->vendorString() << "\"\n";
    out << "  product:         \"" << plugin->productString() << "\"\n";
    out << "  vendor version:  " << plugin->vendorVersion() << "\n";
    out << "  VST version:     " << plugin->vstVersion() << "\n";
    const VstIntPtr category = plugin->category();
    out << "  category:        " << category << " (" << categoryName(category) << ")\n";
    out << "  tail size:       " << plugin->dispatch(effGetTailSize) << "\n";
    for (VstInt32 i = 0; i < e->numOutputs; ++i) {
        VstPinProperties pin{};
        if (plugin->dispatch(effGetOutputProperties, i, 0, &pin)) {
            pin.label[kVstMaxLabelLen - 1] = 0;
            out << "  output " << i << ":        \"" << pin.label << "\" flags " << pin.flags
                << "\n";
        }
    }

    out << "Parameters (" << e->numParams << "):\n";
    out << "  index  name             label      display                          value\n";
    for (VstInt32 i = 0; i < e->numParams; ++i) {
        out << "  " << std::setw(5) << i << "  " << std::left << std::setw(16)
            << plugin->paramName(i) << " " << std::setw(10) << plugin->paramLabel(i) << " "
            << std::setw(32) << plugin->paramDisplay(i) << std::right << " " << std::fixed
            << std::setprecision(6) << plugin->getParameter(i) << std::defaultfloat << "\n";
    }

    out << "Programs (" << e->numPrograms << "), current " << plugin->getProgram() << ":\n";
    for (VstInt32 p = 0; p < e->numPrograms; ++p)
        out << "  " << std::setw(5) << p << "  \"" << plugin->programNameIndexed(p) << "\"\n";

    out << "canDo:\n";
    for (const char* text : kCanDoTexts) {
        const VstIntPtr answer = plugin->canDo(text);
        out << "  " << std::left << std::setw(32) << text << std::right << std::setw(3) << answer
            << (answer > 0   ? "  yes"
                : answer < 0 ? "  no"
                             : "  don't know")
            << "\n";
    }
    plugin.reset();
    out << "Closed.\n";
    return 0;
}

}  // namespace plughost
