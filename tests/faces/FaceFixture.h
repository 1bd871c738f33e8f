#pragma once
// What the adapter faces' tests share around the plug-in they are compared
// with: the built VST 2.4 plug-in loaded through plughost, the settings
// given to it as its host gives them, and its editor's settled picture.

#include "synth/MurlanParameters.h"
#include "tools/plughost/AudioSink.h"
#include "tools/plughost/EditorImage.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/PluginInstance.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace facetest {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
// The instrument's own parameters; a face may add some of its own.
constexpr int kParameterCount = MurlanParameters::kParameterCount;

// NAME=TEXT pairs through string2parameter.
void applySettings(plughost::PluginInstance& plugin,
                   const std::vector<std::pair<std::string, std::string>>& settings);

// The dynamic symbols `binary` defines, as nm lists them.
std::set<std::string> exportedSymbols(const std::string& binary);

// Plays `song` through a face's song renderer `render` at kRate in blocks
// of kBlock, into memory: the first output's samples, which must be finite.
template <typename Render, typename Instance, typename Options, typename Stats>
std::vector<double> renderInMemory(Render render, Instance& plugin, const plughost::MidiSong& song,
                                   Options options, Stats& stats) {
    options.rate = kRate;
    options.block = kBlock;
    std::vector<double> out;
    options.capture = &out;
    plughost::MemorySink sink;
    std::string error;
    EXPECT_TRUE(render(plugin, song, options, sink, stats, &error)) << error;
    EXPECT_TRUE(stats.finite);
    return out;
}

class FaceFixture : public ::testing::Test {
protected:
    // The VST 2.4 face, not yet given a sample rate.
    std::unique_ptr<plughost::PluginInstance> loadVst();
    // The VST 2.4 face at kRate and kBlock, given the demo's settings.
    std::unique_ptr<plughost::PluginInstance> loadDemoVst();
    // A fresh instance of a face's plug-in through its host's Instance::load.
    template <typename Instance>
    static std::unique_ptr<Instance> loadFace(const char* path) {
        std::string error;
        auto instance = Instance::load(path, &error);
        EXPECT_TRUE(instance) << error;
        return instance;
    }

    // Notes crossing block boundaries, bends between them, a tempo change
    // in the middle of a block, a signature change.
    static plughost::MidiSong scenario();

    // True once two screenshots a moment apart agree and show something.
    template <typename Window>
    static bool settled(Window& w, plughost::EditorImage& image) {
        plughost::EditorImage first;
        if (!w.screenshot(first)) return false;
        w.pump(80);
        return w.screenshot(image) && !first.empty() &&
               image.countDifferences(first, 0, 0, image.width(), image.height()) == 0 &&
               image.countNear({0, 0, 0}, 8, 0, 0, image.width(), image.height()) <
                   image.width() * image.height() / 2;
    }
    template <typename Window>
    static plughost::EditorImage settledShot(Window& w) {
        plughost::EditorImage image;
        w.pumpUntil([&] { return settled(w, image); }, 10000);
        return image;
    }
    // The VST 2.4 editor's picture at `scale`.
    plughost::EditorImage vstShot(float scale);

    plughost::PluginHost vstHost;
};

// A face's editor in its host's window, over a fresh instance that
// `Fixture` loads; skipped where there is no X display.
template <typename Fixture, typename Instance, typename Window>
class EditorFixture : public Fixture {
protected:
    // The knob the tests drag; every face's id of it is its index.
    static constexpr std::uint32_t kMainLevel = MurlanParameters::kMainLevel;

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        plugin = this->load();
        ASSERT_TRUE(plugin);
    }
    void TearDown() override { window.close(); }

    // Opens the editor in the host's window at `scale` (0: the host's own).
    ::testing::AssertionResult opened(float scale = 0.0f) {
        std::string error;
        if (window.open(*plugin, &error, scale)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << error;
    }
    // The editor settles on the VST 2.4 editor's picture at `scale`.
    void expectDrawnAsTheVst24Editor(float scale) {
        const plughost::EditorImage shot = this->settledShot(window);
        const plughost::EditorImage expected = this->vstShot(scale);
        ASSERT_EQ(shot.width(), expected.width());
        ASSERT_EQ(shot.height(), expected.height());
        EXPECT_EQ(shot.countDifferences(expected, 0, 0, shot.width(), shot.height()), 0);
    }
    // Whether the editor comes to show `expected` (a size the user dragged
    // it to, drawn in place) within a minute.
    bool comesToShow(const plughost::EditorImage& expected) {
        plughost::EditorImage shot;
        return window.pumpUntil(
            [&] {
                const int w = expected.width(), h = expected.height();
                return window.screenshot(shot) && shot.width() == w &&
                       shot.countDifferences(expected, 0, 0, w, h) == 0;
            },
            60000);
    }

    std::unique_ptr<Instance> plugin;
    Window window;
};

}  // namespace facetest
