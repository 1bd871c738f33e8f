#pragma once
// Program (.fxp) and bank (.fxb) files for plug-ins that keep their state
// in chunks, and the --preset option that render, editor and save share.
// A file is checked whole before the plug-in sees it: the wrong format,
// size, plug-in ID or a chunk of another length is refused with a message
// and the plug-in is left as it was.

#include "tools/plughost/PluginInstance.h"

#include <string>

namespace plughost {

// The folder of a plug-in's own preset files: "<stem>Presets" beside it
// (Murlan.so: MurlanPresets/), as the build installs them.
std::string presetFolderOf(const std::string& pluginPath);

// `what` is a .fxp or .fxb file, or the name of a program file in the
// plug-in's preset folder or one of its subfolders (letter case ignored).
bool applyPresetOption(PluginInstance& plugin, const std::string& what, std::string* error);
// Loads the program or bank file at `path`.
bool loadPresetFile(PluginInstance& plugin, const std::string& path, std::string* error);
// Writes the current program (bank false) or the whole bank to `path`.
bool savePresetFile(PluginInstance& plugin, const std::string& path, bool bank, std::string* error);

}  // namespace plughost
