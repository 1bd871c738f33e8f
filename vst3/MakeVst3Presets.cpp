// Build step: writes the factory library as VST 3 preset files, one per
// sound in a folder per category (a library file with a fault fails the
// build).
//
//   murlan_vst3_presets FOLDER LIBRARY_FILE...

#include "framework/KEffect.h"
#include "framework/KPresetLibrary.h"
#include "shell/AudioEffect.h"
#include "vst3/Vst3Factory.h"
#include "vst3/Vst3PresetFile.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

VstIntPtr quietHost(AEffect* /*effect*/, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: murlan_vst3_presets FOLDER LIBRARY_FILE...\n");
        return 2;
    }
    std::unique_ptr<AudioEffect> built(createEffectInstance(&quietHost));
    auto* effect = dynamic_cast<KAMO::KEffect*>(built.get());
    if (!effect) {
        std::fprintf(stderr, "murlan_vst3_presets: the factory built no effect\n");
        return 1;
    }
    KAMO::KPresetLibrary library;
    std::string error;
    for (int i = 2; i < argc; ++i)
        if (!library.readFile(*effect, argv[i], &error)) {
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
