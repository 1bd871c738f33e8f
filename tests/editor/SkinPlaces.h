#pragma once
// Where the compiled-in skin puts a control, so that tests press and look at
// controls wherever the skin places them, not at coordinates of their own.

#include "xp/ResourceTable.h"

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

namespace EditorTest {

struct SkinPlace {
    int page = 0, x = 0, y = 0, w = 0, h = 0;
    int centreX() const { return x + w / 2; }
    int centreY() const { return y + h / 2; }
};

// The first AddControl line of `type` whose first argument, quotes taken
// off, is `name` (a parameter, a command, a page number or a link). Throws
// when the skin has none, which fails the test that asked.
inline SkinPlace skinPlace(const std::string& type, const std::string& name) {
    std::uint64_t size = 0;
    const unsigned char* data = XP::findResource("MurlanSkin.txt", &size);
    std::istringstream text(data ? std::string(reinterpret_cast<const char*>(data), size) : "");
    for (std::string line; std::getline(text, line);) {
        std::istringstream words(line);
        std::string command, kind, first;
        SkinPlace p;
        if (!(words >> command >> p.page >> p.x >> p.y >> p.w >> p.h >> kind >> first)) continue;
        if (first.size() >= 2 && first.front() == '"') first = first.substr(1, first.size() - 2);
        if (command == "AddControl" && kind == type && first == name) return p;
    }
    throw std::runtime_error("the skin has no " + type + " " + name);
}

// A parameter's knob, a command's button, a page's tab and the sound list.
inline SkinPlace knob(const std::string& parameter) { return skinPlace("KPotDot", parameter); }
inline SkinPlace readOut(const std::string& parameter) { return skinPlace("KValue", parameter); }
inline SkinPlace button(const std::string& command) { return skinPlace("KImgCommand", command); }
inline SkinPlace tab(int page) { return skinPlace("KPageSelHlt", std::to_string(page)); }
inline SkinPlace soundList() { return skinPlace("KSoundList", "lblfont"); }

}  // namespace EditorTest
