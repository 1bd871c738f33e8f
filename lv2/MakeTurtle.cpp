// Build step: writes the bundle's manifest.ttl and plug-in description from
// an instance of the effect, built by the same factory as the plug-in; given
// the factory library's files, also its LV2 presets and its VST 2.4 preset
// files (a library file with a fault fails the build).
//
//   murlan_lv2_ttl BUNDLE_DIR BINARY_NAME [FXP_FOLDER LIBRARY_FILE...]

#include "framework/KEffect.h"
#include "framework/KHostBridge.h"
#include "framework/KPresetLibrary.h"
#include "lv2/Lv2PresetTurtle.h"
#include "lv2/Lv2Turtle.h"
#include "shell/FxPresetFiles.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) std::fprintf(stderr, "murlan_lv2_ttl: cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc < 5) {
        std::fprintf(stderr,
                     "usage: murlan_lv2_ttl BUNDLE_DIR BINARY_NAME [FXP_FOLDER LIBRARY_FILE...]\n");
        return 2;
    }
    KAMO::KHostBridge bridge("murlan_lv2_ttl");
    if (!bridge.build()) {
        std::fprintf(stderr, "murlan_lv2_ttl: the factory built no effect\n");
        return 1;
    }
    KAMO::KEffect* effect = &bridge.effect();
    const std::string bundle = std::string(argv[1]) + "/";
    char name[kVstMaxEffectNameLen] = {};
    effect->getEffectName(name);
    const std::string description = std::string(name[0] ? name : "plugin") + ".ttl";
    std::string manifest = KAMO::lv2ManifestTurtle(argv[2], description);
    KAMO::KPresetLibrary library;
    const std::string presets = "presets.ttl";
    std::string error;
    if (!library.readFiles(*effect, argv + 4, argc - 4, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // Reading the library leaves the effect as it was; what is written from
    // here on with a library (the bank image that fills a last bank up, the
    // plug-in description) starts from the defaults, not the factory programs.
    if (argc > 3) effect->programBank().resetPrograms();
    // Names that differ only in punctuation would share a preset URI.
    std::set<std::string> uris;
    for (const KAMO::KLibrarySound& sound : library.sounds())
        if (!uris.insert(KAMO::lv2PresetUri(sound.name)).second) {
            std::fprintf(stderr, "murlan_lv2_ttl: \"%s\" has the URI of another sound\n",
                         sound.name.c_str());
            return 1;
        }
    if (argc > 3) {
        manifest += KAMO::lv2PresetManifestTurtle(library, presets);
        if (!writeFile(bundle + presets, KAMO::lv2PresetTurtle(*effect, library)) ||
            !KAMO::writeFxPresetFiles(*effect, library, argv[3], &error)) {
            if (!error.empty()) std::fprintf(stderr, "murlan_lv2_ttl: %s\n", error.c_str());
            return 1;
        }
    }
    const bool ok = writeFile(bundle + "manifest.ttl", manifest) &&
                    writeFile(bundle + description, KAMO::lv2PluginTurtle(*effect));
    return ok ? 0 : 1;
}
