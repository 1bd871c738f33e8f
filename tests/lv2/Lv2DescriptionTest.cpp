// The bundle as a host finds it: what lilv reads from the generated Turtle,
// checked against the instrument's parameters and a few hand-written rows.

#include "Lv2TestSupport.h"

#include "framework/KEffectTestEffect.h"
#include "lv2/Lv2ControlPorts.h"
#include "lv2/Lv2Turtle.h"
#include "synth/Murlan.h"

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/port-props/port-props.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include <cmath>
#include <map>
#include <set>

#if defined(MURLAN_LV2_BUNDLE) && defined(MURLAN_PLUGIN)

using lv2test::Lv2Fixture;

namespace {

class Lv2Description : public Lv2Fixture {
protected:
    const LilvPort* port(int index) {
        return lilv_plugin_get_port_by_index(plugin, static_cast<uint32_t>(index));
    }
    bool is(int index, const char* uri) {
        return lilv_port_is_a(plugin, port(index), world.node(uri));
    }
    bool hasProperty(int index, const char* uri) {
        return lilv_port_has_property(plugin, port(index), world.node(uri));
    }
    std::string unit(int index) {
        LilvNodes* units = lilv_port_get_value(plugin, port(index), world.node(LV2_UNITS__unit));
        std::string found;
        if (units && lilv_nodes_size(units) > 0) {
            const LilvNode* n = lilv_nodes_get_first(units);
            found = lilv_node_is_uri(n) ? lilv_node_as_uri(n) : "(own unit)";
        }
        lilv_nodes_free(units);
        return found;
    }
    void range(int index, float& minimum, float& maximum, float& def) {
        LilvNode *d = nullptr, *lo = nullptr, *hi = nullptr;
        lilv_port_get_range(plugin, port(index), &d, &lo, &hi);
        ASSERT_TRUE(d && lo && hi) << index;
        def = lilv_node_as_float(d);
        minimum = lilv_node_as_float(lo);
        maximum = lilv_node_as_float(hi);
        lilv_node_free(d);
        lilv_node_free(lo);
        lilv_node_free(hi);
    }
};

}  // namespace

TEST_F(Lv2Description, OneInstrumentWithEventsInOneAudioOutAndAControlPerParameter) {
    const LilvPluginClass* cls = lilv_plugin_get_class(plugin);
    EXPECT_STREQ(lilv_node_as_uri(lilv_plugin_class_get_uri(cls)), LV2_CORE__InstrumentPlugin);
    EXPECT_TRUE(lilv_plugin_verify(plugin));
    Murlan effect(nullptr);
    const KAMO::Lv2ControlPorts ports(effect);
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), Murlan::kParameterCount + 2u);
    for (int i = 0; i < Murlan::kParameterCount; ++i) {
        const int p = ports.portOf(i);
        EXPECT_TRUE(is(p, LV2_CORE__ControlPort) && is(p, LV2_CORE__InputPort)) << i;
    }
    // Hosts keep ports by number: these two never move.
    EXPECT_TRUE(is(23, LV2_ATOM__AtomPort) && is(23, LV2_CORE__InputPort));
    EXPECT_TRUE(lilv_port_supports_event(plugin, port(23), world.node(LV2_MIDI__MidiEvent)));
    EXPECT_TRUE(lilv_port_supports_event(plugin, port(23), world.node(LV2_TIME__Position)));
    EXPECT_TRUE(is(24, LV2_CORE__AudioPort) && is(24, LV2_CORE__OutputPort));

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    ASSERT_EQ(lilv_nodes_size(required), 1u);
    EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(required)), LV2_URID__map);
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_plugin_has_extension_data(plugin, world.node(LV2_STATE__interface)));
}

TEST_F(Lv2Description, PortsFollowTheParameterListInNameOrderRangeAndDefault) {
    Murlan effect(nullptr);
    const KAMO::Lv2ControlPorts ports(effect);
    std::set<std::string> symbols;
    for (int i = 0; i < Murlan::kParameterCount; ++i) {
        const KAMO::KEffectParameter* p = effect.parameter(i);
        LilvNode* name = lilv_port_get_name(plugin, port(ports.portOf(i)));
        EXPECT_STREQ(lilv_node_as_string(name), p->name()) << i;
        lilv_node_free(name);
        const std::string symbol =
            lilv_node_as_string(lilv_port_get_symbol(plugin, port(ports.portOf(i))));
        EXPECT_EQ(symbol, Murlan::kInfo[i].symbol);
        symbols.insert(symbol);
        float minimum, maximum, def;
        range(ports.portOf(i), minimum, maximum, def);
        const double real = p->toReal(p->getDefault());
        // The decibel ports' minimum is -inf dB; no default sits below it.
        EXPECT_FLOAT_EQ(def, std::isfinite(real) ? real : minimum) << p->name();
        EXPECT_LT(minimum, maximum) << p->name();
    }
    EXPECT_EQ(symbols.size(), std::size_t(Murlan::kParameterCount)) << "symbols are unique";
}

TEST_F(Lv2Description, RealUnitsStepsAndChoices) {
    struct Row {
        int index;
        const char* symbol;
        float minimum, maximum, def;
        bool integer;
        const char* unit;
    };
    const Row rows[] = {
        {0, "detune1", -99, 99, 0, true, LV2_UNITS__cent},
        {1, "attk1", 0.01f, 2, 0.01f, false, LV2_UNITS__s},
        {4, "level1", -90, 0, 0, false, LV2_UNITS__db},
        {5, "partial2", 1, 6, 1, true, ""},
        {18, "lfofreq", 1, 32, 4, true, "(own unit)"},
        {19, "lfodepth", 0, 100, 0, true, LV2_UNITS__pc},
        {20, "portarst", 0.1f, 5, 2, false, LV2_UNITS__s},
        {21, "ptchbend", 0, 12, 2, false, LV2_UNITS__semitone12TET},
        {22, "mainlvl", -90, 0, -12.5f, false, LV2_UNITS__db},
    };
    for (const Row& r : rows) {
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port(r.index))), r.symbol);
        float minimum, maximum, def;
        range(r.index, minimum, maximum, def);
        EXPECT_FLOAT_EQ(minimum, r.minimum) << r.symbol;
        EXPECT_FLOAT_EQ(maximum, r.maximum) << r.symbol;
        EXPECT_FLOAT_EQ(def, r.def) << r.symbol;
        EXPECT_EQ(hasProperty(r.index, LV2_CORE__integer), r.integer) << r.symbol;
        EXPECT_EQ(unit(r.index), r.unit) << r.symbol;
    }
    // Evenly stepped seconds: 0.01 to 2 in 0.01 steps.
    LilvNodes* steps = lilv_port_get_value(plugin, port(1), world.node(LV2_PORT_PROPS__rangeSteps));
    ASSERT_TRUE(steps && lilv_nodes_size(steps) == 1);
    EXPECT_EQ(lilv_node_as_int(lilv_nodes_get_first(steps)), 200);
    lilv_nodes_free(steps);

    // The LFO waves: an enumeration of whole numbers with their names.
    EXPECT_TRUE(hasProperty(17, LV2_CORE__enumeration));
    EXPECT_TRUE(hasProperty(17, LV2_CORE__integer));
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, port(17));
    ASSERT_TRUE(points);
    std::map<int, std::string> waves;
    LILV_FOREACH(scale_points, i, points) {
        const LilvScalePoint* p = lilv_scale_points_get(points, i);
        waves[static_cast<int>(std::lround(lilv_node_as_float(lilv_scale_point_get_value(p))))] =
            lilv_node_as_string(lilv_scale_point_get_label(p));
    }
    lilv_scale_points_free(points);
    const std::map<int, std::string> expected = {{0, "Sine"},   {1, "Triangle"}, {2, "Square"},
                                                 {3, "Rising"}, {4, "Falling"},  {5, "Random"}};
    EXPECT_EQ(waves, expected);

    // A decibel port's minimum is labelled as what it stands for.
    LilvScalePoints* level = lilv_port_get_scale_points(plugin, port(22));
    ASSERT_TRUE(level && lilv_scale_points_size(level) == 1);
    const LilvScalePoint* floor = lilv_scale_points_get(level, lilv_scale_points_begin(level));
    EXPECT_STREQ(lilv_node_as_string(lilv_scale_point_get_label(floor)), "-inf");
    EXPECT_FLOAT_EQ(lilv_node_as_float(lilv_scale_point_get_value(floor)), -90.0f);
    lilv_scale_points_free(level);
}

TEST(Lv2Ports, ParametersAddedAfterTheFirstReleaseComeBehindTheFixedPorts) {
    ktest::TestEffect later(nullptr, true);
    const KAMO::Lv2ControlPorts ports(later);
    const int original = ktest::TestEffect::kParameterCount;
    EXPECT_EQ(ports.eventPort(), original);
    EXPECT_EQ(ports.outputPort(), original + 1);
    EXPECT_EQ(ports.portOf(ktest::TestEffect::kLater), original + 2);
    for (int i = 0; i <= ktest::TestEffect::kLater; ++i)
        EXPECT_EQ(ports.parameterOf(static_cast<uint32_t>(ports.portOf(i))), i);
    for (int port : {original, original + 1, original + 3, -1})
        EXPECT_EQ(ports.parameterOf(static_cast<uint32_t>(port)), -1) << port;

    // The description lists the ports in number order, each where it sits.
    const std::string turtle = KAMO::lv2PluginTurtle(later);
    std::size_t at = 0;
    for (int port = 0; port < ports.portCount(); ++port) {
        const std::size_t found = turtle.find("lv2:index " + std::to_string(port) + " ;", at);
        ASSERT_NE(found, std::string::npos) << port;
        at = found;
        const std::size_t symbol = turtle.find("lv2:symbol", found);
        const std::string expected = port == original ? "\"events\""
                                     : port == original + 1
                                         ? "\"out\""
                                         : "\"" + ports.port(ports.parameterOf(port)).symbol + "\"";
        EXPECT_EQ(turtle.compare(symbol + 11, expected.size(), expected), 0) << port;
    }
}

TEST(Lv2Ports, TheVersionFollowsThePluginVersion) {
    EXPECT_EQ(KAMO::lv2MinorVersion(3100), 62);
    EXPECT_EQ(KAMO::lv2MicroVersion(3100), 0);
    EXPECT_LT(KAMO::lv2MinorVersion(3100), KAMO::lv2MinorVersion(3200));
    EXPECT_EQ(KAMO::lv2MinorVersion(3100) % 2, 0) << "odd minor versions are development builds";
    Murlan effect(nullptr);
    EXPECT_NE(KAMO::lv2PluginTurtle(effect).find("lv2:minorVersion 62 ;"), std::string::npos);
}

TEST_F(Lv2Description, EachBinaryExportsOnlyItsOwnFormatsEntries) {
    const LilvNode* library = lilv_plugin_get_library_uri(plugin);
    char* path = lilv_file_uri_parse(lilv_node_as_uri(library), nullptr);
    void* lv2 = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    lilv_free(path);
    void* vst = dlopen(MURLAN_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(lv2 && vst) << dlerror();
    EXPECT_TRUE(dlsym(lv2, "lv2_descriptor"));
    EXPECT_TRUE(dlsym(lv2, "lv2ui_descriptor"));
    EXPECT_FALSE(dlsym(lv2, "VSTPluginMain"));
    EXPECT_FALSE(dlsym(vst, "lv2_descriptor"));
    EXPECT_TRUE(dlsym(vst, "VSTPluginMain"));
    dlclose(lv2);
    dlclose(vst);
}

TEST_F(Lv2Description, TheUiIsAnX11UiWithIdleAndTheParentWindowAsItsOnlyRequirement) {
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_TRUE(lilv_ui_is_a(ui, world.node(LV2_UI__X11UI)));
    const LilvNode* uri = lilv_ui_get_uri(ui);
    LilvNodes* required =
        lilv_world_find_nodes(world.world(), uri, world.node(LV2_CORE__requiredFeature), nullptr);
    ASSERT_EQ(lilv_nodes_size(required), 1u);
    EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(required)), LV2_UI__parent);
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_world_ask(world.world(), uri, world.node(LV2_CORE__extensionData),
                               world.node(LV2_UI__idleInterface)));
    lilv_uis_free(uis);
}

// Hosts' worlds hold other bundles too (a DAW installs plug-ins of its own in
// the system folder); a bundle loaded without a URI answers its own plug-in.
TEST(Lv2Bundle, LoadedWithoutAUriAnswersItsOwnPluginNotAnotherBundles) {
    char folder[] = "/tmp/lv2-other-XXXXXX";
    ASSERT_TRUE(mkdtemp(folder));
    const std::string other = std::string(folder) + "/";
    std::ofstream(other + "manifest.ttl")
        << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "<urn:aaa:another> a lv2:Plugin ; lv2:binary <missing.so> .\n";
    lv2host::Lv2World world;
    const LilvPlugin* first = world.loadBundle(other);
    ASSERT_TRUE(first);
    EXPECT_STREQ(lilv_node_as_uri(lilv_plugin_get_uri(first)), "urn:aaa:another");
    std::string error;
    const LilvPlugin* ours = world.loadBundle(MURLAN_LV2_BUNDLE, "", &error);
    ASSERT_TRUE(ours) << error;
    EXPECT_EQ(std::string(lilv_node_as_uri(lilv_plugin_get_uri(ours))), lv2test::pluginUri());
    std::remove((other + "manifest.ttl").c_str());
    rmdir(folder);
}

#endif
