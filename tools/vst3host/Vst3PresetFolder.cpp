#include "tools/vst3host/Vst3PresetFolder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vst3host {

namespace {

constexpr std::size_t kHeaderSize = 4 + 4 + 32 + 8;
constexpr std::size_t kEntrySize = 4 + 8 + 8;

std::uint64_t number(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value |= static_cast<std::uint64_t>(bytes[at + i]) << (8 * i);
    return value;
}

}  // namespace

bool readPresetFile(const std::string& path, PresetFile& out, std::string* error) {
    auto fail = [&](const char* why) {
        if (error) *error = path + ": " + why;
        return false;
    };
    std::ifstream file(path, std::ios::binary);
    if (!file) return fail("cannot be read");
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), "VST3", 4) != 0)
        return fail("no preset file header");
    const std::uint64_t list = number(bytes, 40, 8);
    if (list > bytes.size() || bytes.size() - list < 8 ||
        std::memcmp(bytes.data() + list, "List", 4) != 0)
        return fail("no chunk list");
    const std::uint64_t count = number(bytes, static_cast<std::size_t>(list) + 4, 4);
    if (count > (bytes.size() - list - 8) / kEntrySize) return fail("a cut chunk list");
    bool found = false;
    for (std::uint64_t e = 0; e < count; ++e) {
        const std::size_t at = static_cast<std::size_t>(list + 8 + e * kEntrySize);
        const std::uint64_t offset = number(bytes, at + 4, 8), size = number(bytes, at + 12, 8);
        if (offset > bytes.size() || size > bytes.size() - offset) return fail("a chunk outside");
        if (std::memcmp(bytes.data() + at, "Comp", 4) != 0) continue;
        out.state.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                         bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
        found = true;
    }
    if (!found) return fail("no component state");
    out.path = path;
    out.label = std::filesystem::path(path).stem().string();
    out.classId.assign(reinterpret_cast<const char*>(bytes.data()) + 8, 32);
    return true;
}

std::vector<std::string> presetFolders(const std::string& vendor, const std::string& plugin) {
    std::vector<std::string> roots;
    if (const char* home = std::getenv("HOME"))
        roots.push_back(std::string(home) + "/.vst3/presets");
    roots.push_back("/usr/share/vst3/presets");
    roots.push_back("/usr/local/share/vst3/presets");
    for (std::string& root : roots) root += "/" + vendor + "/" + plugin;
    return roots;
}

std::vector<PresetFile> presetsIn(const std::string& folder, const std::string& classId) {
    namespace fs = std::filesystem;
    std::vector<PresetFile> found;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(folder, code)) {
        PresetFile preset;
        if (entry.path().extension() == ".vstpreset" &&
            readPresetFile(entry.path().string(), preset, nullptr) && preset.classId == classId)
            found.push_back(std::move(preset));
    }
    std::sort(found.begin(), found.end(),
              [](const PresetFile& a, const PresetFile& b) { return a.label < b.label; });
    return found;
}

}  // namespace vst3host
