#pragma once
// The factory library as VST 2.4 preset files, beside the plug-in: one
// program file (.fxp) per sound in a folder per category, and the whole
// library in banks (.fxb) of as many programs as the plug-in's bank holds,
// the last one filled up with the defaults. Written at build time by the
// same step as the LV2 presets, from the same records.

#include <string>

namespace KAMO {

class KEffect;
class KPresetLibrary;

// `effect` is a fresh instance: its program 0 gives the default record.
// False with a message when a file cannot be written.
bool writeFxPresetFiles(KEffect& effect, const KPresetLibrary& library, const std::string& folder,
                        std::string* error);

}  // namespace KAMO
