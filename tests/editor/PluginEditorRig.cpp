#include "PluginEditorRig.h"

#ifndef MURLAN_PLUGIN
#define MURLAN_PLUGIN ""
#endif

namespace EditorTest {

void PluginEditorRig::SetUp() {
    REQUIRE_DISPLAY();
    if (!*MURLAN_PLUGIN) GTEST_SKIP() << "plug-in not built";
    std::string error;
    plugin = host.load(MURLAN_PLUGIN, &error);
    ASSERT_NE(plugin, nullptr) << error;
    plugin->setSampleRate(48000);
    plugin->setBlockSize(256);
    plugin->resume();
}

void PluginEditorRig::TearDown() {
    window.close();
    plugin.reset();
}

int PluginEditorRig::count(plughost::EditEvent::Kind kind) const {
    int n = 0;
    for (const plughost::EditEvent& e : host.edits()) n += e.kind == kind;
    return n;
}

}  // namespace EditorTest
