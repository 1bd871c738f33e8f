// Build step: writes the factory library as VST 3 preset files, one per
// sound in a folder per category (a library file with a fault fails the
// build).
//
//   murlan_vst3_presets FOLDER LIBRARY_FILE...

#include "framework/KHostBridge.h"
#include "framework/KPresetLibrary.h"
#include "vst3/Vst3Factory.h"
#include "vst3/Vst3PresetFile.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: murlan_vst3_presets FOLDER LIBRARY_FILE...\n");
        return 2;
    }
    KAMO::KHostBridge bridge("murlan_vst3_presets");
    if (!bridge.build()) {
        std::fprintf(stderr, "murlan_vst3_presets: the factory built no effect\n");
        return 1;
    }
    KAMO::KPresetLibrary library;
    std::string error;
    if (!library.readFiles(bridge.effect(), argv + 2, argc - 2, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto* id = reinterpret_cast<const unsigned char*>(KAMO::Vst3Factory::kClassId);
    if (!KAMO::writeVst3PresetFiles(library, id, argv[1], &error)) {
        std::fprintf(stderr, "murlan_vst3_presets: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
