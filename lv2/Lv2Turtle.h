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
// A number as Turtle reads it, whatever the process's locale.
std::string lv2TurtleNumber(double value);
// A text as a quoted Turtle literal.
std::string lv2TurtleString(const std::string& text);

}  // namespace KAMO
