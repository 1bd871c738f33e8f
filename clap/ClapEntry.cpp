// The CLAP binary's only exported symbol: the entry, whose factory makes
// the one instrument. Nothing may unwind into the host, so each call stops
// every exception.

#include "clap/ClapPlugin.h"

#include <clap/entry.h>
#include <clap/plugin-factory.h>

#include <cstring>

namespace {

const clap_plugin_factory_t kFactory = {
    [](const clap_plugin_factory_t*) -> std::uint32_t { return 1; },
    [](const clap_plugin_factory_t*, std::uint32_t index) -> const clap_plugin_descriptor_t* {
        try {
            return index == 0 ? KAMO::ClapPlugin::descriptor() : nullptr;
        } catch (...) {
            return nullptr;
        }
    },
    [](const clap_plugin_factory_t*, const clap_host_t* host,
       const char* id) -> const clap_plugin_t* {
        if (!id || std::strcmp(id, KAMO::ClapPlugin::kId) != 0) return nullptr;
        try {
            return KAMO::ClapPlugin::create(host);
        } catch (...) {
            return nullptr;
        }
    },
};

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {
    CLAP_VERSION_INIT,
    [](const char*) { return true; },
    [] {
        try {
            KAMO::ClapPlugin::releaseSpare();
        } catch (...) {
        }
    },
    [](const char* id) -> const void* {
        return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
    },
};
