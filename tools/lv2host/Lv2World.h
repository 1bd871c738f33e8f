#pragma once
// The host side of an LV2 plug-in for tests and the command line: a lilv
// world holding the system's LV2 folder (the specifications) and the bundle
// asked for, never the user's ~/.lv2, so that a bundle under test cannot
// clash with an installed copy of itself; and the URID map the host hands
// to plug-ins and UIs.
//
//   lv2host::Lv2World world;
//   const LilvPlugin* plugin = world.loadBundle("build/Murlan.lv2/", uri, &error);

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace lv2host {

class Lv2World {
public:
    Lv2World();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    // Loads the bundle at `path` (a folder) and answers the plug-in `uri`
    // from it, or the bundle's first plug-in when `uri` is empty; null with
    // `error`.
    const LilvPlugin* loadBundle(const std::string& path, const std::string& uri = "",
                                 std::string* error = nullptr);

    LilvWorld* world() const { return world_; }
    LilvNode* node(const char* uri);  // owned by the world object

    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID id) const;
    LV2_URID_Map* mapFeature() { return &map_; }
    LV2_URID_Unmap* unmapFeature() { return &unmap_; }

private:
    LilvWorld* world_;
    std::vector<LilvNode*> nodes_;
    mutable std::mutex mapMutex_;
    std::unordered_map<std::string, LV2_URID> ids_;
    std::deque<std::string> uris_;  // stable addresses for unmap
    LV2_URID_Map map_;
    LV2_URID_Unmap unmap_;
};

}  // namespace lv2host
