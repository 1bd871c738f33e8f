#pragma once
// The VST 3 preset file (.vstpreset): a header naming the class, the
// component's state as the chunk "Comp", a metadata chunk "Info" (XML with
// the sound's name and musical category) and the list of chunks at the end.
// Hosts list such files from their preset folders and hand the "Comp"
// chunk to the component's setState; the library's files hold one program
// record there, which the plug-in loads into the current program.

#include <string>
#include <vector>

namespace KAMO {

class KPresetLibrary;
struct KLibrarySound;

// The file's bytes. `classId` is the class's 16-byte id.
std::vector<unsigned char> vst3PresetFile(const unsigned char* classId,
                                          const std::vector<unsigned char>& state,
                                          const std::string& name, const std::string& category);

// "CATEGORY - NAME.vstpreset". Hosts read a plug-in's preset folder without
// its subfolders and show a file's name as the preset's, so the category
// goes into the name, and sounds of one category sort together. No colon:
// Ardour splits its preset identifiers, which end in the name, at colons.
std::string presetFileName(const KLibrarySound& sound);

// Writes one file per library sound into FOLDER. False, with a message,
// when a file cannot be written.
bool writeVst3PresetFiles(const KPresetLibrary& library, const unsigned char* classId,
                          const std::string& folder, std::string* error);

}  // namespace KAMO
