#pragma once
// The factory sound library: preset texts kept one file per category and
// read strictly. The effect's own preset reader skips what it cannot use, so
// a misspelt name or a value out of range would quietly give a different
// sound; this reader refuses the whole file instead, naming the line. What
// it keeps of each sound is the program record that the effect's own reader
// makes of the same text, so everything built from the library (plug-in
// preset files, the LV2 presets) carries exactly what the plug-in would load.
//
// A library file starts with the line "# Murlan Presets: CATEGORY" and holds
// at most one bank of sounds, each a PRESET line and its SETSTR lines.

#include <string>
#include <vector>

namespace KAMO {

class KEffect;

struct KLibrarySound {
    std::string name;
    std::string category;
    // The SETSTR lines' parameter indices and texts, in the file's order.
    std::vector<std::pair<int, std::string>> settings;
    // The program record (name, then values) as the effect's chunk holds it.
    std::vector<unsigned char> record;
};

class KPresetLibrary {
public:
    static constexpr const char* kHeader = "# Murlan Presets: ";

    // Reads one category file against `effect`'s parameters and appends its
    // sounds; the effect itself does not change. False,
    // with a message naming the file and line, when anything in the file is
    // wrong or a sound repeats a name or the values of one read before; then
    // nothing is appended.
    bool readFile(const KEffect& effect, const std::string& path, std::string* error);
    // readFile for each of `count` paths in turn, up to the first that fails.
    bool readFiles(const KEffect& effect, const char* const* paths, int count, std::string* error);
    // The same for a text already in memory; `source` names it in messages.
    bool readText(const KEffect& effect, const std::string& text, const std::string& source,
                  std::string* error);

    const std::vector<KLibrarySound>& sounds() const { return mSounds; }
    // Categories in the order their files were read.
    const std::vector<std::string>& categories() const { return mCategories; }
    // The sound called `name` (letter case ignored), or null.
    const KLibrarySound* find(const std::string& name) const;

    // Checks one SETSTR value against parameter `index`: a choice's exact
    // text, or a number in the parameter's range that lies on one of its
    // steps. Answers an empty text or what is wrong.
    static std::string checkValue(const KEffect& effect, int index, const char* text);

private:
    std::vector<KLibrarySound> mSounds;
    std::vector<std::string> mCategories;
};

}  // namespace KAMO
