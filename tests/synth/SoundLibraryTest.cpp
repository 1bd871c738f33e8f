// The factory library in presets/: read strictly against the instrument's
// parameters, and every sound playing its category's gallery phrase, from
// the program file the build wrote, with headroom and body.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "SoundMeasures.h"
#include "framework/KPresetLibrary.h"
#include "synth/Murlan.h"
#include "synth/MurlanParameters.h"
#include "tools/plughost/AudioSink.h"
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

constexpr double kRate = 48000.0;
constexpr double kTwinColourDb = 3.5, kTwinShapeDb = 6.0;

struct Library {
    KAMO::KPresetLibrary sounds;
    std::vector<std::string> phrases;  // by category
    std::string phraseFileOf(const KAMO::KLibrarySound& sound) const {
        const auto& c = sounds.categories();
        const auto at = std::find(c.begin(), c.end(), sound.category) - c.begin();
        return std::string(MURLAN_PHRASE_DIR) + "/" + phrases[std::size_t(at)] + ".mid";
    }
};

Library readLibrary() {
    Murlan synth(host);
    Library library;
    std::string error;
    for (const fs::path& file : libraryFiles()) {
        EXPECT_TRUE(library.sounds.readFile(synth, file.string(), &error)) << error;
        library.phrases.push_back(phraseOf(file));
    }
    return library;
}

// The sound as the built plug-in plays `song` from the sound's program file,
// with a tail long enough for the longest release; empty when it cannot.
std::vector<float> render(const std::string& name, const plughost::MidiSong& song) {
    std::string error;
    plughost::PluginHost vstHost;
    auto plugin = vstHost.load(MURLAN_PLUGIN, &error);
    plughost::RenderOptions options;
    options.rate = kRate;
    options.tailSeconds = 2.5;
    if (!plugin) {
        ADD_FAILURE() << error;
        return {};
    }
    plughost::SongRenderer renderer(*plugin, options);
    renderer.prepare();
    plughost::MemorySink sink;
    plughost::RenderStats stats;
    if (!plughost::applyPresetOption(*plugin, name, &error) || plugin->programName() != name ||
        !renderer.render(song, &sink, stats, &error) || sink.channels().size() != 1) {
        ADD_FAILURE() << name << ": " << error;
        return {};
    }
    return sink.channels()[0];
}

}  // namespace

// The menu opens on "Init": the plug-in's own sound (every parameter at its
// default but the main level, which brings it to the library's loudness).
TEST(SoundLibrary, EveryFileReadsStrictlyIntoAtLeast40DistinctSoundsThatStartWithInit) {
    Murlan synth(host);
    KAMO::KPresetLibrary library;
    std::string error;
    const auto files = libraryFiles();
    for (const fs::path& file : files) {
        EXPECT_TRUE(library.readFile(synth, file.string(), &error)) << error;
        EXPECT_TRUE(fs::exists(fs::path(MURLAN_PHRASE_DIR) / (phraseOf(file) + ".mid")))
            << file << " has no phrase";
    }
    ASSERT_GE(library.sounds().size(), 40u);
    EXPECT_EQ(library.sounds().front().name, "Init");
    const auto& init = library.sounds().front().settings;
    EXPECT_TRUE(init.size() == 1 && init[0].first == MurlanParameters::kMainLevel)
        << "Init sets more than its level";
    std::set<std::string> categories(library.categories().begin(), library.categories().end());
    EXPECT_EQ(categories.size(), library.categories().size()) << "a category in two files";
    for (const KAMO::KLibrarySound& sound : library.sounds()) {
        // What the program file beside the plug-in holds is what the text gives.
        const fs::path fxp = fs::path(MURLAN_FXP_FOLDER) / sound.category / (sound.name + ".fxp");
        EXPECT_TRUE(fs::exists(fxp)) << fxp;
        EXPECT_LE(sound.name.size(), 24u);
    }
}

// Every sound on its own gallery phrase, as a musician stepping through the
// library hears it: at one loudness (within 1.5 LU of the library's median,
// which lies between -18 and -14 LUFS), a peak at most -1 dBFS, and notes
// of one kind no more than 6 dB apart, so that no beat or tremolo slower
// than the notes makes them land at different levels.
TEST(SoundLibrary, EverySoundPlaysItsPhraseAtTheLibraryLoudnessWithHeadroomAndEvenNotes) {
    const Library library = readLibrary();
    ASSERT_FALSE(library.sounds.sounds().empty());
    struct Figures {
        std::string name;
        double lufs, peak, spread;
        std::string where;
    };
    std::vector<Figures> figures;
    for (const KAMO::KLibrarySound& sound : library.sounds.sounds()) {
        plughost::MidiSong song;
        std::string error;
        ASSERT_TRUE(song.load(library.phraseFileOf(sound), &error)) << error;
        const std::vector<float> audio = render(sound.name, song);
        ASSERT_FALSE(audio.empty()) << sound.name;
        Figures f{sound.name, soundcheck::integratedLoudness(audio, kRate),
                  soundcheck::peakDb(audio), 0.0, ""};
        f.spread = soundcheck::worstNoteSpread(
            audio, soundcheck::notesOf(song, kRate, std::int64_t(audio.size())), &f.where);
        EXPECT_TRUE(std::all_of(audio.begin(), audio.end(), [](float v) {
            return std::isfinite(v);
        })) << sound.name;
        figures.push_back(f);
    }
    std::vector<double> levels;
    for (const Figures& f : figures) levels.push_back(f.lufs);
    std::sort(levels.begin(), levels.end());
    const std::size_t n = levels.size();
    const double median = n % 2 ? levels[n / 2] : 0.5 * (levels[n / 2 - 1] + levels[n / 2]);
    std::printf("%-24s %8s %8s %8s\n", "sound", "LUFS", "peak", "notes");
    for (const Figures& f : figures) {
        std::printf("%-24s %8.1f %8.1f %8.1f\n", f.name.c_str(), f.lufs, f.peak, f.spread);
        EXPECT_NEAR(f.lufs, median, 1.5) << f.name;
        EXPECT_LE(f.peak, -1.0) << f.name;
        EXPECT_LE(f.spread, 6.0) << f.name << ": " << f.where;
    }
    std::printf("median %.1f LUFS, span %.1f LU\n", median, levels.back() - levels.front());
    EXPECT_GE(median, -18.0);
    EXPECT_LE(median, -14.0);
}

// Sounds a musician can tell apart: on one phrase (a held note, detached
// notes, a legato run, a low note), no two sounds may come within 3.5 dB
// (root mean square over the sixth-octave bands) in colour and at the same
// time within 6 dB (over the 20 ms levels of the whole phrase) in shape.
// A different partial, a detune that beats, another envelope or tremolo
// each moves a sound well past one of the two.
TEST(SoundLibrary, NoTwoSoundsAreNearTwinsInColourAndShape) {
    const Library library = readLibrary();
    plughost::MidiSong song;
    auto note = [&song](double at, double length, int key) {
        song.addMessage(at, 0x90, std::uint8_t(key), 100);
        song.addMessage(at + length, 0x80, std::uint8_t(key), 64);
    };
    note(0.0, 6.0, 57);
    for (int i = 0; i < 4; ++i) note(7.0 + i, 0.5, 60 + 4 * i);
    const int run[] = {64, 69, 60};
    for (int i = 0; i < 3; ++i) note(11.0 + i, 1.125, run[i]);
    note(14.25, 1.0, 45);
    song.sort();
    std::vector<soundcheck::Fingerprint> prints;
    for (const KAMO::KLibrarySound& sound : library.sounds.sounds()) {
        prints.push_back(soundcheck::fingerprintOf(render(sound.name, song), kRate));
        ASSERT_FALSE(prints.back().envelope.empty()) << sound.name;
    }
    const auto& sounds = library.sounds.sounds();
    for (std::size_t a = 0; a < sounds.size(); ++a)
        for (std::size_t b = a + 1; b < sounds.size(); ++b) {
            const double colour = soundcheck::colourDistance(prints[a], prints[b]);
            const double shape = soundcheck::shapeDistance(prints[a], prints[b]);
            EXPECT_FALSE(colour < kTwinColourDb && shape < kTwinShapeDb)
                << sounds[a].name << " and " << sounds[b].name << " are near-twins: colour "
                << colour << " dB, shape " << shape << " dB apart";
        }
}

#endif
