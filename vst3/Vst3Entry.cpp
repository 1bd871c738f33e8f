// The VST 3 binary's only exported symbols: the module entries and the
// factory. Nothing may unwind into the host, so each stops every exception.

#include "vst3/Vst3Factory.h"

#define MURLAN_EXPORT __attribute__((visibility("default")))

extern "C" MURLAN_EXPORT bool ModuleEntry(void* /*library*/) { return true; }

extern "C" MURLAN_EXPORT bool ModuleExit() {
    try {
        KAMO::Vst3Factory::release();
    } catch (...) {
    }
    return true;
}

extern "C" MURLAN_EXPORT v3_plugin_factory** GetPluginFactory() {
    try {
        return KAMO::Vst3Factory::get();
    } catch (...) {
        return nullptr;
    }
}
