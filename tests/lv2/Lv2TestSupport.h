#pragma once
// What the LV2 tests share: the built bundle loaded through lilv, the built
// VST 2.4 plug-in loaded through plughost, and the settings both faces are
// given when their outputs are compared.

#include "tools/lv2host/Lv2Instance.h"
#include "tools/lv2host/Lv2SongRenderer.h"
#include "tools/lv2host/Lv2World.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/SongRenderer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace lv2test {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

// One parameter setting: its index, the port value, and the text the VST
// face is given for the same value.
struct Setting {
    int index;
    float value;
    const char* text;
};

// The demo's settings (examples/demo.args).
const std::vector<Setting>& demoSettings();

class Lv2Fixture : public ::testing::Test {
protected:
    void SetUp() override;

    // A fresh, unactivated instance of the bundle's plug-in.
    std::unique_ptr<lv2host::Lv2Instance> instantiate(int maxBlock = kBlock);
    // The VST 2.4 face, sample rate and block size set, not resumed.
    std::unique_ptr<plughost::PluginInstance> loadVst();

    lv2host::Lv2World world;
    const LilvPlugin* plugin = nullptr;
    plughost::PluginHost vstHost;
};

// How both faces render a song when their outputs are compared: at kRate
// in blocks of kBlock, the VST face on its float path, which is what the
// LV2 face hands out.
plughost::RenderOptions vstRenderOptions(double tailSeconds);
lv2host::Lv2RenderOptions lv2RenderOptions(double tailSeconds);

void applySettings(lv2host::Lv2Instance& instance, const std::vector<Setting>& settings);
void applySettings(plughost::PluginInstance& plugin, const std::vector<Setting>& settings);

// The bytes of the plug-in's state extension: key URI -> value, as saved.
struct SavedValue {
    std::vector<unsigned char> bytes;
    uint32_t type = 0;
};
struct SavedState {
    std::vector<std::pair<std::string, SavedValue>> values;
    const SavedValue* find(const std::string& key) const;
};
SavedState saveDirect(lv2host::Lv2Instance& instance);
// Answers the restore call's status.
int restoreDirect(lv2host::Lv2Instance& instance, const SavedState& state);

std::string pluginUri();

}  // namespace lv2test
