#pragma once
// The plug-in's preset files as a host finds them: the .vstpreset files
// directly in PRESETS/VENDOR/PLUGIN of the user's and the system's preset
// folders, each read into its class id, its component state ("Comp") and
// its label (the file name without extension).

#include <cstdint>
#include <string>
#include <vector>

namespace vst3host {

struct PresetFile {
    std::string path;
    std::string label;
    std::string classId;  // 32 hexadecimal digits
    std::vector<std::uint8_t> state;
};

// Reads one file; false with a message when it is no preset file.
bool readPresetFile(const std::string& path, PresetFile& out, std::string* error);

// ~/.vst3/presets, /usr/share/vst3/presets and /usr/local/share/vst3/presets,
// each with VENDOR/PLUGIN appended.
std::vector<std::string> presetFolders(const std::string& vendor, const std::string& plugin);

// The readable files of `folder` (not its subfolders) that belong to the
// class `classId`, sorted by label.
std::vector<PresetFile> presetsIn(const std::string& folder, const std::string& classId);

}  // namespace vst3host
