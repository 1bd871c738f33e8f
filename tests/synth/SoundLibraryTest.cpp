// The factory library in presets/: read strictly against the instrument's
// parameters, and every sound playing its category's gallery phrase, from
// the program file the build wrote, with headroom and body.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "framework/KPresetLibrary.h"
#include "synth/Murlan.h"
#include "tools/plughost/MidiSong.h"
#include "tools/plughost/PluginHost.h"
#include "tools/plughost/PresetFiles.h"
#include "tools/plughost/SongRenderer.h"

#if defined(MURLAN_PLUGIN) && defined(MURLAN_FXP_FOLDER) && defined(MURLAN_PHRASE_DIR)

namespace {

namespace fs = std::filesystem;

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterGetSampleRate ? 48000 : 0;
}

// The library files in the order the build reads them.
std::vector<fs::path> libraryFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(MURLAN_SOURCE_DIR) / "presets"))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// "3-keys.txt" plays the phrase "keys".
std::string phraseOf(const fs::path& file) {
    const std::string stem = file.stem().string();
    return stem.substr(stem.find('-') + 1);
}

}  // namespace

TEST(SoundLibrary, EveryFileReadsStrictlyIntoAtLeast24DistinctSoundsOfSevenCategories) {
    Murlan synth(host);
    KAMO::KPresetLibrary library;
    std::string error;
    const auto files = libraryFiles();
    for (const fs::path& file : files) {
        EXPECT_TRUE(library.readFile(synth, file.string(), &error)) << error;
        EXPECT_TRUE(fs::exists(fs::path(MURLAN_PHRASE_DIR) / (phraseOf(file) + ".mid")))
            << file << " has no phrase";
    }
    EXPECT_GE(library.sounds().size(), 24u);
    EXPECT_EQ(library.categories().size(), 7u);
    std::set<std::string> categories(library.categories().begin(), library.categories().end());
    EXPECT_EQ(categories.size(), library.categories().size()) << "a category in two files";
    for (const KAMO::KLibrarySound& sound : library.sounds()) {
        // What the program file beside the plug-in holds is what the text gives.
        const fs::path fxp = fs::path(MURLAN_FXP_FOLDER) / sound.category / (sound.name + ".fxp");
        EXPECT_TRUE(fs::exists(fxp)) << fxp;
        EXPECT_LE(sound.name.size(), 24u);
    }
}

TEST(SoundLibrary, EverySoundPlaysItsPhraseFiniteWithAPeakOfAtMostMinus1DbfsAndAnRmsOverMinus40) {
    Murlan synth(host);
    KAMO::KPresetLibrary library;
    std::string error;
    std::vector<std::string> phrases;
    for (const fs::path& file : libraryFiles()) {
        ASSERT_TRUE(library.readFile(synth, file.string(), &error)) << error;
        phrases.push_back(phraseOf(file));
    }
    const double ceiling = std::pow(10.0, -1.0 / 20.0), floor = std::pow(10.0, -40.0 / 20.0);
    for (const KAMO::KLibrarySound& sound : library.sounds()) {
        const auto category =
            std::find(library.categories().begin(), library.categories().end(), sound.category);
        const std::string phrase = phrases[category - library.categories().begin()];
        plughost::MidiSong song;
        ASSERT_TRUE(song.load(std::string(MURLAN_PHRASE_DIR) + "/" + phrase + ".mid", &error))
            << error;
        plughost::PluginHost vstHost;
        auto plugin = vstHost.load(MURLAN_PLUGIN, &error);
        ASSERT_TRUE(plugin) << error;
        plughost::RenderOptions options;
        options.tailSeconds = 1.5;
        plughost::SongRenderer renderer(*plugin, options);
        renderer.prepare();
        ASSERT_TRUE(plughost::applyPresetOption(*plugin, sound.name, &error)) << error;
        EXPECT_EQ(plugin->programName(), sound.name);
        plughost::RenderStats stats;
        ASSERT_TRUE(renderer.render(song, nullptr, stats, &error)) << error;
        EXPECT_TRUE(stats.finite) << sound.name;
        EXPECT_LE(stats.peak, ceiling) << sound.name << ": peak " << 20 * std::log10(stats.peak);
        EXPECT_GT(stats.rms, floor) << sound.name << ": RMS " << 20 * std::log10(stats.rms);
    }
}

#endif
