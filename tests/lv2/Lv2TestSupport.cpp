#include "Lv2TestSupport.h"

#include <lv2/atom/atom.h>

#include <cstring>

namespace lv2test {

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_PLUGIN)

const std::vector<Setting>& demoSettings() {
    static const std::vector<Setting> settings = {
        {0, 0.0f, "0"},      {1, 0.02f, "0.02"},  {2, 0.35f, "0.35"},  {3, 0.12f, "0.12"},
        {4, 0.0f, "0"},      {5, 2.0f, "2"},      {6, 6.0f, "6"},      {7, 0.06f, "0.06"},
        {8, 0.5f, "0.5"},    {9, 0.2f, "0.2"},    {10, -6.0f, "-6"},   {11, 3.0f, "3"},
        {12, -5.0f, "-5"},   {13, 0.03f, "0.03"}, {14, 0.3f, "0.3"},   {15, 0.08f, "0.08"},
        {16, -12.0f, "-12"}, {17, 0.0f, "Sine"},  {18, 8.0f, "8"},     {19, 40.0f, "40"},
        {20, 1.0f, "1"},     {21, 2.0f, "2"},     {22, -10.0f, "-10"},
    };
    return settings;
}

std::string pluginUri() { return MURLAN_LV2_URI; }

void Lv2Fixture::SetUp() {
    std::string error;
    plugin = world.loadBundle(MURLAN_LV2_BUNDLE, pluginUri(), &error);
    ASSERT_TRUE(plugin) << error;
    vstHost.setSampleRate(kRate);
    vstHost.setBlockSize(kBlock);
}

std::unique_ptr<lv2host::Lv2Instance> Lv2Fixture::instantiate(int maxBlock) {
    std::string error;
    auto instance = lv2host::Lv2Instance::create(world, plugin, kRate, maxBlock, &error);
    EXPECT_TRUE(instance) << error;
    return instance;
}

std::unique_ptr<plughost::PluginInstance> Lv2Fixture::loadVst() {
    std::string error;
    auto vst = vstHost.load(MURLAN_PLUGIN, &error);
    EXPECT_TRUE(vst) << error;
    if (vst) {
        vst->setSampleRate(static_cast<float>(kRate));
        vst->setBlockSize(kBlock);
    }
    return vst;
}

plughost::RenderOptions vstRenderOptions(double tailSeconds) {
    plughost::RenderOptions options;
    options.rate = kRate;
    options.block = kBlock;
    options.precision = plughost::RenderOptions::Float;
    options.tailSeconds = tailSeconds;
    return options;
}

lv2host::Lv2RenderOptions lv2RenderOptions(double tailSeconds) {
    lv2host::Lv2RenderOptions options;
    options.rate = kRate;
    options.block = kBlock;
    options.tailSeconds = tailSeconds;
    return options;
}

void applySettings(lv2host::Lv2Instance& instance, const std::vector<Setting>& settings) {
    for (const Setting& s : settings) instance.setControl(s.index, s.value);
}

void applySettings(plughost::PluginInstance& plugin, const std::vector<Setting>& settings) {
    for (const Setting& s : settings)
        EXPECT_TRUE(plugin.string2Parameter(s.index, s.text)) << s.index;
}

const SavedValue* SavedState::find(const std::string& key) const {
    for (const auto& v : values)
        if (v.first == key) return &v.second;
    return nullptr;
}

namespace {

struct RestoreSource {
    const SavedState* state;
    lv2host::Lv2World* world;
};

}  // namespace

SavedState saveDirect(lv2host::Lv2Instance& instance) {
    SavedState state;
    struct Sink {
        SavedState* state;
        lv2host::Lv2World* world;
    } sink{&state, &instance.world()};
    const LV2_State_Interface* iface = instance.stateInterface();
    EXPECT_TRUE(iface);
    if (!iface) return state;
    const LV2_State_Status status = iface->save(
        instance.handle(),
        [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
           uint32_t) {
            auto* s = static_cast<Sink*>(handle);
            SavedValue v;
            v.bytes.assign(static_cast<const unsigned char*>(value),
                           static_cast<const unsigned char*>(value) + size);
            v.type = type;
            s->state->values.emplace_back(s->world->unmap(key), v);
            return LV2_STATE_SUCCESS;
        },
        &sink, 0, nullptr);
    EXPECT_EQ(status, LV2_STATE_SUCCESS);
    return state;
}

int restoreDirect(lv2host::Lv2Instance& instance, const SavedState& state) {
    RestoreSource source{&state, &instance.world()};
    const LV2_State_Interface* iface = instance.stateInterface();
    if (!iface) return -1;
    return iface->restore(
        instance.handle(),
        [](LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
           uint32_t* flags) -> const void* {
            auto* s = static_cast<RestoreSource*>(handle);
            const SavedValue* v = s->state->find(s->world->unmap(key));
            if (!v) return nullptr;
            *size = v->bytes.size();
            *type = v->type;
            *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
            return v->bytes.data();
        },
        &source, 0, nullptr);
}

#endif

}  // namespace lv2test
