#pragma once
// The least an LV2 host offers (a URID map, the maximum block), shared by
// the fuzz targets that drive the LV2 face's adapter directly.

#include "lv2/Lv2Plugin.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace Lv2FuzzHost {

constexpr std::int32_t kMaxBlock = 1024;

inline LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    static std::vector<std::string> uris;
    for (std::size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return LV2_URID(i + 1);
    uris.emplace_back(uri);
    return LV2_URID(uris.size());
}

inline LV2_URID_Map gMap{nullptr, mapUri};

inline LV2_URID map(const char* uri) { return mapUri(nullptr, uri); }

// An instance at `rate`, or null where the face refuses it.
inline KAMO::Lv2Plugin* create(double rate) {
    static std::int32_t maxBlock = kMaxBlock;
    static LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, map(LV2_BUF_SIZE__maxBlockLength), sizeof(std::int32_t),
         map(LV2_ATOM__Int), &maxBlock},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    static const LV2_Feature mapFeature{LV2_URID__map, &gMap};
    static const LV2_Feature optionsFeature{LV2_OPTIONS__options, options};
    static const LV2_Feature* features[] = {&mapFeature, &optionsFeature, nullptr};
    return KAMO::Lv2Plugin::create(rate, features);
}

}  // namespace Lv2FuzzHost
