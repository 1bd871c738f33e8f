#pragma once
// The bundle's Turtle files, written from the effect itself at build time
// (see MakeTurtle.cpp), so that the description can never drift from the
// parameters the code has.

#include <string>

namespace KAMO {

class KEffect;

// `binary` is the file name of the LV2 binary inside the bundle.
std::string lv2ManifestTurtle(const std::string& binary, const std::string& description);
std::string lv2PluginTurtle(KEffect& effect);
// The LV2 version of a plug-in version as the VST 2.4 vendor version gives
// it (3100 for 3.1): LV2 hosts take the plug-in with the highest minor
// version, and an odd one for a development build, so the minor version is
// twice major and minor together (62 for 3.1, higher with every release),
// the micro version the rest.
int lv2MinorVersion(int vendorVersion);
int lv2MicroVersion(int vendorVersion);
// A number as Turtle reads it, whatever the process's locale.
std::string lv2TurtleNumber(double value);

}  // namespace KAMO
