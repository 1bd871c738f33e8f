#include "vst3/Vst3PresetFile.h"

#include "framework/KPresetLibrary.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace KAMO {

namespace {

constexpr int kFormatVersion = 1;
// "VST3", version, 32 characters of class id, offset of the chunk list.
constexpr std::size_t kHeaderSize = 4 + 4 + 32 + 8;

void putInt(std::vector<unsigned char>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void putText(std::vector<unsigned char>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string attribute(const char* id, const std::string& value) {
    return std::string("  <Attr id=\"") + id + "\" value=\"" + xmlEscaped(value) +
           "\" type=\"string\" flags=\"writeProtected\"/>\n";
}

}  // namespace

std::vector<unsigned char> vst3PresetFile(const unsigned char* classId,
                                          const std::vector<unsigned char>& state,
                                          const std::string& name, const std::string& category) {
    const std::string info = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<MetaInfo>\n" +
                             attribute("MediaType", "VstPreset") + attribute("Name", name) +
                             attribute("MusicalCategory", category) + "</MetaInfo>\n";
    std::vector<unsigned char> out;
    putText(out, "VST3");
    putInt(out, kFormatVersion, 4);
    char hex[33];
    for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02X", classId[i]);
    putText(out, std::string(hex, 32));
    const std::uint64_t compAt = kHeaderSize;
    const std::uint64_t infoAt = compAt + state.size();
    const std::uint64_t listAt = infoAt + info.size();
    putInt(out, listAt, 8);
    out.insert(out.end(), state.begin(), state.end());
    putText(out, info);
    putText(out, "List");
    putInt(out, 2, 4);
    putText(out, "Comp");
    putInt(out, compAt, 8);
    putInt(out, state.size(), 8);
    putText(out, "Info");
    putInt(out, infoAt, 8);
    putInt(out, info.size(), 8);
    return out;
}

std::string presetFileName(const KLibrarySound& sound) {
    return sound.category + " - " + sound.name + ".vstpreset";
}

bool writeVst3PresetFiles(const KPresetLibrary& library, const unsigned char* classId,
                          const std::string& folder, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code code;
    fs::create_directories(folder, code);
    for (const KLibrarySound& sound : library.sounds()) {
        const fs::path path = fs::path(folder) / presetFileName(sound);
        const std::vector<unsigned char> bytes =
            vst3PresetFile(classId, sound.record, sound.name, sound.category);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            if (error) *error = path.string() + ": cannot be written";
            return false;
        }
    }
    return true;
}

}  // namespace KAMO
