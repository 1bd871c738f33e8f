#pragma once
// The factory library as LV2 presets: one pset:Preset per sound, holding
// every control port's value by symbol, and one pset:Bank per category. The
// manifest names each preset so that hosts list them without reading the
// presets file; written by the same build step as the plug-in's Turtle.

#include <string>

namespace KAMO {

class KEffect;
class KPresetLibrary;

// The URI of a sound called `name`, and of the bank of `category`.
std::string lv2PresetUri(const std::string& name);
std::string lv2PresetBankUri(const std::string& category);
// Lines to append to the manifest; `presetsFile` is the presets file's name
// inside the bundle.
std::string lv2PresetManifestTurtle(const KPresetLibrary& library, const std::string& presetsFile);
// The presets file. Port values are what the effect shows after loading
// each sound's record, so they are what its control ports would report.
std::string lv2PresetTurtle(KEffect& effect, const KPresetLibrary& library);

}  // namespace KAMO
