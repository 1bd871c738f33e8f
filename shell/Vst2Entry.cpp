// The plug-in's only exported symbols: the entry point under its two names.
// Everything else is built with hidden visibility.

#include "shell/AudioEffect.h"

#include <memory>

#define MURLAN_EXPORT __attribute__((visibility("default")))

extern "C" MURLAN_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) {
    if (!host) return nullptr;
    // Nothing may unwind into the host: any failure while building the
    // effect is answered with null.
    try {
        // There is no record yet to pass along with this first question.
        if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        std::unique_ptr<AudioEffect> effect(createEffectInstance(host));
        if (!effect) return nullptr;
        AEffect* record = effect->getAeffect();
        if (!record) return nullptr;
        // From here on the host owns the object; effClose destroys it.
        effect.release();
        return record;
    } catch (...) {
        return nullptr;
    }
}

// Older hosts look the entry up as "main". It must be the very same function;
// an assembler name keeps the compiler from treating it as the program's main.
extern "C" MURLAN_EXPORT __attribute__((alias("VSTPluginMain"))) AEffect* vstMainAlias(
    audioMasterCallback host) __asm__("main");
