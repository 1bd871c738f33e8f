#include "vst3/Vst3Factory.h"

#include "framework/KEffect.h"
#include "vst3/Vst3Plugin.h"

#include <cstring>
#include <mutex>
#include <string>

namespace KAMO {

namespace {

constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Instrument|Synth";
constexpr const char* kSdkVersion = "VST 3.7";
constexpr std::int32_t kManyInstances = 0x7FFFFFFF;
constexpr std::int32_t kUnicode = 0x10;

// The names are read from an instance, which is then kept for the first
// creation rather than thrown away: building an effect draws from the
// process's random generator, and a host that asks for the factory's
// information and then makes one instance should hear the same dither as
// a VST 2.4 host that makes one.
std::mutex gSpareMutex;
Vst3Plugin* gSpare = nullptr;

Vst3Plugin* build() {
    try {
        return Vst3Plugin::create();
    } catch (...) {
        return nullptr;
    }
}

// The class information comes in byte and UTF-16 versions of the same
// fields; putText writes each field in the encoding its structure holds.
template <int N>
void putText(char (&out)[N], const char* text) {
    copyText(out, N, text);
}

template <int N>
void putText(std::int16_t (&out)[N], const char* text) {
    toUtf16(out, N, text);
}

}  // namespace

// "KAMO", "Murl", "an v", "st3 " in ASCII.
const v3_tuid Vst3Factory::kClassId = V3_ID(0x4B414D4F, 0x4D75726C, 0x616E2076, 0x73743320);

struct Vst3Factory::Names {
    std::string name = "Murlan";
    std::string vendor;
    std::string version;
};

const Vst3Factory::Names& Vst3Factory::names() {
    // Read once from an instance, so that the factory says what the effect says.
    static const Names kNames = [] {
        Names n;
        std::lock_guard<std::mutex> lock(gSpareMutex);
        if (!gSpare) gSpare = build();
        if (gSpare) {
            const KEffect& effect = gSpare->effect();
            if (effect.effectName()) n.name = effect.effectName();
            if (effect.vendorName()) n.vendor = effect.vendorName();
            if (effect.plugVersion()) n.version = effect.plugVersion();
        }
        return n;
    }();
    return kNames;
}

Vst3Plugin* Vst3Factory::takeInstance() {
    {
        std::lock_guard<std::mutex> lock(gSpareMutex);
        if (Vst3Plugin* spare = gSpare) {
            gSpare = nullptr;
            return spare;
        }
    }
    return build();
}

void Vst3Factory::release() {
    std::lock_guard<std::mutex> lock(gSpareMutex);
    if (gSpare) gSpare->unref();
    gSpare = nullptr;
}

v3_plugin_factory** Vst3Factory::get() {
    static const v3_plugin_factory_cpp kTable = makeTable();
    static Vst3Face<void> face{&kTable, nullptr};
    return reinterpret_cast<v3_plugin_factory**>(&face);
}

v3_result Vst3Factory::queryInterface(void* self, const v3_tuid iid, void** out) {
    if (!out) return V3_INVALID_ARG;
    if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_factory_iid) ||
        sameId(iid, v3_plugin_factory_2_iid) || sameId(iid, v3_plugin_factory_3_iid)) {
        *out = self;
        return V3_OK;
    }
    *out = nullptr;
    return V3_NO_INTERFACE;
}

v3_result Vst3Factory::factoryInfo(v3_factory_info* info) {
    if (!info) return V3_INVALID_ARG;
    std::memset(info, 0, sizeof *info);
    copyText(info->vendor, sizeof info->vendor, names().vendor.c_str());
    info->flags = kUnicode;
    return V3_OK;
}

template <class Info>
void Vst3Factory::fillClass(Info* info) {
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->class_id, kClassId, sizeof(v3_tuid));
    info->cardinality = kManyInstances;
    putText(info->category, kCategory);
    putText(info->name, names().name.c_str());
}

template <class Info>
void Vst3Factory::fillDetails(Info* info) {
    putText(info->sub_categories, kSubCategories);
    putText(info->vendor, names().vendor.c_str());
    putText(info->version, names().version.c_str());
    putText(info->sdk_version, kSdkVersion);
}

v3_result Vst3Factory::classInfo(std::int32_t index, v3_class_info* info) {
    if (index != 0 || !info) return V3_INVALID_ARG;
    fillClass(info);
    return V3_OK;
}

v3_result Vst3Factory::classInfo2(std::int32_t index, v3_class_info_2* info) {
    if (index != 0 || !info) return V3_INVALID_ARG;
    fillClass(info);
    fillDetails(info);
    return V3_OK;
}

v3_result Vst3Factory::classInfo3(std::int32_t index, v3_class_info_3* info) {
    if (index != 0 || !info) return V3_INVALID_ARG;
    fillClass(info);
    fillDetails(info);
    return V3_OK;
}

v3_result Vst3Factory::createInstance(const v3_tuid classId, const v3_tuid iid, void** out) {
    if (!out) return V3_INVALID_ARG;
    *out = nullptr;
    if (!classId || !sameId(classId, kClassId)) return V3_NO_INTERFACE;
    Vst3Plugin* plugin = takeInstance();
    if (!plugin) return V3_INTERNAL_ERR;
    const v3_result result = plugin->queryInterface(iid, out);
    plugin->unref();
    return result;
}

v3_plugin_factory_cpp Vst3Factory::makeTable() {
    v3_plugin_factory_cpp t{};
    t.query_interface = queryInterface;
    // The factory lives as long as the module.
    t.ref = [](void*) -> std::uint32_t { return 1; };
    t.unref = [](void*) -> std::uint32_t { return 1; };
    t.v1.get_factory_info = [](void*, v3_factory_info* info) { return factoryInfo(info); };
    t.v1.num_classes = [](void*) -> std::int32_t { return 1; };
    t.v1.get_class_info = [](void*, std::int32_t i, v3_class_info* info) {
        return classInfo(i, info);
    };
    t.v1.create_instance = [](void*, const v3_tuid cid, const v3_tuid iid, void** out) {
        return createInstance(cid, iid, out);
    };
    t.v2.get_class_info_2 = [](void*, std::int32_t i, v3_class_info_2* info) {
        return classInfo2(i, info);
    };
    t.v3.get_class_info_utf16 = [](void*, std::int32_t i, v3_class_info_3* info) {
        return classInfo3(i, info);
    };
    t.v3.set_host_context = [](void*, v3_funknown**) -> v3_result { return V3_OK; };
    return t;
}

}  // namespace KAMO
