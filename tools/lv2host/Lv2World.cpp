#include "tools/lv2host/Lv2World.h"

namespace lv2host {

Lv2World::Lv2World() : world_(lilv_world_new()) {
    // Only the system's folder of LV2 specifications (plug-in classes,
    // units, port properties): not the user's ~/.lv2.
    LilvNode* path = lilv_new_string(world_, LV2HOST_SPEC_DIR);
    lilv_world_set_option(world_, LILV_OPTION_LV2_PATH, path);
    lilv_node_free(path);
    lilv_world_load_all(world_);
    map_.handle = this;
    map_.map = [](LV2_URID_Map_Handle handle, const char* uri) {
        return static_cast<Lv2World*>(handle)->map(uri);
    };
    unmap_.handle = this;
    unmap_.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID id) {
        return static_cast<Lv2World*>(handle)->unmap(id);
    };
}

Lv2World::~Lv2World() {
    for (LilvNode* n : nodes_) lilv_node_free(n);
    lilv_world_free(world_);
}

LilvNode* Lv2World::node(const char* uri) {
    nodes_.push_back(lilv_new_uri(world_, uri));
    return nodes_.back();
}

const LilvPlugin* Lv2World::loadBundle(const std::string& path, const std::string& uri,
                                       std::string* error) {
    std::string folder = path;
    if (folder.empty() || folder.back() != '/') folder += '/';
    if (folder[0] != '/') {
        if (error) *error = "the bundle path must be absolute: " + path;
        return nullptr;
    }
    LilvNode* bundle = lilv_new_file_uri(world_, nullptr, folder.c_str());
    lilv_world_load_bundle(world_, bundle);
    // The world also holds whatever plug-ins the system folder has (a DAW
    // installs some there): without a URI, only one of this bundle will do.
    const LilvPlugin* found = nullptr;
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world_);
    LILV_FOREACH(plugins, i, plugins) {
        const LilvPlugin* plugin = lilv_plugins_get(plugins, i);
        const bool wanted = uri.empty()
                                ? lilv_node_equals(lilv_plugin_get_bundle_uri(plugin), bundle)
                                : uri == lilv_node_as_uri(lilv_plugin_get_uri(plugin));
        if (wanted) {
            found = plugin;
            break;
        }
    }
    lilv_node_free(bundle);
    if (found) return found;
    if (error) *error = "no plug-in " + (uri.empty() ? std::string() : uri + " ") + "in " + path;
    return nullptr;
}

LV2_URID Lv2World::map(const char* uri) {
    std::lock_guard<std::mutex> lock(mapMutex_);
    auto found = ids_.find(uri);
    if (found != ids_.end()) return found->second;
    uris_.emplace_back(uri);
    const auto id = static_cast<LV2_URID>(uris_.size());
    ids_.emplace(uri, id);
    return id;
}

const char* Lv2World::unmap(LV2_URID id) const {
    std::lock_guard<std::mutex> lock(mapMutex_);
    return id >= 1 && id <= uris_.size() ? uris_[id - 1].c_str() : nullptr;
}

}  // namespace lv2host
